#include "session/Log_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

#include "datafile/Myfile.h"
#include "datafile/Regular_file.h"
#include "datafile/Utf8_path.h"
#include "message/Message_text.h"
#include "records/Large_pages.h"
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

// time_s and µV as the log writes them ("12.345678", "-3.27845716"): the
// digits as one integer and a power of ten, several times faster than a
// general parse; anything else (an exponent, more digits) goes the general way.
bool ParseDecimal(std::string_view text, double& value) {
  static constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  std::int64_t mantissa = 0;
  int digits = 0;
  int decimals = -1;
  const bool negative = text.starts_with('-');
  for (const char c : text.substr(negative ? 1 : 0)) {
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
  if (negative) value = -value;
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
    // (A line the general parser trims or takes for a note is not for the scan.)
    if (haveHeader_ && carry_.empty() && chunk.front() != '#' && chunk.front() != ' ' &&
        chunk.front() != '\t') {
      // Rows as the log writes them, scanned in place; anything else below.
      RowValues v;
      const char* start = chunk.data();
      if (const char* next = ScanLogRow(start, start + chunk.size(), columns_, v)) {
        ++lineNumber_;
        if (!Accept(v, static_cast<std::size_t>(next - start))) Fail();
        chunk.remove_prefix(static_cast<std::size_t>(next - start));
        continue;
      }
    }
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
  // A UTF-8 byte-order mark, as some editors save a CSV.
  if (lineNumber_ == 1 && !continuation_ && line.starts_with("\xEF\xBB\xBF")) {
    line.remove_prefix(3);
  }
  const std::string_view text = Trim(line);
  if (text.empty()) return;
  if (text.front() == '#') {
    if (rows_ > 0) {
      gapPending_ = true;
    } else if (continuation_) {
      gapBeforeFirstRow_ = true;
    } else {
      SettingsLine(text.substr(1));
    }
    return;
  }
  const bool ok = haveHeader_ ? Row(text) : Header(text);
  if (!ok) Fail();
}

void LogCsvParser::Fail() {
  failed_ = true;
  result_.status = checks_.Failed()
                       ? LogReadStatus::kInconsistent
                       : (haveHeader_ ? LogReadStatus::kBadLine : LogReadStatus::kNotALog);
  result_.line = lineNumber_;
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
    if (name == "time_s") columns_.time = i;
    if (name == "ch0_code") columns_.code[0] = i;
    if (name == "ch1_code") columns_.code[1] = i;
    // µV only to find the gain the settings lines do not give.
    if (name == "ch0_uV" && !result_.record.gain) columns_.microvolts[0] = i;
    if (name == "ch1_uV" && !result_.record.gain) columns_.microvolts[1] = i;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (columns_.time < 0 || (columns_.code[0] < 0 && columns_.code[1] < 0)) return false;
  haveHeader_ = true;
  return true;
}

bool LogCsvParser::Row(std::string_view line) {
  RowValues v;
  // The fields in one pass: split once, look each column up by index.
  std::array<std::string_view, 16> fields{};  // as many as the header may name
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
  if (!ParseDecimal(field(columns_.time), v.seconds)) return false;
  for (int ch = 0; ch < 2; ++ch) {
    if (columns_.code[ch] < 0) continue;
    if (!Parse(field(columns_.code[ch]), v.code[ch])) return false;
    // A µV field that is not a number only leaves the row out of the gain's fit.
    v.hasMicrovolts[ch] = columns_.microvolts[ch] >= 0 &&
                          ParseDecimal(field(columns_.microvolts[ch]), v.microvolts[ch]);
  }
  return Accept(v, line.size() + 1);
}

bool LogCsvParser::Accept(const RowValues& v, std::size_t bytes) {
  const double t = v.seconds;
  if (!std::isfinite(t)) return false;
  if (!checks_.TimeFollows(rows_ > 0 ? std::optional(lastTime_) : std::nullopt, t, lineNumber_))
    return false;
  if (rows_ == 0) {
    for (int ch = 0; ch < 2; ++ch) {
      if (columns_.code[ch] < 0) continue;
      // Reserved once from the first row's length: no doubling peak on a long log.
      if (sizeHint_ > 0) {
        auto& codes = result_.record.codes[ch];
        codes.reserve(static_cast<std::size_t>(sizeHint_ / bytes + 16));
        AdviseLargePages(codes.data(), codes.capacity() * sizeof(std::int32_t));
      }
    }
    firstTime_ = t;
    firstRowLine_ = lineNumber_;
  } else {
    const double dt = t - lastTime_;
    if (rows_ == 1 && !continuation_) firstPeriod_ = dt;
    const bool jump = firstPeriod_ > 0.0 && dt > 1.5 * firstPeriod_;
    if (gapPending_ || jump) {
      result_.record.gaps.push_back({rows_, 0.0});
      gapSpans_.push_back(dt);
    }
  }
  gapPending_ = false;
  if (!continuation_ && result_.record.gaps.empty() && rows_ < kRateRows) {
    firstStretchRows_ = rows_ + 1;
    firstStretchEnd_ = t;
  }
  for (int ch = 0; ch < 2; ++ch) {
    if (columns_.code[ch] < 0) continue;
    result_.record.codes[ch].push_back(v.code[ch]);
    // Without a stated gain, every row's µV goes into the gain's fit.
    if (v.hasMicrovolts[ch] && !result_.record.gain && std::isfinite(v.microvolts[ch])) {
      checks_.CodeAndMicrovolts(v.code[ch], v.microvolts[ch]);
    }
  }
  lastTime_ = t;
  ++rows_;
  return true;
}

LogReadResult LogCsvParser::Refused() {
  result_.status = LogReadStatus::kInconsistent;
  result_.fault = checks_.Fault();
  result_.record = LogRecord{};
  return std::move(result_);
}

void LogCsvParser::FlushCarry() {
  if (!failed_ && !carry_.empty()) {
    const std::string line = std::move(carry_);
    carry_.clear();
    // A row without its line end is where a writer stopped: its fields may be
    // cut ("8388" of "8388608") and still parse, so it is left out.
    const std::string_view text = Trim(line);
    if (haveHeader_ && !text.empty() && text.front() != '#') {
      result_.cutLine = lineNumber_ + 1;
    } else {
      Line(line);
    }
  }
}

LogCsvParser LogCsvParser::Continuation(std::uint64_t sizeHint) const {
  LogCsvParser later(sizeHint);
  later.continuation_ = true;
  later.haveHeader_ = true;
  later.columns_ = columns_;
  later.result_.record.gain = result_.record.gain;
  later.firstPeriod_ = firstPeriod_;
  return later;
}

void LogCsvParser::Join(LogCsvParser&& later) {
  later.FlushCarry();
  if (failed_) return;  // the earlier fault comes first in the file
  const std::int64_t lines = lineNumber_;
  // The seam first: the later part's first row must follow this part's last
  // one, and comes before anything the later part found after it.
  const std::optional<double> before = rows_ > 0 ? std::optional(lastTime_) : std::nullopt;
  if (later.rows_ > 0 &&
      !checks_.TimeFollows(before, later.firstTime_, lines + later.firstRowLine_)) {
    failed_ = true;
    result_.status = LogReadStatus::kInconsistent;
    result_.line = lines + later.firstRowLine_;
    return;
  }
  checks_.Join(later.checks_, lines);
  if (later.failed_) {
    failed_ = true;
    result_.status = later.result_.status;
    result_.line = lines + later.result_.line;
    return;
  }
  lineNumber_ += later.lineNumber_;
  if (later.result_.cutLine > 0) result_.cutLine = lines + later.result_.cutLine;
  if (later.rows_ == 0) {
    gapPending_ = gapPending_ || later.gapBeforeFirstRow_;
    return;
  }
  LogRecord& r = result_.record;
  const double dt = later.firstTime_ - lastTime_;
  if (gapPending_ || later.gapBeforeFirstRow_ || (firstPeriod_ > 0.0 && dt > 1.5 * firstPeriod_)) {
    r.gaps.push_back({rows_, 0.0});
    gapSpans_.push_back(dt);
  }
  for (const LogGap& g : later.result_.record.gaps) r.gaps.push_back({g.before + rows_, 0.0});
  gapSpans_.insert(gapSpans_.end(), later.gapSpans_.begin(), later.gapSpans_.end());
  // Channel by channel, each later half let go at once: memory grows by one half at a time.
  for (int ch = 0; ch < 2; ++ch) {
    auto& codes = later.result_.record.codes[ch];
    r.codes[ch].insert(r.codes[ch].end(), codes.begin(), codes.end());
    std::vector<std::int32_t>().swap(codes);
  }
  gapPending_ = later.gapPending_;
  lastTime_ = later.lastTime_;
  rows_ += later.rows_;
}

LogReadResult LogCsvParser::Finish() {
  FlushCarry();
  if (failed_) {
    result_.record = LogRecord{};
    result_.fault = checks_.Fault();
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
  std::optional<double> timeRate;
  if (firstStretchRows_ > 1 && firstStretchEnd_ > firstTime_) {
    timeRate = static_cast<double>(firstStretchRows_ - 1) / (firstStretchEnd_ - firstTime_);
  }
  if (settingsRate_) {
    r.rateSps = *settingsRate_;
  } else if (timeRate) {
    r.rateSps = Snap(*timeRate, kDataRates, kRateTolerance);
  }
  if ((settingsRate_ && !checks_.RateAgrees(*settingsRate_, timeRate)) ||
      (r.gain && !checks_.GainListed(*r.gain))) {
    return Refused();
  }
  for (std::size_t i = 0; i < r.gaps.size(); ++i) {
    r.gaps[i].seconds = std::max(0.0, gapSpans_[i] - (r.rateSps > 0.0 ? 1.0 / r.rateSps : 0.0));
  }
  if (!r.gain) r.gain = checks_.GainFromRows();
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
    result.openFault = file.LastFault();
    result.line = file.LastFault().line;
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

namespace {

// Feeds the bytes [from, to) of a file to a parser.
bool FeedRange(std::FILE* file, std::uint64_t from, std::uint64_t to, LogCsvParser& parser) {
  if (std::fseek(file, static_cast<long>(from), SEEK_SET) != 0) return false;
  std::vector<char> buffer(1 << 20);
  for (std::uint64_t at = from; at < to;) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), to - at));
    const std::size_t got = std::fread(buffer.data(), 1, want, file);
    if (got == 0) return !std::ferror(file);
    parser.Feed(std::string_view(buffer.data(), got));
    at += got;
  }
  return !std::ferror(file);
}

