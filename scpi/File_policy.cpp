#include "scpi/File_policy.h"

#include <filesystem>

#include "datafile/Utf8_path.h"

namespace velqoris::scpi {

std::optional<std::string> ResolveFile(const FilePolicy& policy, const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
  if (policy.confined && policy.dataDir.empty()) return std::nullopt;
  const std::filesystem::path path = PathFromUtf8(name);
  if (path.has_root_path()) {
    if (policy.confined) return std::nullopt;
    return name;
  }
  if (policy.confined) {
    for (const auto& part : path) {
      if (part == "..") return std::nullopt;
    }
  }
  return Utf8FromPath(PathFromUtf8(policy.dataDir) / path);
}

}  // namespace velqoris::scpi
