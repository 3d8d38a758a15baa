// File names are UTF-8 text throughout the program. Windows's narrow file
// calls would read them in the local code page instead, so on Windows every
// file is opened through its wide-character name; elsewhere the name is used
// as it is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velqoris {

std::filesystem::path PathFromUtf8(const std::string& name);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen with a UTF-8 name.
std::FILE* OpenUtf8(const std::string& name, const char* mode);
// Something (a file, a folder) has that name.
bool Utf8PathExists(const std::string& name);
// The process's arguments after the program's name, as UTF-8 (on Windows read
// as wide characters: argv holds them in the local code page).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// The file may be written (not read-only, not denied).
bool Utf8FileWritable(const std::string& name);
// The size of the file in bytes; nothing when there is no such file.
std::optional<std::uintmax_t> Utf8FileSize(const std::string& name);

}  // namespace velqoris
