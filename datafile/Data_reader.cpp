#include "datafile/Data_reader.h"

#include <algorithm>
#include <optional>

#include "datafile/Integer_text.h"

namespace velqoris {
namespace {

constexpr std::string_view kIdentification = "VELQORIS_DataFile:";
constexpr int kMarkerSearchLines = 10;
constexpr int kSettingsLines = 20;
// "MEND:" closes the block only after this many lines of it.
constexpr int kSettingsBeforeEnd = 7;

std::optional<std::uint8_t> ParseFlag(std::string_view value) {
  if (value == "0") return 0;
  if (value == "1") return 1;
  return std::nullopt;
}

void Store(const std::vector<std::int32_t>& codes, SampleBuffer& buffer) {
  std::copy(codes.begin(), codes.end(), buffer.Codes);
  buffer.Count = static_cast<std::int32_t>(codes.size());
}

}  // namespace

DataFileReader::DataFileReader(std::FILE* stream) : lines_(stream) {}

bool DataFileReader::CodeInRange(std::int32_t code) { return code >= 0 && code <= 16777215; }

bool DataFileReader::Read(MeasureSettings& settings, SampleBuffer& ch0, SampleBuffer& ch1) {
  failedLine_ = 0;
  if (ReadAll(settings, ch0, ch1)) return true;
  failedLine_ = lines_.LineNumber();
  return false;
}

bool DataFileReader::ReadAll(MeasureSettings& settings, SampleBuffer& ch0, SampleBuffer& ch1) {
  if (ch0.Codes == nullptr || ch1.Codes == nullptr) return false;
  if (!lines_.ReadLine() || lines_.Overlong() || lines_.Line() != kIdentification) return false;

  // Keys missing from the file keep the caller's values.
  MeasureSettings read = settings;
  if (!ReadSettings(read)) return false;
  // A selection outside its list could never be shown or measured with.
  if (!SelectionsValid(read)) return false;

  std::vector<std::int32_t> codes0;
  std::vector<std::int32_t> codes1;
  if (read.CHSel == 2) {
    if (!ReadData2(codes0, codes1)) return false;
    Store(codes0, ch0);
    Store(codes1, ch1);
  } else {
    if (!ReadData(codes0)) return false;
    Store(codes0, read.CHSel == 0 ? ch0 : ch1);
    (read.CHSel == 0 ? ch1 : ch0).Count = 0;
  }
  settings = read;
  return true;
}

bool DataFileReader::FindLine(std::string_view marker) {
  for (int i = 0; i < kMarkerSearchLines; ++i) {
    if (!lines_.ReadLine()) return false;
    if (!lines_.Overlong() && lines_.Line() == marker) return true;
  }
  return false;
}

bool DataFileReader::ReadSettings(MeasureSettings& settings) {
  if (!FindLine("M:")) return false;
  for (int n = 0; n < kSettingsLines; ++n) {
    if (!lines_.ReadLine() || lines_.Overlong()) return false;
    const std::string_view line = lines_.Line();
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, colon + 1);
    const std::string_view value = line.substr(colon + 1);

    if (key == "MEND:" && n >= kSettingsBeforeEnd) return true;

    std::int32_t* number = nullptr;
    if (key == "spsSel:") number = &settings.spsSel;
    if (key == "DataCountSel:") number = &settings.DataCountSel;
    if (key == "CHSel:") number = &settings.CHSel;
    if (key == "GainSel:") number = &settings.GainSel;
    if (number != nullptr) {
      const auto parsed = ParseInt32(value);
      if (!parsed) return false;
      *number = *parsed;
      continue;
    }

    std::uint8_t* flag = nullptr;
    if (key == "fSinc4:") flag = &settings.fSinc4;
    if (key == "fBUF_ON:") flag = &settings.fBUF_ON;
    if (key == "fCHOP_ON:") flag = &settings.fCHOP_ON;
    if (flag != nullptr) {
      const auto parsed = ParseFlag(value);
      if (!parsed) return false;
      *flag = *parsed;
    }
    // Any other key is ignored.
  }
  return true;
}

bool DataFileReader::ReadData(std::vector<std::int32_t>& codes) {
  if (!FindLine("D:")) return false;
  codes.clear();
  codes.reserve(kSampleCapacity);
  for (;;) {
    if (!lines_.ReadLine() || lines_.Overlong()) return false;
    const std::string_view line = lines_.Line();
    if (line.find(':') != std::string_view::npos) return line == "DEND:";
    if (codes.size() == static_cast<std::size_t>(kSampleCapacity)) return false;
    const auto code = ParseInt32(line);
    if (!code || !CodeInRange(*code)) return false;
    codes.push_back(*code);
  }
}

bool DataFileReader::ReadData2(std::vector<std::int32_t>& ch0, std::vector<std::int32_t>& ch1) {
  if (!FindLine("D:")) return false;
  ch0.clear();
  ch1.clear();
  ch0.reserve(kSampleCapacity);
  ch1.reserve(kSampleCapacity);
  for (;;) {
    if (!lines_.ReadLine() || lines_.Overlong()) return false;
    const std::string_view line = lines_.Line();
    if (line.find(':') != std::string_view::npos) return line == "DEND:";
    if (ch0.size() == static_cast<std::size_t>(kSampleCapacity)) return false;
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return false;
    const auto code0 = ParseInt32(line.substr(0, comma));
    const auto code1 = ParseInt32(line.substr(comma + 1));
    if (!code0 || !code1 || !CodeInRange(*code0) || !CodeInRange(*code1)) return false;
    ch0.push_back(*code0);
    ch1.push_back(*code1);
  }
}

}  // namespace velqoris
