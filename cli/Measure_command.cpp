// measure: one run on the board, as the window's measure button does it.
#include <memory>
#include <optional>
#include <string>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/Sleeping_event_host.h"
#include "cli/Analysis_report.h"
#include "cli/Board_connection.h"
#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/Output_file.h"
#include "cli/Progress_meter.h"
#include "cli/Stop_request.h"
#include "datafile/Free_space.h"
#include "datafile/Myfile.h"
#include "message/Message_text.h"
#include "session/Acquisition.h"
#include "session/Held_data.h"
#include "session/Run_buffer.h"
#include "session/Run_file.h"
#include "status/Status_text.h"

namespace velqoris::cli {

namespace {

int SaveResult(const Options& options, RunData& data, std::ostream& err) {
  const std::string path = WithDataExtension(options.out);
  bool declined = false;
  TmyFile file([&](const std::string&) {
    if (options.force) return true;
    declined = true;
    return false;
  });
  if (!SaveRun(file, path, data)) {
    err << FileFaultMessage(file.LastFault(), path) << ": " << path << '\n';
    return kExitOutput;
  }
  if (declined) {
    err << "ファイル：" << path << "があります。上書きしませんでした (--force で上書きします)\n";
    return kExitOutput;
  }
  err << kFileSavedText << ": " << path << '\n';
  return kExitOk;
}

}  // namespace

int RunMeasure(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  // The output is checked before the board: a run is never taken only to be refused.
  if (!options.out.empty()) {
    // "--out /tmp" names a folder: refused as it is, never turned into "/tmp.DTA".
    std::string refusal = OutputRefusal(options.out, options.force);
    const std::string path = WithDataExtension(options.out);
    if (refusal.empty() && path != options.out) refusal = OutputRefusal(path, options.force);
    // An empty file can be made on a full disk: the run's file must fit as well.
    const int channels = options.settings.CHSel == 2 ? 2 : 1;
    const std::int64_t count = DataCount(options.settings.DataCountSel).value_or(kSampleCapacity);
    if (refusal.empty()) refusal = SpaceRefusal(path, DataFileBytes(count, channels));
    if (!refusal.empty()) {
      err << refusal << '\n';
      return kExitOutput;
    }
  }
  BoardSession session(options);
  if (const auto failed = session.Connect(out, err)) return *failed;
  Acquisition& run = session.run;
  HeldData& held = session.held;
  RunBuffer buffer(held.data);
  const MeasureSettings& s = held.data.Settings;
  if (run.Start({s, DataCount(s.DataCountSel).value_or(0)}, {&buffer})) {
    return ReportRunEnd(run.Result(), err);
  }
  err << kMeasuringText << '\n' << std::flush;

  const int channelSel = s.CHSel;
  ProgressMeter progress(err, errIsTerminal, session.clock);
  run.Follow(StopRequested, [&] {
    progress.Update(buffer.Count(), static_cast<std::int32_t>(run.TargetCount()),
                    buffer.LatestCode(channelSel == 1 ? 1 : 0),
                    channelSel == 2 ? std::optional(buffer.LatestCode(1)) : std::nullopt);
  });
  progress.Finish();
  const int code = ReportRunEnd(run.Result(), err);
  if (!buffer.Kept()) {
    if (run.Result().end == RunEnd::kStopped) {
      err << "結果が " << RunBuffer::kMinKept << " 件に満たないため破棄しました\n";
    }
    return code == kExitOk ? kExitRun : code;
  }
  held.data.ConvertAll();
  held.data.CalcStats();
  for (const std::string& line : held.StatsLines(options.volt)) out << line << '\n';
  if (options.analyze) out << NoiseText(held.data);
  out << std::flush;
  if (options.out.empty()) return kExitOk;
  return SaveResult(options, held.data, err);
}

}  // namespace velqoris::cli
