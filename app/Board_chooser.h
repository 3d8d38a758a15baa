// The window's question when more than one board answers: which one, by its
// USB serial number. Asked once per connection, only then.
#pragma once

#include <string>
#include <vector>

namespace velqoris {

// The chosen serial, or "" when the user cancelled (no board is opened then).
std::string ChooseBoardInWindow(const std::vector<std::string>& serials);

}  // namespace velqoris
