// The instrument a client talks to: its settings, the status registers, the
// error queue, and the execution of program messages through the command
// table (Instrument_commands.cpp). Plain C++ on one thread; the server feeds
// it lines and sends what it answers. A unit that needs the run's end
// (READ?, *OPC?, *WAI, FETCh? during a run) holds the rest of the line until
// Resume is called after the acquisition's notice; a line's answers wait in
// the output while it is longer than the room the server gives.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "records/Measure_settings.h"
#include "scpi/Acquisition.h"
#include "scpi/Error_queue.h"
#include "scpi/File_policy.h"
#include "scpi/Scpi_parser.h"
#include "scpi/Status_registers.h"

namespace velqoris::scpi {

class Instrument {
 public:
  // model: the front end's name in *IDN?.
  Instrument(Acquisition& acquisition, std::string model, FilePolicy files);
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // True when the last line has been executed whole: the next may come.
  bool Ready() const { return pending_.empty() && !lineOpen_; }
  // One program message without its terminator, executed while the output
  // is shorter than room. Only when Ready.
  void Input(std::string_view line, std::size_t room = kDefaultRoom);
  // A line over the limit was discarded.
  void LineTooLong(std::size_t limit);
  // Executes the held units while the output is shorter than room.
  void Continue(std::size_t room = kDefaultRoom);
  // After the acquisition's notice: takes the end of a run or log, then continues.
  void Resume(std::size_t room = kDefaultRoom);
  // The client went away: a run or log is stopped, held units and answers
  // are dropped, the error queue is cleared for the next client. Settings stay.
  void Disconnect();
  std::string TakeOutput();
  std::size_t OutputSize() const { return output_.size(); }
  bool RunPending() const { return runPending_; }

  static constexpr std::size_t kDefaultRoom = 1 << 20;

  // The command table's patterns, queries with '?', in table order.
  static std::vector<std::string> Headers();

  // What a handler tells the executing loop.
  enum class Step { kDone, kWait };

 private:
  friend struct Commands;
  void Error(ScpiError error, std::string detail = {});
  void Respond(std::string_view text);
  std::string& BeginResponse();
  Step Execute(const Unit& unit);
  void FinishLine();
  void TakeEnds();
  bool Busy() const { return runPending_ || logging_; }
  // The -200 of a command that needs an idle board.
  void BusyError(const Unit& unit);

  Acquisition& acquisition_;
  std::string model_;
  FilePolicy files_;
  ErrorQueue errors_;
  StatusRegisters status_;
  MeasureSettings settings_;
  bool binaryFormat_ = false;
  bool hasData_ = false;
  bool runPending_ = false;
  bool opcArmed_ = false;
  bool readStarted_ = false;  // READ? sent INIT and waits for its run
  bool logging_ = false;

  std::deque<Unit> pending_;
  bool lineOpen_ = false;
  bool responded_ = false;
  ScpiError lineError_ = ScpiError::kNone;
  std::string lineDetail_;
  std::string output_;
};

}  // namespace velqoris::scpi
