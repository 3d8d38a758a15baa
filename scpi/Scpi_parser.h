// One line from the client (a program message) split into its units: the
// header with its path resolved by the tree rule of ';' chaining, whether it
// is a query, and its parameters. Plain syntax: which headers exist is the
// command table's business (Header_match).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scpi/Scpi_errors.h"

namespace velqoris::scpi {

// A mnemonic is at most this long (the protocol's limit).
inline constexpr std::size_t kMaxMnemonic = 12;

struct Parameter {
  enum class Kind { kNumber, kCharacter, kString };
  Kind kind = Kind::kCharacter;
  std::string text;   // upper-cased for character data, the unquoted text for a string
  double number = 0;  // for kNumber
};

struct Unit {
  bool common = false;            // *IDN? and its kind
  std::vector<std::string> path;  // upper-cased mnemonics from the root ("*IDN" for a common one)
  bool query = false;
  std::vector<Parameter> params;
  // The header as resolved, for error details: SAMP:RATE?
  std::string HeaderText() const;
};

struct ParsedMessage {
  std::vector<Unit> units;  // those before the first syntax error
  ScpiError error = ScpiError::kNone;
  std::string detail;
};

// A unit without a leading ':' after ';' continues from the previous unit's
// path without its last mnemonic; common commands leave that path alone.
// The first error ends the parse: the rest of the line is not executed.
ParsedMessage ParseMessage(std::string_view line);

}  // namespace velqoris::scpi
