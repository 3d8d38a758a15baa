#include "scpi/Scpi_parser.h"

#include <cctype>
#include <charconv>
#include <optional>

namespace velqoris::scpi {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }
bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsAlpha(c) || IsDigit(c) || c == '_'; }
// NUL, control characters and bytes above 127 belong nowhere outside a string.
bool IsInvalid(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u < 0x20 && c != '\t') || u >= 0x7F;
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

class Lexer {
 public:
  explicit Lexer(std::string_view line) : s_(line) {}

  ParsedMessage Parse() {
    std::vector<std::string> current;  // the path a relative header continues from
    while (true) {
      SkipSpace();
      if (AtEnd()) break;
      if (Peek() == ';') {  // an empty unit
        ++pos_;
        continue;
      }
      Unit unit;
      if (!ParseHeader(unit, current) || !ParseParameters(unit)) break;
      if (!unit.common) current.assign(unit.path.begin(), unit.path.end() - 1);
      result_.units.push_back(std::move(unit));
      SkipSpace();
      if (AtEnd()) break;
      ++pos_;  // the ';' ParseParameters stopped at
    }
    return std::move(result_);
  }

 private:
  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return s_[pos_]; }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) ++pos_;
  }
  bool Fail(ScpiError error, std::string detail) {
    result_.error = error;
    result_.detail = std::move(detail);
    return false;
  }
  bool FailAtHere(ScpiError generic) {
    if (IsInvalid(Peek())) return Fail(ScpiError::kInvalidCharacter, CharText(Peek()));
    return Fail(generic, CharText(Peek()));
  }
  static std::string CharText(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "'";
    static const char* hex = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[u >> 4] + hex[u & 15];
  }

  std::optional<std::string> Mnemonic() {
    if (AtEnd() || !IsAlpha(Peek())) {
      if (AtEnd())
        Fail(ScpiError::kSyntax, "mnemonic expected");
      else
        FailAtHere(ScpiError::kSyntax);
      return std::nullopt;
    }
    const std::size_t start = pos_;
    while (!AtEnd() && IsWordChar(Peek())) ++pos_;
    const std::string_view word = s_.substr(start, pos_ - start);
    if (word.size() > kMaxMnemonic) {
      Fail(ScpiError::kMnemonicTooLong, std::string(word.substr(0, kMaxMnemonic)) + "...");
      return std::nullopt;
    }
    return Upper(word);
  }

  bool ParseHeader(Unit& unit, const std::vector<std::string>& current) {
    if (Peek() == '*') {
      ++pos_;
      const auto word = Mnemonic();
      if (!word) return false;
      unit.common = true;
      unit.path = {"*" + *word};
    } else {
      bool absolute = false;
      if (Peek() == ':') {
        absolute = true;
        ++pos_;
      }
      if (!absolute) unit.path = current;
      while (true) {
        const auto word = Mnemonic();
        if (!word) return false;
        unit.path.push_back(*word);
        if (AtEnd() || Peek() != ':') break;
        ++pos_;
      }
    }
    if (!AtEnd() && Peek() == '?') {
      unit.query = true;
      ++pos_;
    }
    if (AtEnd() || Peek() == ';' || IsSpace(Peek())) return true;
    return FailAtHere(ScpiError::kSyntax);
  }

  bool ParseParameters(Unit& unit) {
    SkipSpace();
    if (AtEnd() || Peek() == ';') return true;
    while (true) {
      SkipSpace();
      if (AtEnd() || Peek() == ';' || Peek() == ',') {
        return Fail(ScpiError::kSyntax, "parameter expected");
      }
      Parameter p;
      if (!ParseParameter(p)) return false;
      unit.params.push_back(std::move(p));
      SkipSpace();
      if (AtEnd() || Peek() == ';') return true;
      if (Peek() != ',') return FailAtHere(ScpiError::kInvalidSeparator);
      ++pos_;
    }
  }

  bool ParseParameter(Parameter& p) {
    const char c = Peek();
    if (c == '"' || c == '\'') return ParseString(p, c);
    if (IsDigit(c) || c == '+' || c == '-' || c == '.') return ParseNumber(p);
    if (IsAlpha(c)) {
      const std::size_t start = pos_;
      while (!AtEnd() && IsWordChar(Peek())) ++pos_;
      if (pos_ - start > kMaxMnemonic) {
        return Fail(ScpiError::kInvalidCharacterData, "character data over 12 characters");
      }
      if (!AtEnd() && !IsSpace(Peek()) && Peek() != ',' && Peek() != ';') {
        return FailAtHere(ScpiError::kInvalidCharacterData);
      }
      p.kind = Parameter::Kind::kCharacter;
      p.text = Upper(s_.substr(start, pos_ - start));
      return true;
    }
    if (c == '#') return Fail(ScpiError::kDataType, "block and non-decimal data not accepted");
    return FailAtHere(ScpiError::kSyntax);
  }

  bool ParseString(Parameter& p, char quote) {
    ++pos_;
    while (true) {
      if (AtEnd()) return Fail(ScpiError::kInvalidStringData, "string not closed");
      const char c = s_[pos_++];
      if (c == '\0') return Fail(ScpiError::kInvalidCharacter, "NUL in string");
      if (c == quote) {
        if (AtEnd() || Peek() != quote) break;
        ++pos_;  // a doubled quote stands for one
      }
      p.text += c;
    }
    p.kind = Parameter::Kind::kString;
    return true;
  }

  bool ParseNumber(Parameter& p) {
    const std::size_t start = pos_;
    if (Peek() == '+' || Peek() == '-') ++pos_;
    std::size_t digits = 0;
    while (!AtEnd() && IsDigit(Peek())) ++pos_, ++digits;
    if (!AtEnd() && Peek() == '.') {
      ++pos_;
      while (!AtEnd() && IsDigit(Peek())) ++pos_, ++digits;
    }
    if (digits == 0) return Fail(ScpiError::kInvalidCharacterInNumber, "no digits");
    if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
      ++pos_;
      if (!AtEnd() && (Peek() == '+' || Peek() == '-')) ++pos_;
      std::size_t exponent = 0;
      while (!AtEnd() && IsDigit(Peek())) ++pos_, ++exponent;
      if (exponent == 0) return Fail(ScpiError::kInvalidCharacterInNumber, "exponent");
    }
    if (!AtEnd() && !IsSpace(Peek()) && Peek() != ',' && Peek() != ';') {
      return FailAtHere(ScpiError::kInvalidCharacterInNumber);
    }
    std::string_view text = s_.substr(start, pos_ - start);
    if (text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), p.number);
    if (ec != std::errc() || end != text.data() + text.size()) {
      return Fail(ScpiError::kNumericData, std::string(text));
    }
    p.kind = Parameter::Kind::kNumber;
    p.text = std::string(text);
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  ParsedMessage result_;
};

}  // namespace

std::string Unit::HeaderText() const {
  std::string s;
  for (const std::string& m : path) {
    if (!s.empty()) s += ':';
    s += m;
  }
  return query ? s + '?' : s;
}

ParsedMessage ParseMessage(std::string_view line) { return Lexer(line).Parse(); }

}  // namespace velqoris::scpi
