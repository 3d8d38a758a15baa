// Parses a data file from an open stream: identification line, settings
// block, and the one- or two-channel data block that its CHSel names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "datafile/Line_reader.h"
#include "records/Measure_settings.h"

namespace velqoris {

class DataFileReader {
 public:
  // The stream stays owned by the caller.
  explicit DataFileReader(std::FILE* stream);

  // True when the whole file was correct. Only then are the record and the
  // buffers written (a channel the file does not hold gets Count 0); on false
  // they are left exactly as given. Each buffer's arrays hold kSampleCapacity.
  bool Read(MeasureSettings& settings, SampleBuffer& ch0, SampleBuffer& ch1);
  // Codes outside the converter's range (0 … 16777215) make a file incorrect.
  static bool CodeInRange(std::int32_t code);
  // After a false Read: the line (from 1) it could not read.
  std::int64_t FailedLine() const { return failedLine_; }

 private:
  bool FindLine(std::string_view marker);
  bool ReadSettings(MeasureSettings& settings);
  bool ReadData(std::vector<std::int32_t>& codes);
  bool ReadData2(std::vector<std::int32_t>& ch0, std::vector<std::int32_t>& ch1);

  bool ReadAll(MeasureSettings& settings, SampleBuffer& ch0, SampleBuffer& ch1);

  LineReader lines_;
  std::int64_t failedLine_ = 0;
};

}  // namespace velqoris