// The first position after a newline at or beyond `from`; `size` when none.
std::uint64_t LineStart(std::FILE* file, std::uint64_t from, std::uint64_t size) {
  if (std::fseek(file, static_cast<long>(from), SEEK_SET) != 0) return size;
  std::vector<char> buffer(1 << 16);
  for (std::uint64_t at = from; at < size;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    if (got == 0) return size;
    const void* newline = std::memchr(buffer.data(), '\n', got);
    if (newline != nullptr)
      return at + static_cast<std::uint64_t>(static_cast<const char*>(newline) - buffer.data()) + 1;
    at += got;
  }
  return size;
}

}  // namespace

LogReadResult ReadLogFile(const std::string& path, const std::string& board,
                          std::uint64_t twoThreadBytes) {
  const OpenedFile opened = OpenRegularFile(path);
  if (opened.stream == nullptr) {
    LogReadResult failed;
    failed.status = LogReadStatus::kCannotOpen;
    failed.openFault = opened.fault;
    return failed;
  }
  std::unique_ptr<std::FILE, FileCloser> file(opened.stream);
  const std::uint64_t size = opened.size;
  // A first look: enough for a data file's identification, or for a log's
  // header and first rows before its halves are shared out.
  std::vector<char> buffer(1 << 20);
  std::size_t got = std::fread(buffer.data(), 1, 1 << 12, file.get());
#ifdef VELQORIS_HAVE_HDF5
  if (std::string_view(buffer.data(), got).starts_with(h5log::kHdf5Signature)) {
    file.reset();
    return ReadH5LogRecord(path, board);
  }
#else
  (void)board;
#endif
  if (std::string_view(buffer.data(), got).starts_with(kDataFileId)) {
    file.reset();
    return ReadDataFile(path);
  }
  LogCsvParser parser(size);
  parser.Feed(std::string_view(buffer.data(), got));
  std::uint64_t read = got;
  // A long log: the second half on a thread of its own, from a line's start.
  if (size >= twoThreadBytes && read < size / 2 && parser.CanContinue()) {
    const std::uint64_t half = LineStart(file.get(), size / 2, size);
    std::unique_ptr<std::FILE, FileCloser> second(OpenUtf8(path, "rb"));
    if (second && half < size) {
      LogCsvParser later = parser.Continuation(size - half);
      bool laterRead = false;
      std::thread thread([&] { laterRead = FeedRange(second.get(), half, size, later); });
      const bool firstRead = FeedRange(file.get(), read, half, parser);
      thread.join();
      if (!firstRead || !laterRead) {
        LogReadResult failed;
        failed.status = LogReadStatus::kCannotOpen;
        failed.openFault = {FileFault::Kind::NotReadable, EIO};
        return failed;
      }
      parser.Join(std::move(later));
      return parser.Finish();
    }
    std::fseek(file.get(), static_cast<long>(read), SEEK_SET);
  }
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    parser.Feed(std::string_view(buffer.data(), got));
  }
  if (std::ferror(file.get())) {
    LogReadResult failed;
    failed.status = LogReadStatus::kCannotOpen;
    failed.openFault = {FileFault::Kind::NotReadable, EIO};
    return failed;
  }
  return parser.Finish();
}

