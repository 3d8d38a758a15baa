// One rule for every way a run goes wrong, on every path that runs the board:
// the window's run (stepwise, into the data on display), the tool's log (CSV
// and statistics), the window's recording (its own thread) and the sweep
// (one run per setting). Each is driven through a read error, a stalled
// stream, a pulled cable and a sink that fails, on the virtual board and,
// where libftdi is built, on the chip model under the real libftdi1.
//
//   event         ends as        stop sent  link   the next start
//   read error    kReadError     yes        kept   runs at once
//   stall         kStalled       yes        kept   runs at once
//   pulled cable  kPulledCable   no         closed identifies again
//   sink failure  kSinkFailed    yes        kept   runs at once
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "board/Ad7190.h"
#include "session/Acquisition.h"
#include "session/Csv_sink.h"
#include "session/Recording.h"
#include "session/Run_buffer.h"
#include "session/Stats_sink.h"
#include "session/Sweep_run.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"

#ifdef VELQORIS_CHIP_MODEL
#include <libusb.h>

#include "board/Libftdi_device.h"
#include "tests/board/Chip_model.h"
#include "tests/board/Fifo_sides.h"
#endif

namespace velqoris::testing {
namespace {

enum class Event { kReadError, kStall, kPulledCable, kSinkFailure };

struct Rule {
  Event event;
  const char* name;
  RunEnd end;
  bool linkKept;
  // How a log's last line begins.
  const char* endLine;
};

constexpr Rule kRules[] = {
    {Event::kReadError, "ReadError", RunEnd::kReadError, true, "# end: board error, "},
    {Event::kStall, "Stall", RunEnd::kStalled, true, "# end: board error, "},
    {Event::kPulledCable, "PulledCable", RunEnd::kPulledCable, false, "# end: board gone, "},
    {Event::kSinkFailure, "SinkFailure", RunEnd::kSinkFailed, true, "# end: disk full, "},
};

// Every fault strikes once this many results of the run are in.
constexpr std::uint32_t kFaultAt = 1000;
constexpr int k4800 = 12;

// Where the board is; the faults go in through it.
class Rig {
 public:
  virtual ~Rig() = default;
  virtual d2xx::Api& Device() = 0;
  virtual const Clock& Time() = 0;
  virtual FakeEventHost& Host() = 0;
  // The board's firmware, with the chip (if any) held still.
  virtual void Firmware(const std::function<void(VirtualBoard&)>& change) = 0;
  // The read error or pulled cable, about kFaultAt results into the next run.
  virtual void Arm(Event event) = 0;
  // Faults off and the cable in again.
  virtual void Mend() = 0;
  int Identifications() {
    int n = 0;
    Firmware([&](VirtualBoard& b) {
      for (const std::string& c : b.Commands()) n += c == "U?" ? 1 : 0;
    });
    return n;
  }
  // The host holds the link open.
  virtual bool Open() = 0;
};

class VirtualRig final : public Rig {
 public:
  d2xx::Api& Device() override { return board_; }
  const Clock& Time() override { return clock_; }
  FakeEventHost& Host() override { return host_; }
  void Firmware(const std::function<void(VirtualBoard&)>& change) override { change(board_); }
  bool Open() override { return board_.IsOpen(); }
  void Arm(Event event) override {
    if (event == Event::kReadError) board_.Faults().readErrorAfter = kFaultAt;
    if (event != Event::kPulledCable) return;
    host_.onPass = [this] {
      if (board_.FramesSent() >= kFaultAt && board_.Plugged()) board_.Unplug();
    };
  }
  void Mend() override {
    host_.onPass = {};
    board_.Faults() = BoardFaults{};
    board_.Plug();
  }

 private:
  ManualClock clock_;
  VirtualBoard board_{clock_};
  FakeEventHost host_{clock_, std::chrono::milliseconds(1)};
};

#ifdef VELQORIS_CHIP_MODEL
// The chip's time runs on its own, as fast as transfers go, so the run is
// timed on real time; the host's clock creeps, so the link's waits end by the
// board's answer.
class ChipRig final : public Rig {
 public:
  ChipRig() {
    chip_.SetSide(&side_);
    chip_.SetKernelDriver(true);
  }
  d2xx::Api& Device() override { return device_; }
  const Clock& Time() override { return realTime_; }
  FakeEventHost& Host() override { return host_; }
  void Firmware(const std::function<void(VirtualBoard&)>& change) override {
    chip_.Locked([&] { change(board_); });
  }
  bool Open() override { return chip_.Plugged() && chip_.Claimed(); }
  void Arm(Event event) override {
    // The settings' acknowledgements come first: a few dozen bytes.
    const std::uint64_t at = TADC::kSingleFrame * kFaultAt;
    if (event == Event::kReadError) chip_.FailIn(LIBUSB_ERROR_IO, at);
    if (event == Event::kPulledCable) chip_.FailIn(LIBUSB_ERROR_NO_DEVICE, at);
  }
  void Mend() override {
    Firmware([](VirtualBoard& b) { b.Faults() = BoardFaults{}; });
    if (chip_.Plugged()) return;
    chip_.Plug();
    chip_.Locked([&] {
      board_.Plug();
      side_.Reopen();
    });
  }

