#include "scpi/Parameters.h"

#include <cmath>

#include "scpi/Header_match.h"

namespace velqoris::scpi {

namespace {

ParamError TypeError(const char* wanted) { return {ScpiError::kDataType, wanted}; }

}  // namespace

ParamResult<double> NumberParam(const Parameter& p, double min, double max) {
  if (p.kind == Parameter::Kind::kNumber) return p.number;
  if (p.kind == Parameter::Kind::kCharacter) {
    if (p.text == "MIN" || p.text == "MINIMUM") return min;
    if (p.text == "MAX" || p.text == "MAXIMUM") return max;
    return ParamError{ScpiError::kIllegalParameterValue, p.text + "; a number, MIN or MAX"};
  }
  return TypeError("a number expected");
}

ParamResult<bool> BooleanParam(const Parameter& p) {
  if (p.kind == Parameter::Kind::kNumber) return std::lround(p.number) != 0;
  if (p.kind == Parameter::Kind::kCharacter) {
    if (p.text == "ON") return true;
    if (p.text == "OFF") return false;
    return ParamError{ScpiError::kIllegalParameterValue, p.text + "; ON or OFF"};
  }
  return TypeError("ON, OFF, 1 or 0 expected");
}

ParamResult<int> ChoiceParam(const Parameter& p, std::initializer_list<const char*> choices) {
  std::string list;
  if (p.kind == Parameter::Kind::kCharacter) {
    int i = 0;
    for (const char* choice : choices) {
      if (MatchesPattern(PatternNodes(choice), {p.text})) return i;
      ++i;
    }
  }
  for (const char* choice : choices) list += (list.empty() ? "" : "|") + std::string(choice);
  if (p.kind != Parameter::Kind::kCharacter) return TypeError(list.c_str());
  return ParamError{ScpiError::kIllegalParameterValue, p.text + "; " + list};
}

ParamResult<std::string> StringParam(const Parameter& p) {
  if (p.kind != Parameter::Kind::kString) return TypeError("a quoted string expected");
  return p.text;
}

}  // namespace velqoris::scpi
