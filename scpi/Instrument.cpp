#include "scpi/Instrument.h"

#include <utility>

namespace velqoris::scpi {

Instrument::Instrument(Acquisition& acquisition, std::string model, FilePolicy files)
    : acquisition_(acquisition), model_(std::move(model)), files_(std::move(files)) {
  settings_.Gain = DerivedGain(settings_.GainSel);
}

void Instrument::Error(ScpiError error, std::string detail) {
  errors_.Push(error, std::move(detail));
  status_.SetEvent(EventBitOf(error));
}

std::string& Instrument::BeginResponse() {
  if (responded_) output_ += ';';
  responded_ = true;
  return output_;
}

void Instrument::Respond(std::string_view text) { BeginResponse() += text; }

void Instrument::Input(std::string_view line, std::size_t room) {
  ParsedMessage parsed = ParseMessage(line);
  pending_.assign(std::make_move_iterator(parsed.units.begin()),
                  std::make_move_iterator(parsed.units.end()));
  lineError_ = parsed.error;
  lineDetail_ = std::move(parsed.detail);
  lineOpen_ = true;
  responded_ = false;
  Continue(room);
}

void Instrument::BusyError(const Unit& unit) {
  Error(ScpiError::kExecution, unit.HeaderText() + " needs an idle board; " +
                                   (logging_ ? "a log is running" : "a run is in progress"));
}

void Instrument::LineTooLong(std::size_t limit) {
  Error(ScpiError::kTooMuchData, "line over " + std::to_string(limit) + " bytes discarded");
}

void Instrument::Continue(std::size_t room) {
  while (!pending_.empty()) {
    if (output_.size() >= room) return;
    if (Execute(pending_.front()) == Step::kWait) return;
    pending_.pop_front();
  }
  if (lineOpen_) FinishLine();
}

void Instrument::FinishLine() {
  if (lineError_ != ScpiError::kNone) Error(lineError_, std::move(lineDetail_));
  lineError_ = ScpiError::kNone;
  lineDetail_.clear();
  if (responded_) output_ += '\n';
  responded_ = false;
  lineOpen_ = false;
}

void Instrument::Resume(std::size_t room) {
  TakeEnds();
  Continue(room);
}

void Instrument::Disconnect() {
  if (Busy()) acquisition_.Abort();
  pending_.clear();
  lineOpen_ = false;
  responded_ = false;
  lineError_ = ScpiError::kNone;
  readStarted_ = false;
  output_.clear();
  errors_.Clear();
}

std::string Instrument::TakeOutput() { return std::exchange(output_, {}); }

void Instrument::TakeEnds() {
  while (const auto end = acquisition_.TakeEnd()) {
    const bool wasLog = logging_;
    logging_ = false;
    runPending_ = false;
    if (opcArmed_) status_.SetEvent(StatusRegisters::kOperationComplete);
    opcArmed_ = false;
    switch (*end) {
      case RunEnd::kNotEnded:
      case RunEnd::kComplete:
      case RunEnd::kStopped:
        hasData_ = !wasLog && acquisition_.Data().HasData();
        break;
      case RunEnd::kNoBoard:
      case RunEnd::kOtherBoard:
        Error(ScpiError::kHardwareMissing, "VELQORIS board not found");
        break;
      case RunEnd::kNoAnswer:
        Error(ScpiError::kHardware, "the board did not answer");
        break;
      case RunEnd::kRefused:
        Error(ScpiError::kHardware, "the board refused a setting");
        break;
      case RunEnd::kReadError:
      case RunEnd::kPulledCable:
        Error(ScpiError::kHardware, "read error; the run ended");
        break;
      case RunEnd::kStalled:
        Error(ScpiError::kHardware, "no results came; the run ended");
        break;
      case RunEnd::kSinkFailed:
        Error(ScpiError::kMassStorage, "the log file could not be written");
        break;
    }
  }
}

}  // namespace velqoris::scpi
