// A unit's parameters read as the command wants them; each failure is the
// error the protocol gives for it.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <variant>

#include "scpi/Scpi_errors.h"
#include "scpi/Scpi_parser.h"

namespace velqoris::scpi {

struct ParamError {
  ScpiError error;
  std::string detail;
};

template <typename T>
using ParamResult = std::variant<T, ParamError>;

// A decimal number, or MINimum / MAXimum for min / max.
ParamResult<double> NumberParam(const Parameter& p, double min, double max);
// ON / OFF or a number (0 is off, any other rounds to on).
ParamResult<bool> BooleanParam(const Parameter& p);
// The index of the character data among choices written as patterns ("ASCii").
ParamResult<int> ChoiceParam(const Parameter& p, std::initializer_list<const char*> choices);
ParamResult<std::string> StringParam(const Parameter& p);

}  // namespace velqoris::scpi