std::string LogReadMessage(const LogReadResult& r, const std::string& path) {
  switch (r.status) {
    case LogReadStatus::kOk:
      return {};
    case LogReadStatus::kCannotOpen:
      if (r.openFault.kind != FileFault::Kind::None) return FileFaultMessage(r.openFault, path);
      return "ファイルを読めませんでした: " + path;
    case LogReadStatus::kNotALog:
      return "ログの CSV ファイルでもデータファイルでもありません: " + path;
    case LogReadStatus::kBadLine:
      return "ログの " + std::to_string(r.line) +
             " 行目が読めません (数値でない欄があります): " + path;
    case LogReadStatus::kNoData:
      return "データがありません: " + path;
    case LogReadStatus::kBadDataFile:
      if (r.openFault.kind != FileFault::Kind::BadContents)
        return FileFaultMessage(r.openFault, path);
      return "データファイルの内容が正しくありません: " + path +
             (r.line > 0 ? " (" + std::to_string(r.line) + " 行目)" : std::string());
    case LogReadStatus::kInconsistent:
      return LogFaultText(r.fault) + ": " + path;
    case LogReadStatus::kBadHdf5:
      return r.detail;
  }
  return {};
}

std::string CutRowNote(const LogReadResult& r) {
  if (r.cutLine == 0) return {};
  return "最後の行 (" + std::to_string(r.cutLine) +
         " 行目) は途中で切れていたため読みませんでした (書き込み中に止まったログ)";
}

}  // namespace velqoris
