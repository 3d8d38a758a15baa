// The parser by tables: headers, forms, chaining, parameters, every syntax error.
#include <gtest/gtest.h>

#include "scpi/Binary_block.h"
#include "scpi/Error_queue.h"
#include "scpi/Header_match.h"
#include "scpi/Scpi_parser.h"

namespace velqoris::scpi {
namespace {

std::string Headers(const ParsedMessage& m) {
  std::string s;
  for (const Unit& u : m.units) s += (s.empty() ? "" : " ") + u.HeaderText();
  return s;
}

struct ChainCase {
  const char* line;
  const char* headers;
};

TEST(ScpiParser, ResolvesChainedHeadersByTheTreeRule) {
  const ChainCase cases[] = {
      {"*IDN?", "*IDN?"},
      {"samp:rate 4800", "SAMP:RATE"},
      {"SAMP:RATE 10;COUN 100", "SAMP:RATE SAMP:COUN"},
      {"SAMP:RATE 10;:ROUT:CHAN 2", "SAMP:RATE ROUT:CHAN"},
      {"SENS:VOLT:RANG 1;FILT SINC3", "SENS:VOLT:RANG SENS:VOLT:FILT"},
      {"SAMP:RATE 10;*OPC;COUN 100", "SAMP:RATE *OPC SAMP:COUN"},
      {"  *CLS ; *RST\t", "*CLS *RST"},
      {"INIT;;*OPC?", "INIT *OPC?"},
      {"", ""},
      {"FETC:CODE? CH0", "FETC:CODE?"},
  };
  for (const ChainCase& c : cases) {
    const ParsedMessage m = ParseMessage(c.line);
    EXPECT_EQ(m.error, ScpiError::kNone) << c.line;
    EXPECT_EQ(Headers(m), c.headers) << c.line;
  }
}

TEST(ScpiParser, ReadsEachKindOfParameter) {
  const ParsedMessage m = ParseMessage("LOG:STAR 'a''b.csv', \"x\"\"y\", +1.5e3, -.5, sinc4, 7");
  ASSERT_EQ(m.error, ScpiError::kNone) << m.detail;
  ASSERT_EQ(m.units.size(), 1u);
  const auto& p = m.units[0].params;
  ASSERT_EQ(p.size(), 6u);
  EXPECT_EQ(p[0].kind, Parameter::Kind::kString);
  EXPECT_EQ(p[0].text, "a'b.csv");
  EXPECT_EQ(p[1].text, "x\"y");
  EXPECT_EQ(p[2].kind, Parameter::Kind::kNumber);
  EXPECT_DOUBLE_EQ(p[2].number, 1500);
  EXPECT_DOUBLE_EQ(p[3].number, -0.5);
  EXPECT_EQ(p[4].kind, Parameter::Kind::kCharacter);
  EXPECT_EQ(p[4].text, "SINC4");
  EXPECT_DOUBLE_EQ(p[5].number, 7);
}

TEST(ScpiParser, KeepsNonAsciiBytesInsideStrings) {
  const ParsedMessage m = ParseMessage("LOG:STAR \"\xE8\xA8\x98\xE9\x8C\xB2.csv\"");
  ASSERT_EQ(m.error, ScpiError::kNone);
  EXPECT_EQ(m.units[0].params[0].text, "\xE8\xA8\x98\xE9\x8C\xB2.csv");
}

struct ErrorCase {
  std::string line;
  ScpiError error;
  std::size_t unitsBefore;
};

TEST(ScpiParser, EachSyntaxFaultHasItsErrorAndStopsTheLine) {
  const ErrorCase cases[] = {
      {std::string("*IDN?\0", 6), ScpiError::kInvalidCharacter, 0},
      {"SAMP:RATE \x01", ScpiError::kInvalidCharacter, 0},
      {"\xFF\xFE garbage", ScpiError::kInvalidCharacter, 0},
      {"SAMP:RATE 10;:", ScpiError::kSyntax, 1},
      {"SAMP::RATE", ScpiError::kSyntax, 0},
      {"SAMP:RATE?x", ScpiError::kSyntax, 0},
      {"SAMP:RATE 1,,2", ScpiError::kSyntax, 0},
      {"SAMP:RATE 1 2", ScpiError::kInvalidSeparator, 0},
      {"SAMP:RATE #H1F", ScpiError::kDataType, 0},
      {"ABCDEFGHIJKLMN", ScpiError::kMnemonicTooLong, 0},
      {"SAMP:RATE 10V", ScpiError::kInvalidCharacterInNumber, 0},
      {"SAMP:RATE 1e", ScpiError::kInvalidCharacterInNumber, 0},
      {"SAMP:RATE -", ScpiError::kInvalidCharacterInNumber, 0},
      {"SAMP:RATE 1e999", ScpiError::kNumericData, 0},
      {"FILT SINC4$", ScpiError::kInvalidCharacterData, 0},
      {"FILT ABCDEFGHIJKLMN", ScpiError::kInvalidCharacterData, 0},
      {"LOG:STAR \"open", ScpiError::kInvalidStringData, 0},
      {std::string("LOG:STAR \"a\0b\"", 14), ScpiError::kInvalidCharacter, 0},
      {"*CLS;*RST;%", ScpiError::kSyntax, 2},
  };
  for (const ErrorCase& c : cases) {
    const ParsedMessage m = ParseMessage(c.line);
    EXPECT_EQ(m.error, c.error) << c.line << " detail " << m.detail;
    EXPECT_EQ(m.units.size(), c.unitsBefore) << c.line;
  }
}

TEST(HeaderMatch, TakesTheShortOrTheLongFormAndOptionalNodes) {
  const auto pattern = PatternNodes("[SENSe:]VOLTage:RANGe");
  const std::vector<std::vector<std::string>> yes = {{"SENS", "VOLT", "RANG"},
                                                     {"SENSE", "VOLTAGE", "RANGE"},
                                                     {"VOLT", "RANG"},
                                                     {"VOLTAGE", "RANG"}};
  const std::vector<std::vector<std::string>> no = {
      {"SEN", "VOLT", "RANG"}, {"SENS", "VOLTA", "RANG"}, {"VOLT"}, {"RANG"}, {"SENS", "RANG"}};
  for (const auto& p : yes) EXPECT_TRUE(MatchesPattern(pattern, p)) << p.back();
  for (const auto& p : no) EXPECT_FALSE(MatchesPattern(pattern, p)) << p.back();
  EXPECT_TRUE(MatchesPattern(PatternNodes("INITiate[:IMMediate]"), {"INIT", "IMM"}));
  EXPECT_TRUE(MatchesPattern(PatternNodes("*IDN"), {"*IDN"}));
}

TEST(ErrorQueue, IsCappedWithOverflowAsItsNewestEntry) {
  ErrorQueue q;
  for (int i = 0; i < 100; ++i) q.Push(ScpiError::kUndefinedHeader, "X");
  EXPECT_EQ(q.Count(), ErrorQueue::kCapacity);
  for (std::size_t i = 0; i + 1 < ErrorQueue::kCapacity; ++i) {
    EXPECT_EQ(q.Pop(), "-113,\"Undefined header;X\"");
  }
  EXPECT_EQ(q.Pop(), "-350,\"Queue overflow\"");
  EXPECT_EQ(q.Pop(), "0,\"No error\"");
}

TEST(ErrorQueue, DoublesQuotesInDetails) {
  EXPECT_EQ(ErrorEntry(ScpiError::kFileName, "a\"b"), "-257,\"File name error;a\"\"b\"");
}

TEST(BinaryBlock, RoundTripsLittleEndianInt32) {
  const std::vector<std::int32_t> values = {0, 1, -1, 8388608, 16777215, INT32_MIN};
  std::string block;
  AppendInt32Block(block, values);
  EXPECT_EQ(block.substr(0, 4), "#224");
  EXPECT_EQ(block.substr(4 + 4, 4), std::string("\x01\x00\x00\x00", 4));
  const auto decoded = DecodeInt32Block(block + "\n");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->values, values);
  EXPECT_EQ(decoded->size, block.size());
  EXPECT_FALSE(DecodeInt32Block(block.substr(0, block.size() - 1)));
  EXPECT_FALSE(DecodeInt32Block("#0"));
}

}  // namespace
}  // namespace velqoris::scpi
