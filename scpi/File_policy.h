// Where file commands (LOG:STARt) may write. Relative names are taken in
// the data folder; when the server listens beyond loopback, only such names
// are allowed (no absolute path, no ".."), and none without a data folder.
#pragma once

#include <optional>
#include <string>

namespace velqoris::scpi {

struct FilePolicy {
  std::string dataDir = ".";
  bool confined = false;
};

// The path to write, or nothing when the name is refused.
std::optional<std::string> ResolveFile(const FilePolicy& policy, const std::string& name);

}  // namespace velqoris::scpi
