// Saving and loading the data on display as a .DTA file, the same way for the
// window and the command-line tool: the extension rule, the file form by
// channel choice, and the checks a loaded file must pass.
#pragma once

#include <string>

#include "session/Run_data.h"
#include "board/Ad7190.h"
#include "datafile/Myfile.h"
#include "records/Measure_settings.h"

namespace velqoris {

inline constexpr const char* kDataExtension = ".DTA";

// Exact and upper case, on the whole path: "run1.dta" becomes "run1.dta.DTA".
inline std::string WithDataExtension(std::string path) {
  const std::string tail = kDataExtension;
  const bool has =
      path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
  if (!has) path += tail;
  return path;
}

// One-channel file for CH0 or CH1, two-channel file for both; false for a
// channel choice that names neither.
inline bool SaveRun(TmyFile& file, const std::string& path, RunData& data) {
  switch (data.Settings.CHSel) {
    case 0:
      return file.SaveData(path, &data.Settings, &data.Ch0);
    case 1:
      return file.SaveData(path, &data.Settings, &data.Ch1);
    case 2:
      return file.SaveData2(path, &data.Settings, &data.Ch0, &data.Ch1);
    default:
      return false;
  }
}

// What a read leaves behind, taken as the data on display. True when the
// file was correct: Settings (with Gain) and the data flags then describe it;
// microvolts and statistics are still to be computed. A channel whose data
// block holds no sample is not data: its flag stays false, so no figure of
// earlier data can be shown as the file's. On false the data on display is
// dropped, since the reader may have filled part of the buffers and nothing
// may mix the old settings with those codes.
inline bool TakeLoaded(bool read, const MeasureSettings& loaded, RunData& data) {
  const auto held = [](const SampleBuffer& b) {
    return b.Count >= 0 && b.Count <= kSampleCapacity;
  };
  // A selection outside its list can index no table: such a file is not correct.
  if (!read || !SelectionsValid(loaded) || !held(data.Ch0) || !held(data.Ch1)) {
    data.DropData();
    return false;
  }
  data.Settings = loaded;
  data.Settings.Gain = TADC::GainFactor(data.Settings.GainSel);
  const int ch = data.Settings.CHSel;
  data.fCH0Data = (ch == 0 || ch == 2) && data.Ch0.Count > 0;
  data.fCH1Data = (ch == 1 || ch == 2) && data.Ch1.Count > 0;
  return true;
}

inline bool LoadRun(TmyFile& file, const std::string& path, RunData& data) {
  MeasureSettings loaded = data.Settings;
  const bool read = file.LoadData(path, &loaded, &data.Ch0, &data.Ch1);
  return TakeLoaded(read, loaded, data);
}

}  // namespace velqoris
