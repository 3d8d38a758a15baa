// What the instrument asks of the front end that holds the board: start and
// abort a run, a long log into a CSV, the data of the last run, the board's
// identity. Calls come from the instrument's thread and never wait on the
// board; the end of a run or log is reported through TakeEnd, after the
// front end's notice (each front end says how it notifies).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "records/Measure_settings.h"
#include "session/Run_data.h"
#include "session/Run_end.h"

namespace velqoris::scpi {

struct BoardIdentity {
  std::string name;     // empty until a board was identified
  std::string version;  // the firmware's
  std::string serial;   // the USB serial number, "VIRTUAL" for the virtual board
};

struct LogProgress {
  bool active = false;
  std::int64_t written = 0;
  std::string path;
};

class Acquisition {
 public:
  virtual ~Acquisition() = default;
  // Starts a run; its end comes through TakeEnd.
  virtual void Start(const MeasureSettings& settings) = 0;
  // Asks a run or a log to stop; its end comes through TakeEnd as well.
  virtual void Abort() = 0;
  // Starts a log of total results (Recording::kUntilStopped for no limit).
  // False when the file cannot be created.
  virtual bool StartLog(const std::string& path, const MeasureSettings& settings,
                        std::int64_t total) = 0;
  // How the run or log started last ended, once.
  virtual std::optional<RunEnd> TakeEnd() = 0;
  virtual LogProgress Log() const = 0;
  // The last run's data, converted and with statistics; read only between
  // runs (after TakeEnd reported the end).
  virtual const RunData& Data() const = 0;
  virtual BoardIdentity Identity() const = 0;
};

}  // namespace velqoris::scpi