 private:
  ChipModel chip_{0x6001};
  VirtualBoard board_{chip_.Time(), 3};
  VirtualBoardSide side_{board_};
  ManualClock hostClock_;
  FakeEventHost host_{hostClock_, std::chrono::nanoseconds(1)};
  SteadyClock realTime_;
  LibftdiDevice device_;
};
#endif

// A sink that fails once the run is kFaultAt results in (a full disk, say).
class FailingSink final : public Sink {
 public:
  bool Take(const Block& block) override { return !armed || block.first < kFaultAt; }
  std::string Failure() const override { return "full"; }
  bool armed = false;
};

// A file system that is full after `bytes` for this process (Linux): the
// CSV file's writes fail as on a full disk.
class FullDisk {
 public:
  explicit FullDisk(bool on) : on_(on) {
#ifndef _WIN32
    if (!on_) return;
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = 100 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
#endif
  }
  ~FullDisk() {
#ifndef _WIN32
    if (on_) setrlimit(RLIMIT_FSIZE, &old_);
#endif
  }

 private:
  bool on_;
#ifndef _WIN32
  rlimit old_{};
#endif
};

MeasureSettings Ch0At4800() {
  MeasureSettings s;
  s.spsSel = k4800;
  s.CHSel = 0;
  s.DataCountSel = 6;
  return s;
}

using RigMaker = std::function<std::unique_ptr<Rig>()>;

struct Case {
  std::string rigName;
  RigMaker rig;
  Rule rule;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.rigName << ' ' << c.rule.name; }

class RunEndTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    rig = GetParam().rig();
    rule = GetParam().rule;
  }
  // The fault of the rule, armed for the next run.
  void Arm(FailingSink* failing = nullptr) {
    if (rule.event == Event::kStall) {
      rig->Firmware([](VirtualBoard& b) { b.Faults().stallAfter = kFaultAt; });
    }
    if (rule.event == Event::kSinkFailure && failing != nullptr) failing->armed = true;
    rig->Arm(rule.event);
  }
  // What every path shows of the link once the run ended.
  void ExpectLinkAfter(const Acquisition& run) {
    EXPECT_EQ(run.IsBoardReady(), rule.linkKept);
    EXPECT_EQ(rig->Open(), rule.linkKept);
    if (!rule.linkKept) return;
    std::string last;
    rig->Firmware([&](VirtualBoard& b) { last = b.Commands().back(); });
    EXPECT_EQ(last, "AX");
  }

  std::unique_ptr<Rig> rig;
  Rule rule{};
  TempDir dir;
};

TEST_P(RunEndTest, TheWindowsRunDropsItsResultsAndTheNextStartFollowsTheRule) {
  TADC adc(rig->Device(), rig->Host());
  Acquisition run(adc, rig->Time(), rig->Host());
  RunData data;
  RunBuffer buffer(data);
  FailingSink failing;
  ASSERT_EQ(run.Connect(), std::nullopt);
  Arm(&failing);
  const MeasureSettings s = Ch0At4800();
  ASSERT_EQ(run.Start({s, 10000}, {&buffer, &failing}), std::nullopt);
  while (run.Step() != Acquisition::Pass::kEnded) rig->Host().ProcessEvents();
  EXPECT_EQ(run.Result().end, rule.end);
  EXPECT_LT(run.ReadCount(), 10000);
  EXPECT_FALSE(buffer.Kept());
  EXPECT_FALSE(data.HasData());
  ExpectLinkAfter(run);

  rig->Mend();
  const int identified = rig->Identifications();
  failing.armed = false;
  EXPECT_EQ(run.Run({s, 1000}, {&buffer, &failing}), RunEnd::kComplete);
  EXPECT_EQ(rig->Identifications(), identified + (rule.linkKept ? 0 : 1));
  EXPECT_EQ(data.Ch0.Count, 1000);
}

