#include "scpi/Header_match.h"

#include <cctype>

namespace velqoris::scpi {

namespace {

bool Matches(const std::vector<PatternNode>& pattern, std::size_t p,
             const std::vector<std::string>& path, std::size_t i) {
  if (p == pattern.size()) return i == path.size();
  const PatternNode& node = pattern[p];
  if (i < path.size() && (path[i] == node.shortForm || path[i] == node.longForm) &&
      Matches(pattern, p + 1, path, i + 1)) {
    return true;
  }
  return node.optional && Matches(pattern, p + 1, path, i);
}

}  // namespace

std::vector<PatternNode> PatternNodes(std::string_view pattern) {
  std::vector<PatternNode> nodes;
  PatternNode node;
  auto finish = [&] {
    if (node.longForm.empty()) return;  // "[:" keeps the bracket's mark
    nodes.push_back(node);
    node = {};
  };
  for (const char c : pattern) {
    if (c == ':') {
      finish();
    } else if (c == '[') {
      finish();
      node.optional = true;
    } else if (c == ']') {
      finish();
    } else {
      const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      node.longForm += upper;
      // The short form is the leading capitals (and the star of a common command).
      if (node.shortForm.size() + 1 == node.longForm.size() && (upper == c)) node.shortForm += c;
    }
  }
  finish();
  return nodes;
}

bool MatchesPattern(const std::vector<PatternNode>& pattern, const std::vector<std::string>& path) {
  return Matches(pattern, 0, path, 0);
}

}  // namespace velqoris::scpi
