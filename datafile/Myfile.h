// The .DTA data file: saves the data on display with its settings, and loads
// such a file back. Every call opens and closes its own file; failures are a
// false result and show nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "datafile/File_fault.h"
#include "records/Measure_settings.h"

namespace velqoris {

class LineWriter;

class TmyFile {
 public:
  // Receives the whole question text; true only for Yes.
  using ConfirmOverwrite = std::function<bool(const std::string& question)>;

  explicit TmyFile(ConfirmOverwrite confirm);
  // For tests of the failure path: only the first failAfterLines lines of a
  // save can be written, the rest fail as on a full disk (root included).
  TmyFile(ConfirmOverwrite confirm, int failAfterLines);

  // One-channel file from one buffer. True when written, and also when the
  // file exists and the user does not want it overwritten (nothing is touched
  // then). A failed save leaves an existing file as it was.
  bool SaveData(const std::string& path, const MeasureSettings* settings,
                const SampleBuffer* buffer);
  // Two-channel file; both buffers hold the same count.
  bool SaveData2(const std::string& path, const MeasureSettings* settings, const SampleBuffer* ch0,
                 const SampleBuffer* ch1);
  // True when the whole file was correct: the record then holds its settings
  // and the buffers its codes (a channel not in the file gets Count 0). On
  // false nothing given is changed. Keys missing from the file keep the
  // record's values.
  bool LoadData(const std::string& path, MeasureSettings* settings, SampleBuffer* ch0,
                SampleBuffer* ch1);

  // A file larger than this is not a data file (the largest is about 200 kB).
  static constexpr std::uint64_t kMaxLoadBytes = 64u << 20;

  static std::string OverwriteQuestion(const std::string& path);
  // Why the last SaveData, SaveData2 or LoadData failed (Kind::None after a success).
  const FileFault& LastFault() const { return fault_; }
  // True when the last save wrote nothing because the user kept the old file.
  bool LastDeclined() const { return declined_; }

 private:
  // ch1 is null for a one-channel file.
  bool Save(const std::string& path, const MeasureSettings* settings, const SampleBuffer* ch0,
            const SampleBuffer* ch1);
  bool MayReplace(const std::string& path, bool& replace);
  static bool WriteSettings(LineWriter& out, const MeasureSettings& settings);
  static bool WriteData(LineWriter& out, const SampleBuffer& buffer);
  static bool WriteData2(LineWriter& out, const SampleBuffer& ch0, const SampleBuffer& ch1);

  bool Fail(FileFault::Kind kind, int error);

  ConfirmOverwrite confirm_;
  FileFault fault_;
  bool declined_ = false;
  int failAfterLines_;
};

}  // namespace velqoris
