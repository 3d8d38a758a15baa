#include "session/Log_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "datafile/Myfile.h"
#include "datafile/Utf8_path.h"
#include "records/Measure_settings.h"
#include "session/Log_header.h"
#include "units/Microvolts.h"
#ifdef VELQORIS_HAVE_HDF5
#include "session/H5_log_file.h"
#endif

namespace velqoris {

namespace {

constexpr std::string_view kDataFileId = "VELQORIS_DataFile:";
constexpr std::int64_t kRateRows = 1000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

template <typename T>
bool Parse(std::string_view text, T& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// time_s as the log writes it ("12.345678"): the digits as one integer and a
// power of ten, several times faster than a general parse; anything else
// (a sign, an exponent, more digits) goes the general way.
bool ParseSeconds(std::string_view text, double& value) {
  static constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  std::int64_t mantissa = 0;
  int digits = 0;
  int decimals = -1;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      if (++digits > 17) return Parse(text, value);
      mantissa = mantissa * 10 + (c - '0');
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return Parse(text, value);
    }
  }
  if (digits == 0 || decimals > 9) return Parse(text, value);
  value = static_cast<double>(mantissa) / kPowers[decimals < 0 ? 0 : decimals];
  return true;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The first number in a text after position `from`.
std::optional<double> NumberAfter(std::string_view s, std::size_t from) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if ((s[i] >= '0' && s[i] <= '9') || (s[i] == '.' && i + 1 < s.size())) {
      double v = 0.0;
      const auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
      if (ec == std::errc()) return v;
    }
  }
  return std::nullopt;
}

std::optional<bool> OnOff(const std::string& s) {
  if (s.find("on") != std::string::npos || s.find("オン") != std::string::npos ||
      s.find("有") != std::string::npos || s.find("=1") != std::string::npos) {
    if (s.find("off") == std::string::npos) return true;
  }
  if (s.find("off") != std::string::npos || s.find("オフ") != std::string::npos ||
      s.find("無") != std::string::npos || s.find("=0") != std::string::npos) {
    return false;
  }
  return std::nullopt;
}

// A listed value within a relative tolerance, else the value itself.
template <std::size_t N>
double Snap(double v, const std::array<int, N>& list, double tolerance) {
  for (int listed : list) {
    if (std::fabs(v - listed) <= tolerance * listed) return listed;
  }
  return v;
}

}  // namespace

LogCsvParser::LogCsvParser(std::uint64_t sizeHint) : sizeHint_(sizeHint) {}

void LogCsvParser::Feed(std::string_view chunk) {
  while (!chunk.empty() && !failed_) {
    const std::size_t newline = chunk.find('\n');
    if (newline == std::string_view::npos) {
      carry_.append(chunk);
      // A line longer than any log writes is not a log.
      if (carry_.size() > 4096) {
        failed_ = true;
        result_.status = haveHeader_ ? LogReadStatus::kBadLine : LogReadStatus::kNotALog;
        result_.line = lineNumber_ + 1;
      }
      return;
    }
    if (carry_.empty()) {
      Line(chunk.substr(0, newline));
    } else {
      carry_.append(chunk.substr(0, newline));
      const std::string line = std::move(carry_);
      carry_.clear();
      Line(line);
    }
    chunk.remove_prefix(newline + 1);
  }
}

void LogCsvParser::Line(std::string_view line) {
  ++lineNumber_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view text = Trim(line);
  if (text.empty()) return;
  if (text.front() == '#') {
    if (rows_ > 0) {
      gapPending_ = true;
    } else {
      SettingsLine(text.substr(1));
    }
    return;
  }
  const bool ok = haveHeader_ ? Row(text) : Header(text);
  if (!ok) {
    failed_ = true;
    result_.status = haveHeader_ ? LogReadStatus::kBadLine : LogReadStatus::kNotALog;
    result_.line = lineNumber_;
  }
}

