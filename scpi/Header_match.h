// Whether a parsed header names a command of the table. A pattern is written
// as the protocol's documents write it: each mnemonic in its long form with
// the short form in capitals ("SAMPle:RATE"), optional mnemonics in brackets
// ("INITiate[:IMMediate]"), a common command with its star ("*IDN").
// A mnemonic matches its short or its long form, case-insensitively, and
// nothing in between.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velqoris::scpi {

struct PatternNode {
  std::string longForm;   // upper case
  std::string shortForm;  // upper case
  bool optional = false;
};

std::vector<PatternNode> PatternNodes(std::string_view pattern);

// path holds upper-cased mnemonics (Unit::path).
bool MatchesPattern(const std::vector<PatternNode>& pattern, const std::vector<std::string>& path);

}  // namespace velqoris::scpi
