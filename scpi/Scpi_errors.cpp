#include "scpi/Scpi_errors.h"

#include <array>
#include <utility>

namespace velqoris::scpi {

namespace {

constexpr std::array<std::pair<ScpiError, std::string_view>, 26> kTexts = {{
    {ScpiError::kNone, "No error"},
    {ScpiError::kCommand, "Command error"},
    {ScpiError::kInvalidCharacter, "Invalid character"},
    {ScpiError::kSyntax, "Syntax error"},
    {ScpiError::kInvalidSeparator, "Invalid separator"},
    {ScpiError::kDataType, "Data type error"},
    {ScpiError::kParameterNotAllowed, "Parameter not allowed"},
    {ScpiError::kMissingParameter, "Missing parameter"},
    {ScpiError::kMnemonicTooLong, "Program mnemonic too long"},
    {ScpiError::kUndefinedHeader, "Undefined header"},
    {ScpiError::kNumericData, "Numeric data error"},
    {ScpiError::kInvalidCharacterInNumber, "Invalid character in number"},
    {ScpiError::kInvalidCharacterData, "Invalid character data"},
    {ScpiError::kInvalidStringData, "Invalid string data"},
    {ScpiError::kExecution, "Execution error"},
    {ScpiError::kSettingsConflict, "Settings conflict"},
    {ScpiError::kDataOutOfRange, "Data out of range"},
    {ScpiError::kTooMuchData, "Too much data"},
    {ScpiError::kIllegalParameterValue, "Illegal parameter value"},
    {ScpiError::kDataStale, "Data corrupt or stale"},
    {ScpiError::kHardware, "Hardware error"},
    {ScpiError::kHardwareMissing, "Hardware missing"},
    {ScpiError::kMassStorage, "Mass storage error"},
    {ScpiError::kFileName, "File name error"},
    {ScpiError::kQueueOverflow, "Queue overflow"},
    {ScpiError::kQueryInterrupted, "Query INTERRUPTED"},
}};

}  // namespace

std::string_view ErrorText(ScpiError error) {
  for (const auto& [e, text] : kTexts) {
    if (e == error) return text;
  }
  return "Unknown error";
}

std::string ErrorEntry(ScpiError error, std::string_view detail) {
  std::string entry = std::to_string(static_cast<int>(error)) + ",\"";
  entry += ErrorText(error);
  if (!detail.empty()) {
    entry += ';';
    // A quote inside a string is doubled.
    for (const char c : detail) {
      entry += c;
      if (c == '"') entry += '"';
    }
  }
  return entry + '"';
}

int EventBitOf(ScpiError error) {
  const int n = -static_cast<int>(error);
  if (n >= 100 && n < 200) return 5;
  if (n >= 200 && n < 300) return 4;
  if (n >= 300 && n < 400) return 3;
  if (n >= 400 && n < 500) return 2;
  return -1;
}

}  // namespace velqoris::scpi
