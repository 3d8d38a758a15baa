// The error numbers and texts of the protocol (negative numbers are the
// standard's own), and which event status bit each class of them sets.
#pragma once

#include <string>
#include <string_view>

namespace velqoris::scpi {

enum class ScpiError {
  kNone = 0,
  kCommand = -100,
  kInvalidCharacter = -101,
  kSyntax = -102,
  kInvalidSeparator = -103,
  kDataType = -104,
  kParameterNotAllowed = -108,
  kMissingParameter = -109,
  kMnemonicTooLong = -112,
  kUndefinedHeader = -113,
  kNumericData = -120,
  kInvalidCharacterInNumber = -121,
  kInvalidCharacterData = -141,
  kInvalidStringData = -151,
  kExecution = -200,
  kSettingsConflict = -221,
  kDataOutOfRange = -222,
  kTooMuchData = -223,
  kIllegalParameterValue = -224,
  kDataStale = -230,
  kHardware = -240,
  kHardwareMissing = -241,
  kMassStorage = -250,
  kFileName = -257,
  kQueueOverflow = -350,
  kQueryInterrupted = -410,
};

// The standard's text of an error number ("Undefined header").
std::string_view ErrorText(ScpiError error);

// The entry SYSTem:ERRor? answers: -113,"Undefined header;FOO:BAR".
std::string ErrorEntry(ScpiError error, std::string_view detail);

// The event status register bit an error sets: command errors bit 5, execution
// errors bit 4, device errors bit 3, query errors bit 2; -1 for no error.
int EventBitOf(ScpiError error);

}  // namespace velqoris::scpi