// Settings lines are the log's "key: value" (Log_header's table); any other
// line is read by its words, in English or Japanese, several to a line
// separated by ',' or ';': "rate 4800 sps", "gain 128", "Sinc4", "chop off",
// "buffer on", "board VELQORIS 1.00", "start 2026-12-08T10:00:00+09:00".
void LogCsvParser::SettingsLine(std::string_view text) {
  if (ReadLogHeaderLine(Trim(text), result_.record)) {
    // The rate waits for Finish, where it wins over the one from time_s.
    if (result_.record.rateSps > 0.0) settingsRate_ = std::exchange(result_.record.rateSps, 0.0);
    return;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(",;", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view piece = Trim(text.substr(start, end - start));
    const std::string s = Lower(piece);
    LogRecord& r = result_.record;
    if (const auto at = s.find("sps"); at != std::string::npos ||
                                       s.find("rate") != std::string::npos ||
                                       s.find("レート") != std::string::npos) {
      // The number right before "sps", else the first one.
      std::optional<double> v;
      if (at != std::string::npos) {
        std::size_t i = at;
        while (i > 0 &&
               (s[i - 1] == ' ' || s[i - 1] == '.' || (s[i - 1] >= '0' && s[i - 1] <= '9')))
          --i;
        v = NumberAfter(s, i);
      }
      if (!v) v = NumberAfter(s, 0);
      // The board's rates lie between 4.7 and 4800 sps; a rate far outside is no rate.
      if (v && *v > 0.0 && *v <= 1e6) settingsRate_ = *v;
    } else if (const auto g = std::min(s.find("gain"), s.find("ゲイン")); g != std::string::npos) {
      if (const auto v = NumberAfter(s, g); v && *v >= 1.0 && *v <= 1e6) {
        r.gain = static_cast<int>(*v);
      }
    } else if (s.find("sinc4") != std::string::npos) {
      r.sinc4 = true;
    } else if (s.find("sinc3") != std::string::npos) {
      r.sinc4 = false;
    } else if (s.find("chop") != std::string::npos || s.find("チョッピング") != std::string::npos) {
      r.chop = OnOff(s);
    } else if (s.find("buf") != std::string::npos || s.find("バッファ") != std::string::npos) {
      r.buffer = OnOff(s);
    } else if (s.find("velqoris") != std::string::npos) {
      const std::size_t name = s.find("velqoris");
      r.boardName = std::string(Trim(piece.substr(name)));
    } else if (s.size() >= 10) {
      // An ISO 8601 date: dddd-dd-dd.
      for (std::size_t i = 0; i + 10 <= s.size(); ++i) {
        if (s[i + 4] == '-' && s[i + 7] == '-' && std::isdigit(static_cast<unsigned char>(s[i])) &&
            std::isdigit(static_cast<unsigned char>(s[i + 9]))) {
          r.startTime = std::string(Trim(piece.substr(i)));
          break;
        }
      }
    }
    start = end + 1;
  }
}

bool LogCsvParser::Header(std::string_view line) {
  std::size_t start = 0;
  for (int i = 0; i < 16; ++i) {
    const std::size_t comma = line.find(',', start);
    const std::string_view name =
        Trim(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (name == "time_s") timeColumn_ = i;
    if (name == "ch0_code") codeColumn_[0] = i;
    if (name == "ch1_code") codeColumn_[1] = i;
    if (name == "ch0_uV") uvColumn_[0] = i;
    if (name == "ch1_uV") uvColumn_[1] = i;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (timeColumn_ < 0 || (codeColumn_[0] < 0 && codeColumn_[1] < 0)) return false;
  haveHeader_ = true;
  return true;
}

bool LogCsvParser::Row(std::string_view line) {
  double t = 0.0;
  std::int32_t code[2] = {0, 0};
  // The fields in one pass: split once, look each column up by index.
  std::array<std::string_view, 8> fields{};
  std::size_t count = 0;
  std::size_t start = 0;
  while (count < fields.size()) {
    const std::size_t comma = line.find(',', start);
    fields[count++] = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  const auto field = [&](int column) -> std::string_view {
    return column >= 0 && static_cast<std::size_t>(column) < count
               ? Trim(fields[static_cast<std::size_t>(column)])
               : std::string_view{};
  };
  if (!ParseSeconds(field(timeColumn_), t) || !std::isfinite(t)) return false;
  for (int ch = 0; ch < 2; ++ch) {
    if (codeColumn_[ch] < 0) continue;
    if (!Parse(field(codeColumn_[ch]), code[ch])) return false;
  }
  if (rows_ == 0) {
    for (int ch = 0; ch < 2; ++ch) {
      if (codeColumn_[ch] < 0) continue;
      auto& codes = result_.record.codes[ch];
      // Reserved once from the first row's length: no doubling peak on a long log.
      if (sizeHint_ > 0)
        codes.reserve(static_cast<std::size_t>(sizeHint_ / (line.size() + 1) + 16));
    }
    firstTime_ = t;
  } else {
    const double dt = t - lastTime_;
    if (rows_ == 1) firstPeriod_ = dt;
    const bool jump = firstPeriod_ > 0.0 && dt > 1.5 * firstPeriod_;
    if (gapPending_ || jump) {
      result_.record.gaps.push_back({rows_, 0.0});
      gapSpans_.push_back(dt);
    }
  }
  gapPending_ = false;
  if (result_.record.gaps.empty() && rows_ < kRateRows) {
    firstStretchRows_ = rows_ + 1;
    firstStretchEnd_ = t;
  }
  for (int ch = 0; ch < 2; ++ch) {
    if (codeColumn_[ch] < 0) continue;
    result_.record.codes[ch].push_back(code[ch]);
    const double offset = static_cast<double>(code[ch]) - kMidScaleCode;
    if (uvColumn_[ch] >= 0 && std::fabs(offset) > std::fabs(gainOffset_[ch])) {
      double uv = 0.0;
      if (Parse(field(uvColumn_[ch]), uv)) {
        gainOffset_[ch] = offset;
        gainMicrovolts_[ch] = uv;
      }
    }
  }
  lastTime_ = t;
  ++rows_;
  rowBytes_ += line.size() + 1;
  return true;
}

LogReadResult LogCsvParser::Finish() {
  if (!failed_ && !carry_.empty()) {
    // The last line without its newline is still a whole row when it parses.
    const std::string line = std::move(carry_);
    carry_.clear();
    Line(line);
  }
  if (failed_) {
    result_.record = LogRecord{};
    return std::move(result_);
  }
  if (!haveHeader_) {
    result_.status = LogReadStatus::kNotALog;
    result_.line = lineNumber_;
    return std::move(result_);
  }
  if (rows_ == 0) {
    result_.status = LogReadStatus::kNoData;
    return std::move(result_);
  }
  LogRecord& r = result_.record;
  if (settingsRate_) {
    r.rateSps = *settingsRate_;
  } else if (firstStretchRows_ > 1 && firstStretchEnd_ > firstTime_) {
    r.rateSps = Snap(static_cast<double>(firstStretchRows_ - 1) / (firstStretchEnd_ - firstTime_),
                     kDataRates, 0.005);
  }
  for (std::size_t i = 0; i < r.gaps.size(); ++i) {
    r.gaps[i].seconds = std::max(0.0, gapSpans_[i] - (r.rateSps > 0.0 ? 1.0 / r.rateSps : 0.0));
  }
  if (!r.gain) {
    for (int ch = 0; ch < 2 && !r.gain; ++ch) {
      // µV = offset × 2500000 / 8388607 / gain; at least 1000 codes from mid-scale for 0.1 %.
      if (std::fabs(gainOffset_[ch]) < 1000.0 || gainMicrovolts_[ch] == 0.0) continue;
      const double g =
          gainOffset_[ch] * kReferenceMicrovolts / kFullScaleCodes / gainMicrovolts_[ch];
      const double snapped = Snap(g, kGains, 0.01);
      if (snapped != g) r.gain = static_cast<int>(snapped);
    }
  }
  return std::move(result_);
}

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

LogReadResult ReadDataFile(const std::string& path) {
  LogReadResult result;
  std::vector<std::int32_t> codes[2];
  std::vector<float> uv[2];
  SampleBuffer buffers[2];
  for (int ch = 0; ch < 2; ++ch) {
    codes[ch].resize(kSampleCapacity);
    uv[ch].resize(kSampleCapacity);
    buffers[ch].Codes = codes[ch].data();
    buffers[ch].Microvolts = uv[ch].data();
  }
  MeasureSettings settings;
  TmyFile file([](const std::string&) { return false; });
  if (!file.LoadData(path, &settings, &buffers[0], &buffers[1])) {
    result.status = LogReadStatus::kBadDataFile;
    return result;
  }
  LogRecord& r = result.record;
  for (int ch = 0; ch < 2; ++ch) {
    r.codes[ch].assign(codes[ch].begin(), codes[ch].begin() + std::max(buffers[ch].Count, 0));
  }
  r.rateSps = DataRate(settings.spsSel).value_or(0);
  if (const auto g = GainOf(settings.GainSel)) r.gain = *g;
  r.sinc4 = settings.fSinc4 != 0;
  r.chop = settings.fCHOP_ON != 0;
  r.buffer = settings.fBUF_ON != 0;
  if (!r.HasChannel(0) && !r.HasChannel(1)) result.status = LogReadStatus::kNoData;
  return result;
}

}  // namespace

LogReadResult ReadLogFile(const std::string& path, const std::string& board) {
#ifdef VELQORIS_HAVE_HDF5
  if (h5log::HasHdf5Signature(path)) return ReadH5LogRecord(path, board);
#else
  (void)board;
#endif
  std::unique_ptr<std::FILE, FileCloser> file(OpenUtf8(path, "rb"));
  if (!file) return LogReadResult{LogReadStatus::kCannotOpen, 0, {}};
  std::uint64_t size = 0;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long end = std::ftell(file.get());
    if (end > 0) size = static_cast<std::uint64_t>(end);
    std::fseek(file.get(), 0, SEEK_SET);
  }
  std::vector<char> buffer(1 << 20);
  std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
  if (std::string_view(buffer.data(), got).starts_with(kDataFileId)) {
    file.reset();
    return ReadDataFile(path);
  }
  LogCsvParser parser(size);
  while (got > 0) {
    parser.Feed(std::string_view(buffer.data(), got));
    got = std::fread(buffer.data(), 1, buffer.size(), file.get());
  }
  if (std::ferror(file.get())) return LogReadResult{LogReadStatus::kCannotOpen, 0, {}};
  return parser.Finish();
}

std::string LogReadMessage(const LogReadResult& r, const std::string& path) {
  switch (r.status) {
    case LogReadStatus::kOk:
      return {};
    case LogReadStatus::kCannotOpen:
      return "ファイルを読めませんでした: " + path;
    case LogReadStatus::kNotALog:
      return "ログの CSV ファイルでもデータファイルでもありません: " + path;
    case LogReadStatus::kBadLine:
      return "ログの " + std::to_string(r.line) +
             " 行目が読めません (数値でない欄があります): " + path;
    case LogReadStatus::kNoData:
      return "データがありません: " + path;
    case LogReadStatus::kBadDataFile:
      return "データファイルの内容が正しくありません: " + path;
    case LogReadStatus::kBadHdf5:
      return r.detail;
  }
  return {};
}

}  // namespace velqoris