TEST_P(RunEndTest, TheLogEndsWithTheRowsItRead) {
#ifdef _WIN32
  // No file-size limit to fill the disk with here; the CSV's own fault tests cover it.
  if (rule.event == Event::kSinkFailure) GTEST_SKIP() << "no file-size limit on Windows";
#endif
  TADC adc(rig->Device(), rig->Host());
  Acquisition run(adc, rig->Time(), rig->Host());
  const std::string path = dir.Path("log.csv");
  CsvSink csv(path, rig->Time());
  StatsSink stats;
  ASSERT_EQ(run.Connect(), std::nullopt);
  Arm();
  RunEnd end{};
  {
    const FullDisk full(rule.event == Event::kSinkFailure);
    end = run.Run({Ch0At4800(), 48000}, {&csv, &stats});
  }
  EXPECT_EQ(end, rule.end);
  EXPECT_LT(run.ReadCount(), 48000);
  EXPECT_EQ(stats.Stats(0).Count(), run.ReadCount());
  ExpectLinkAfter(run);
  if (rule.event == Event::kSinkFailure) {
    EXPECT_EQ(run.Result().failure, csv.Failure());
    // Whole rows only, and the end line when the cut-back row left room for it.
    const auto lines = Lines(ReadFile(path));
    const bool ended = !lines.empty() && lines.back().starts_with("# end:");
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(csv.RowsInFile()) + 9 + (ended ? 1 : 0));
    if (ended) {
      EXPECT_EQ(lines.back().rfind(rule.endLine, 0), 0u) << lines.back();
    }
  } else {
    // Eight settings lines and the header, a row for every result read, the end line.
    const auto lines = Lines(ReadFile(path));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(run.ReadCount()) + 10);
    EXPECT_EQ(lines.back().rfind(rule.endLine, 0), 0u) << lines.back();
  }
}

TEST_P(RunEndTest, TheRecordingEndsWithTheRowsItReadAndFreesTheDevice) {
#ifdef _WIN32
  // No file-size limit to fill the disk with here; the CSV's own fault tests cover it.
  if (rule.event == Event::kSinkFailure) GTEST_SKIP() << "no file-size limit on Windows";
#endif
  Recording recording(rig->Device(), rig->Time(), rig->Host());
  const std::string path = dir.Path("recording.csv");
  Arm();
  {
    const FullDisk full(rule.event == Event::kSinkFailure);
    ASSERT_TRUE(recording.Start(path, Ch0At4800(), 48000));
    recording.Join();
  }
  const Recording::Progress p = recording.Snapshot();
  EXPECT_EQ(p.end, rule.end);
  EXPECT_LT(p.written, 48000);
  EXPECT_EQ(p.stats[0].Count(), p.written);
  EXPECT_FALSE(rig->Open());
  if (rule.event != Event::kSinkFailure) {
    const auto lines = Lines(ReadFile(path));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(p.written) + 10);
    EXPECT_EQ(lines.back().rfind(rule.endLine, 0), 0u) << lines.back();
  }
}

TEST_P(RunEndTest, TheSweepMarksTheSettingAndGoesOn) {
  TADC adc(rig->Device(), rig->Host());
  Acquisition run(adc, rig->Time(), rig->Host());
  SweepPlan plan;
  plan.base = Ch0At4800();
  plan.rateSels = {k4800};
  plan.gainSels = {0, 1};
  plan.count = 4000;
  SweepRun sweep(run, plan);
  FailingSink failing;
  ASSERT_EQ(run.Connect(), std::nullopt);
  const int identified = rig->Identifications();
  Arm(&failing);
  // The fault goes with the first setting; the cable stays out.
  const auto cellDone = [&](const SweepCell&) {
    failing.armed = false;
    if (rule.event != Event::kPulledCable) rig->Mend();
  };
  ASSERT_TRUE(sweep.Run({}, cellDone, {}, {}, {&failing}));
  EXPECT_EQ(sweep.Cell(0, 0).end, rule.end);
  EXPECT_EQ(sweep.Cell(0, 1).end, rule.linkKept ? RunEnd::kComplete : RunEnd::kNoBoard);
  if (rule.linkKept) {
    EXPECT_EQ(rig->Identifications(), identified);
  }
}

std::vector<Case> Cases() {
  std::vector<std::pair<std::string, RigMaker>> rigs = {
      {"VirtualBoard", [] { return std::make_unique<VirtualRig>(); }}};
#ifdef VELQORIS_CHIP_MODEL
  rigs.emplace_back("ChipModel", [] { return std::make_unique<ChipRig>(); });
#endif
  std::vector<Case> cases;
  for (const auto& [name, make] : rigs) {
    for (const Rule& r : kRules) cases.push_back({name, make, r});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Events, RunEndTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.rigName + "_" + info.param.rule.name;
                         });

}  // namespace
}  // namespace velqoris::testing
