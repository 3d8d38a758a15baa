// The user's own folder for what the program keeps between starts: on Linux
// $XDG_DATA_HOME/velqoris (else ~/.local/share/velqoris), on Windows
// %LOCALAPPDATA%\velqoris. Empty when the environment names no home at all.
#pragma once

#include <string>

namespace velqoris {

std::string UserDataFolder();

}  // namespace velqoris
