// The settings a recording will be made with, shown and changeable in the
// recording window: data rate, channels, gain, filter, input buffer and
// chopping, filled from the main window's and read when the recording starts.
#pragma once

#include <QWidget>

#include "records/Measure_settings.h"

class QComboBox;

namespace velqoris {

class RecordingSettings : public QWidget {
 public:
  explicit RecordingSettings(QWidget* parent = nullptr);

  void Set(const MeasureSettings& settings);
  // The settings shown; the sample count and anything not shown stay as Set left them.
  MeasureSettings Get() const;

 private:
  MeasureSettings base_;
  QComboBox* rate_ = nullptr;
  QComboBox* channel_ = nullptr;
  QComboBox* gain_ = nullptr;
  QComboBox* filter_ = nullptr;
  QComboBox* buffer_ = nullptr;
  QComboBox* chop_ = nullptr;
};

}  // namespace velqoris
