#include "h5log/H5_log_reader.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

#include "datafile/Regular_file.h"
#include "datafile/Utf8_path.h"
#include "h5log/H5_handle.h"
#include "h5log/H5_log_writer.h"
#include "records/Large_pages.h"

namespace velqoris::h5log {

namespace {

// A log's sample numbers stay within 32 bits, as the CSV log's do.
constexpr std::int64_t kMaxRows = 2147483647;
constexpr std::int64_t kMaxGaps = 1 << 20;

// One value, whatever the attribute's declared shape, or nothing.
H5Handle ScalarAttribute(hid_t owner, const char* name, H5T_class_t wanted) {
  if (H5Aexists(owner, name) <= 0) return {};
  H5Handle attr(H5Aopen(owner, name, H5P_DEFAULT), H5Aclose);
  if (!attr.Valid()) return {};
  H5Handle space(H5Aget_space(attr.get()), H5Sclose);
  H5Handle type(H5Aget_type(attr.get()), H5Tclose);
  if (H5Sget_simple_extent_npoints(space.get()) != 1 || H5Tget_class(type.get()) != wanted)
    return {};
  return attr;
}

std::optional<std::string> ReadText(hid_t owner, const char* name) {
  const H5Handle attr = ScalarAttribute(owner, name, H5T_STRING);
  if (!attr.Valid()) return std::nullopt;
  H5Handle fileType(H5Aget_type(attr.get()), H5Tclose);
  H5Handle memType(H5Tcopy(H5T_C_S1), H5Tclose);
  if (H5Tis_variable_str(fileType.get()) > 0) {
    H5Tset_size(memType.get(), H5T_VARIABLE);
    H5Tset_cset(memType.get(), H5Tget_cset(fileType.get()));
    char* text = nullptr;
    if (H5Aread(attr.get(), memType.get(), &text) < 0) return std::nullopt;
    std::string value = text != nullptr ? text : "";
    H5free_memory(text);
    return value;
  }
  const std::size_t size = H5Tget_size(fileType.get());
  if (size == 0 || size > 4096) return std::nullopt;
  std::string value(size, '\0');
  H5Tset_size(memType.get(), size);
  if (H5Aread(attr.get(), memType.get(), value.data()) < 0) return std::nullopt;
  value.resize(std::strlen(value.c_str()));
  return value;
}

std::optional<std::int64_t> ReadInt(hid_t owner, const char* name) {
  const H5Handle attr = ScalarAttribute(owner, name, H5T_INTEGER);
  std::int64_t v = 0;
  if (!attr.Valid() || H5Aread(attr.get(), H5T_NATIVE_INT64, &v) < 0) return std::nullopt;
  return v;
}

std::optional<double> ReadDouble(hid_t owner, const char* name) {
  const H5Handle attr = ScalarAttribute(owner, name, H5T_FLOAT);
  double v = 0;
  if (!attr.Valid() || H5Aread(attr.get(), H5T_NATIVE_DOUBLE, &v) < 0) return std::nullopt;
  return v;
}

// A one-dimensional dataset's length, or nothing.
std::optional<std::int64_t> Length(hid_t dataset) {
  H5Handle space(H5Dget_space(dataset), H5Sclose);
  hsize_t dims[1] = {0};
  if (H5Sget_simple_extent_ndims(space.get()) != 1) return std::nullopt;
  H5Sget_simple_extent_dims(space.get(), dims, nullptr);
  return static_cast<std::int64_t>(dims[0]);
}

// The first `rows` rows of a one-dimensional dataset into `out`.
template <typename T>
bool ReadRows(hid_t dataset, hid_t memType, std::int64_t rows, std::vector<T>& out) {
  out.reserve(static_cast<std::size_t>(rows));
  AdviseLargePages(out.data(), out.capacity() * sizeof(T));
  out.resize(static_cast<std::size_t>(rows));
  if (rows == 0) return true;
  H5Handle fileSpace(H5Dget_space(dataset), H5Sclose);
  const hsize_t start[1] = {0};
  const hsize_t n[1] = {static_cast<hsize_t>(rows)};
  if (H5Sselect_hyperslab(fileSpace.get(), H5S_SELECT_SET, start, nullptr, n, nullptr) < 0)
    return false;
  H5Handle memSpace(H5Screate_simple(1, n, nullptr), H5Sclose);
  return H5Dread(dataset, memType, memSpace.get(), fileSpace.get(), H5P_DEFAULT, out.data()) >= 0;
}

H5Handle OpenLogFile(const std::string& path) {
  // A file left by a writer that was killed still says a writer has it open:
  // only a reader of the same mode opens it then.
  H5Handle file(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
  if (file.Valid()) return file;
  return H5Handle(H5Fopen(path.c_str(), H5F_ACC_RDONLY | H5F_ACC_SWMR_READ, H5P_DEFAULT), H5Fclose);
}

class BoardReader {
 public:
  BoardReader(hid_t file, int index, H5ReadResult& result)
      : file_(file), name_(BoardGroupName(index)), result_(result) {}

  // False with the result's status set when the board could not be read;
  // `skipped` when its serial is not the one asked for.
  bool Read(H5BoardLog& log, const std::string& wanted, bool& skipped) {
    H5Handle group(H5Gopen2(file_, name_.c_str(), H5P_DEFAULT), H5Gclose);
    if (!group.Valid()) return Bad("");
    const hid_t g = group.get();
    H5BoardHeader& h = log.header;
    const auto serial = ReadText(g, kSerialAttr);
    const auto line = ReadText(g, kBoardLineAttr);
    const auto start = ReadText(g, kStartAttr);
    const auto rate = ReadDouble(g, kRateAttr);
    const auto gain = ReadInt(g, kGainAttr);
    const auto committed = ReadInt(g, kCommittedAttr);
    if (!serial) return Bad(kSerialAttr);
    skipped = !wanted.empty() && *serial != wanted;
    if (skipped) return true;
    if (!line) return Bad(kBoardLineAttr);
    if (!start) return Bad(kStartAttr);
    if (!rate || !(*rate > 0.0 && *rate <= 1e6)) return Bad(kRateAttr);
    if (!gain || *gain < 1 || *gain > 1024) return Bad(kGainAttr);
    if (!committed || *committed < 0) return Bad(kCommittedAttr);
    h.serial = *serial;
    h.boardLine = *line;
    h.start = *start;
    h.startUnixNs = ReadInt(g, kStartNsAttr).value_or(0);
    h.rateSps = *rate;
    h.gain = static_cast<int>(*gain);
    h.sinc4 = ReadText(g, kFilterAttr).value_or("sinc4") != "sinc3";
    h.chop = ReadText(g, kChopAttr).value_or("off") == "on";
    h.buffer = ReadText(g, kBufferAttr).value_or("off") == "on";
    h.microvoltsPerCode = ReadDouble(g, kMicrovoltsAttr).value_or(0.0);
    if (*committed > kMaxRows) {
      result_.status = H5ReadStatus::kTooLarge;
      return false;
    }
    log.rows = *committed;
    LogRecord& r = log.record;
    for (int ch = 0; ch < 2; ++ch) {
      h.channel[ch] = H5Lexists(g, kCodeDataset[ch], H5P_DEFAULT) > 0;
      if (!h.channel[ch]) continue;
      H5Handle data(H5Dopen2(g, kCodeDataset[ch], H5P_DEFAULT), H5Dclose);
      H5Handle type(data.Valid() ? H5Dget_type(data.get()) : H5I_INVALID_HID, H5Tclose);
      const auto length = data.Valid() ? Length(data.get()) : std::nullopt;
      if (!length || *length < log.rows || H5Tget_class(type.get()) != H5T_INTEGER ||
          !ReadRows(data.get(), H5T_NATIVE_INT32, log.rows, r.codes[ch]))
        return Bad(kCodeDataset[ch]);
    }
    if (!h.channel[0] && !h.channel[1]) return Bad(kCodeDataset[0]);
    if (!ReadGaps(g, log)) return Bad(kGapsDataset);
    r.rateSps = h.rateSps;
    r.gain = h.gain;
    r.sinc4 = h.sinc4;
    r.chop = h.chop;
    r.buffer = h.buffer;
    r.boardName = h.boardLine;
    r.startTime = h.start;
    for (const H5Gap& gap : log.gaps) r.gaps.push_back({gap.firstSample, gap.secondsLost});
    return true;
  }

 private:
  bool ReadGaps(hid_t g, H5BoardLog& log) {
    if (H5Lexists(g, kGapsDataset, H5P_DEFAULT) <= 0) return true;
    H5Handle data(H5Dopen2(g, kGapsDataset, H5P_DEFAULT), H5Dclose);
    const auto length = data.Valid() ? Length(data.get()) : std::nullopt;
    if (!length || *length > kMaxGaps) return false;
    const H5Handle type = GapRowType();
    if (!ReadRows(data.get(), type.get(), *length, log.gaps)) return false;
    // Gaps beyond the committed rows belong to rows that were never vouched for.
    std::erase_if(log.gaps, [&](const H5Gap& gap) {
      return gap.firstSample <= 0 || gap.firstSample >= log.rows;
    });
    return true;
  }

  bool Bad(const std::string& what) {
    result_.status = H5ReadStatus::kBadPart;
    result_.part = what.empty() ? name_ : name_ + "/" + what;
    return false;
  }

  hid_t file_;
  std::string name_;
  H5ReadResult& result_;
};

}  // namespace

bool HasHdf5Signature(const std::string& path) {
  const OpenedFile opened = OpenRegularFile(path);
  if (opened.stream == nullptr) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.stream, std::fclose);
  char head[kHdf5Signature.size()] = {};
  return std::fread(head, 1, sizeof head, file.get()) == sizeof head &&
         std::string_view(head, sizeof head) == kHdf5Signature;
}

H5ReadResult ReadH5Log(const std::string& path, int board, const std::string& serial) {
  H5ReadResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(PathFromUtf8(path), ec) || !HasHdf5Signature(path)) {
    result.status = H5ReadStatus::kCannotOpen;
    return result;
  }
  SilenceHdf5Errors();
  const H5Handle file = OpenLogFile(path);
  if (!file.Valid()) {
    result.status = H5ReadStatus::kCannotOpen;
    return result;
  }
  const auto format = ReadText(file.get(), kFormatAttr);
  const auto version = ReadInt(file.get(), kFormatVersionAttr);
  const auto boards = ReadInt(file.get(), kBoardsAttr);
  if (!format || *format != kFormatName || !version || *version < 1 || *version > kFormatVersion ||
      !boards || *boards < 1 || *boards > 64) {
    result.status = H5ReadStatus::kNotALog;
    return result;
  }
  result.softwareVersion = ReadText(file.get(), kSoftwareAttr).value_or("");
  if (board >= *boards) {
    result.status = H5ReadStatus::kNoBoard;
    return result;
  }
  try {
    for (int i = board < 0 ? 0 : board; i < (board < 0 ? *boards : board + 1); ++i) {
      H5BoardLog log;
      bool skipped = false;
      if (!BoardReader(file.get(), i, result).Read(log, serial, skipped)) return result;
      if (!skipped) result.boards.push_back(std::move(log));
    }
    if (result.boards.empty()) result.status = H5ReadStatus::kNoBoard;
  } catch (const std::bad_alloc&) {
    result.boards.clear();
    result.status = H5ReadStatus::kTooLarge;
  }
  return result;
}

std::string H5ReadMessage(const H5ReadResult& r, const std::string& path) {
  switch (r.status) {
    case H5ReadStatus::kOk:
      return {};
    case H5ReadStatus::kCannotOpen:
      return "HDF5 ファイルを開けませんでした: " + path;
    case H5ReadStatus::kNotALog:
      return "VELQORIS のログの HDF5 ファイルではありません: " + path;
    case H5ReadStatus::kBadPart:
      return "HDF5 ログの " + r.part + " が読めません: " + path;
    case H5ReadStatus::kTooLarge:
      return "HDF5 ログが大きすぎて読めません: " + path;
    case H5ReadStatus::kNoBoard:
      return "HDF5 ログにそのボードがありません: " + path;
  }
  return {};
}

}  // namespace velqoris::h5log
