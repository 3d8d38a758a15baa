// measure: one run on the board, as the window's measure button does it; with
// several boards (--device or --virtual more than once) one run per board,
// each on a thread of its own, started back to back.
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

int SaveResult(const Options& options, const std::string& path, RunData& data, std::ostream& err) {
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

// The run's files (one per board), checked before any board: a run is never
// taken only to be refused. Empty when there is no --out.
std::optional<std::vector<std::string>> CheckedOutputs(const Options& options, int boards,
                                                       std::ostream& err) {
  if (options.out.empty()) return std::vector<std::string>(static_cast<std::size_t>(boards));
  // "--out /tmp" names a folder: refused as it is, never turned into "/tmp.DTA".
  std::string refusal = OutputRefusal(options.out, options.force || boards > 1);
  const std::string path = WithDataExtension(options.out);
  std::vector<std::string> paths;
  for (int i = 0; i < boards; ++i) {
    paths.push_back(BoardFilePath(path, BoardSerial(options, i), boards));
    if (refusal.empty() && paths.back() != options.out)
      refusal = OutputRefusal(paths.back(), options.force);
  }
  // An empty file can be made on a full disk: the runs' files must fit as well.
  const int channels = options.settings.CHSel == 2 ? 2 : 1;
  const std::int64_t count = DataCount(options.settings.DataCountSel).value_or(kSampleCapacity);
  if (refusal.empty()) refusal = SpaceRefusal(path, DataFileBytes(count, channels) * paths.size());
  if (!refusal.empty()) {
    err << refusal << '\n';
    return std::nullopt;
  }
  return paths;
}

// After a board's run: the statistics (and the noise) on out, its file; the
// exit code (`code`, the run's end, when no results were kept).
int ReportResults(const Options& options, const Acquisition& run, const RunBuffer& buffer,
                  HeldData& held, const std::string& path, std::ostream& out, std::ostream& err,
                  int code) {
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
  // Results kept are a measurement however the run ended.
  return path.empty() ? kExitOk : SaveResult(options, path, held.data, err);
}

struct BoardMeasure {
  std::unique_ptr<BoardSession> session;
  std::unique_ptr<RunBuffer> buffer;
  std::string serial;
  std::string path;
  std::string boardLine;  // what Connect printed, shown under the board's heading
};

int RunBoardMeasures(const Options& options, const std::vector<std::string>& paths,
                     std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const int count = static_cast<int>(paths.size());
  std::vector<BoardMeasure> boards(paths.size());
  for (int i = 0; i < count; ++i) {
    BoardMeasure& b = boards[static_cast<std::size_t>(i)];
    b.serial = BoardSerial(options, i);
    b.path = paths[static_cast<std::size_t>(i)];
    b.session = std::make_unique<BoardSession>(options, i);
    std::ostringstream line;
    std::ostringstream problems;
    const auto failed = b.session->Connect(line, problems);
    if (!problems.str().empty()) err << "ボード " << b.serial << ": " << problems.str();
    if (failed) return *failed;
    b.boardLine = line.str();
    b.buffer = std::make_unique<RunBuffer>(b.session->held.data);
  }
  // A copy: each run's buffer sets its own data's settings as it begins.
  const MeasureSettings s = boards.front().session->held.data.Settings;
  const std::int64_t total = DataCount(s.DataCountSel).value_or(0);

  err << kMeasuringText << '\n' << std::flush;
  ProgressMeter progress(err, errIsTerminal, boards.front().session->clock);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < boards.size(); ++i) {
    threads.emplace_back([&, i] {
      Acquisition& run = boards[i].session->run;
      const RunBuffer& buffer = *boards[i].buffer;
      // Only the first board's progress is shown: one line on the terminal.
      run.Run({s, total}, {boards[i].buffer.get()}, StopRequested, [&] {
        if (i != 0) return;
        progress.Update(buffer.Count(), static_cast<std::int32_t>(run.TargetCount()),
                        buffer.LatestCode(s.CHSel == 1 ? 1 : 0),
                        s.CHSel == 2 ? std::optional(buffer.LatestCode(1)) : std::nullopt);
      });
    });
  }
  for (std::thread& t : threads) t.join();
  progress.Finish();

  int code = kExitOk;
  for (BoardMeasure& b : boards) {
    const Acquisition& run = b.session->run;
    err << "ボード " << b.serial << ": ";
    out << "ボード " << b.serial << '\n' << b.boardLine;
    const int ended = ReportResults(options, run, *b.buffer, b.session->held, b.path, out, err,
                                    ReportRunEnd(run.Result(), err));
    if (code == kExitOk) code = ended;
  }
  return code;
}

}  // namespace

int RunMeasure(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const int boards = BoardCount(options);
  const auto paths = CheckedOutputs(options, boards, err);
  if (!paths) return kExitOutput;
  if (boards > 1) return RunBoardMeasures(options, *paths, out, err, errIsTerminal);

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
  return ReportResults(options, run, buffer, held, paths->front(), out, err, code);
}

}  // namespace velqoris::cli
