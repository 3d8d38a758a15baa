#include "cli/Cli_options.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <variant>

#include "cli/Duration_text.h"
#include "session/Measurement.h"

namespace velqoris::cli {

namespace {

struct CommandInfo {
  Command command;
  const char* name;
  std::set<std::string> valued;  // options that take a value
  std::set<std::string> flags;
  bool takesFile;
};

const std::array<CommandInfo, 11>& Commands() {
  static const std::array<CommandInfo, 11> commands = {{
      {Command::kMeasure,
       "measure",
       {"--rate", "--count", "--channel", "--gain", "--filter", "--buffer", "--chop", "--out",
        "--virtual-fault", "--sine", "--mains", "--drift", "--flicker", "--device"},
       {"--virtual", "--volt", "--force", "--analyze"},
       false},
      {Command::kStats, "stats", {}, {"--volt"}, true},
      {Command::kPlot, "plot", {"--png"}, {"--volt"}, true},
      {Command::kExport, "export", {"--csv", "--device"}, {}, true},
      {Command::kLog,
       "log",
       {"--rate", "--count", "--duration", "--channel", "--gain", "--filter", "--buffer", "--chop",
        "--csv", "--virtual-fault", "--sine", "--mains", "--drift", "--flicker", "--device", "--h5",
        "--lp"},
       {"--virtual", "--volt", "--force"},
       false},
      {Command::kSweep,
       "sweep",
       {"--rates", "--gains", "--count", "--max-time", "--channel", "--filter", "--buffer",
        "--chop", "--csv", "--png", "--virtual-fault", "--device"},
       {"--virtual"},
       false},
      {Command::kAnalyze, "analyze", {"--png", "--device"}, {"--volt", "--json"}, true},
      {Command::kSpectrum,
       "spectrum",
       {"--window", "--png", "--csv", "--device"},
       {"--json"},
       true},
      {Command::kStability,
       "stability",
       {"--channel", "--png", "--csv", "--device"},
       {"--json"},
       true},
      {Command::kBoards, "boards", {}, {"--virtual"}, false},
      {Command::kCompare, "compare", {"--png"}, {"--json"}, true},
  }};
  return commands;
}

template <typename Table>
std::string JoinValues(const Table& table) {
  std::string s;
  for (const auto& v : table) {
    if (!s.empty()) s += ", ";
    if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>) {
      s += v;
    } else {
      s += std::to_string(v);
    }
  }
  return s;
}

std::string NotAllowed(const std::string& option, const std::string& value,
                       const std::string& allowed) {
  return option + " の値 \"" + value + "\" は選べません。選べる値: " + allowed;
}

// Index of value in a table of numbers, only for the exact decimal text.
template <std::size_t N>
std::optional<int> IndexOf(const std::array<int, N>& table, const std::string& value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (std::to_string(table[i]) == value) return static_cast<int>(i);
  }
  return std::nullopt;
}

// Applies one measure option; the error text when the value is not in its list.
std::string ApplyMeasureValue(Options& o, const std::string& option, const std::string& value) {
  MeasureSettings& s = o.settings;
  if (option == "--rate") {
    const auto i = IndexOf(kDataRates, value);
    if (!i) return NotAllowed(option, value, JoinValues(kDataRates));
    s.spsSel = *i;
  } else if (option == "--count") {
    const auto i = IndexOf(kDataCounts, value);
    if (!i) return NotAllowed(option, value, JoinValues(kDataCounts));
    s.DataCountSel = *i;
  } else if (option == "--channel") {
    const auto i = IndexOf(std::array<int, kChannelChoices>{0, 1, 2}, value);
    if (!i) return NotAllowed(option, value, "0 (CH0), 1 (CH1), 2 (CH0 + CH1)");
    s.CHSel = *i;
  } else if (option == "--gain") {
    const auto i = IndexOf(kGains, value);
    if (!i) return NotAllowed(option, value, JoinValues(kGains));
    s.GainSel = *i;
    s.Gain = kGains[static_cast<std::size_t>(*i)];
  } else if (option == "--filter") {
    if (value != "sinc3" && value != "sinc4") return NotAllowed(option, value, "sinc3, sinc4");
    s.fSinc4 = value == "sinc4" ? 1 : 0;
  } else if (option == "--buffer" || option == "--chop") {
    if (value != "on" && value != "off") return NotAllowed(option, value, "on, off");
    (option == "--buffer" ? s.fBUF_ON : s.fCHOP_ON) = value == "on" ? 1 : 0;
  } else if (option == "--device") {
    if (value.empty()) return "--device にシリアル番号がありません";
    if (o.devices.empty()) o.device = value;
    o.devices.push_back(value);
  } else if (option == "--out") {
    if (value.empty()) return "--out にファイル名がありません";
    o.out = value;
  } else if (option == "--virtual-fault") {
    const auto& names = VirtualFaultNames();
    if (std::find(names.begin(), names.end(), value) == names.end()) {
      return NotAllowed(option, value, JoinValues(names));
    }
    o.virtualFault = value;
  }
  return {};
}

// A whole number from 1 to max, exact decimal text only.
std::optional<std::int64_t> PositiveNumber(const std::string& value, std::int64_t max) {
  if (value.empty() || value.size() > 12) return std::nullopt;
  std::int64_t n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n < 1 || n > max) return std::nullopt;
  return n;
}

// "all" or a comma-separated list of values of table, as indices in the order given.
template <std::size_t N>
std::optional<std::vector<int>> IndexList(const std::array<int, N>& table,
                                          const std::string& value) {
  std::vector<int> indices;
  if (value == "all") {
    for (std::size_t i = 0; i < N; ++i) indices.push_back(static_cast<int>(i));
    return indices;
  }
  std::size_t start = 0;
  while (start <= value.size()) {
    const std::size_t comma = std::min(value.find(',', start), value.size());
    const auto i = IndexOf(table, value.substr(start, comma - start));
    if (!i) return std::nullopt;
    if (std::find(indices.begin(), indices.end(), *i) == indices.end()) indices.push_back(*i);
    start = comma + 1;
  }
  return indices;
}

// The options of log and sweep that measure does not have or reads otherwise.
std::optional<std::string> ApplyLongRunValue(Options& o, const std::string& option,
                                             const std::string& value) {
  if (o.command != Command::kLog && o.command != Command::kSweep) return std::nullopt;
  if (option == "--count") {
    // A sweep's figures need the ten results a measurement keeps at the least.
    const std::int64_t least = o.command == Command::kSweep ? Measurement::kMinKept : 1;
    const auto n = PositiveNumber(value, kMaxRunCount);
    if (!n || *n < least) {
      return NotAllowed(
          option, value,
          std::to_string(least) + " から " + std::to_string(kMaxRunCount) + " までの整数");
    }
    o.runCount = *n;
  } else if (option == "--duration" || option == "--max-time") {
    const auto d = ParseDuration(value);
    if (!d) {
      return NotAllowed(
          option, value,
          "時間 (例: 90s, 45m, 12h, 1h30m; 最長 " + std::to_string(kMaxDurationHours) + "h)");
    }
    o.durationMs = d->count();
  } else if (option == "--rates") {
    const auto list = IndexList(kDataRates, value);
    if (!list)
      return NotAllowed(option, value,
                        "all または " + JoinValues(kDataRates) + " をカンマで区切って");
    o.rateSels = *list;
  } else if (option == "--gains") {
    const auto list = IndexList(kGains, value);
    if (!list)
      return NotAllowed(option, value, "all または " + JoinValues(kGains) + " をカンマで区切って");
    o.gainSels = *list;
  } else if (option == "--channel" && o.command == Command::kSweep) {
    if (value != "0" && value != "1") return NotAllowed(option, value, "0 (CH0), 1 (CH1)");
    o.settings.CHSel = value == "0" ? 0 : 1;
  } else {
    return std::nullopt;
  }
  return std::string();
}

// The analysis options; nullopt when the option is not one of them.
std::optional<std::string> ApplyAnalysisValue(Options& o, const std::string& option,
                                              const std::string& value) {
  if (option == "--window") {
    const auto w = analysis::WindowFromName(value);
    if (!w) return NotAllowed(option, value, "rect, hann, blackman-harris");
    o.window = *w;
    return std::string();
  }
  if (option == "--sine") {
    auto parsed = ParseSineOption(value);
    if (auto* error = std::get_if<std::string>(&parsed)) return *error;
    o.sines.push_back(std::get<SineOption>(parsed));
    return std::string();
  }
  if (option == "--mains") {
    auto parsed = ParseMainsOption(value);
    if (auto* error = std::get_if<std::string>(&parsed)) return *error;
    o.mains.push_back(std::get<MainsOption>(parsed));
    return std::string();
  }
  if (option == "--drift") {
    auto parsed = ParseDriftOption(value);
    if (auto* error = std::get_if<std::string>(&parsed)) return *error;
    o.drifts.push_back(std::get<DriftOption>(parsed));
    return std::string();
  }
  if (option == "--flicker") {
    auto parsed = ParseFlickerOption(value);
    if (auto* error = std::get_if<std::string>(&parsed)) return *error;
    o.flickers.push_back(std::get<FlickerOption>(parsed));
    return std::string();
  }
  return std::nullopt;
}

// Options that may be given more than once (one per channel).
bool Repeatable(const std::string& option, Command command) {
  return option == "--sine" || option == "--mains" || option == "--drift" ||
         option == "--flicker" || (option == "--device" && command == Command::kLog);
}

std::string ApplyValue(Options& o, const std::string& option, const std::string& value) {
  if (o.command == Command::kStability && option == "--channel") {
    if (value != "0" && value != "1") return NotAllowed(option, value, "0 (CH0), 1 (CH1)");
    o.logChannel = value == "0" ? 0 : 1;
    return {};
  }
  if (auto longRun = ApplyLongRunValue(o, option, value)) return *longRun;
  if (auto error = ApplyAnalysisValue(o, option, value)) return *error;
  if (option == "--png" || option == "--csv" || option == "--h5" || option == "--lp") {
    if (value.empty()) return option + " にファイル名がありません";
    (option == "--png"   ? o.png
     : option == "--csv" ? o.csv
     : option == "--h5"  ? o.h5
                         : o.lp) = value;
    return {};
  }
  return ApplyMeasureValue(o, option, value);
}

ParseResult Fail(std::string error) {
  ParseResult r;
  r.error = std::move(error);
  return r;
}

}  // namespace

const std::vector<std::string>& VirtualFaultNames() {
  static const std::vector<std::string> names = {"open",   "silent",    "name",
                                                 "refuse", "readerror", "badframe"};
  return names;
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("コマンドがありません");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    ParseResult r;
    r.ok = true;
    r.options.help = true;
    r.options.generalHelp = true;
    return r;
  }
  const CommandInfo* info = nullptr;
  for (const CommandInfo& c : Commands()) {
    if (args[0] == c.name) info = &c;
  }
  if (info == nullptr) {
    return Fail("コマンド \"" + args[0] +
                "\" はありません。使えるコマンド: measure, stats, plot, export, analyze, spectrum, "
                "log, sweep, stability, boards, compare");
  }

  ParseResult r;
  Options& o = r.options;
  o.command = info->command;
  std::set<std::string> seen;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (!info->takesFile)
        return Fail(std::string(info->name) + " にファイル名は要りません: " + arg);
      if (!o.file.empty() && o.command != Command::kCompare)
        return Fail("ファイル名は一つだけです: " + arg);
      if (o.file.empty()) o.file = arg;
      o.files.push_back(arg);
      continue;
    }
    std::optional<std::string> value;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    }
    if (info->flags.count(arg) != 0) {
      if (value) return Fail(arg + " は値をとりません");
      if (arg == "--virtual") {
        o.virtualBoard = true;
        ++o.virtualBoards;
      }
      if (arg == "--volt") o.volt = true;
      if (arg == "--force") o.force = true;
      if (arg == "--json") o.json = true;
      if (arg == "--analyze") o.analyze = true;
      continue;
    }
    if (info->valued.count(arg) == 0) {
      return Fail(std::string(info->name) + " では " + arg + " は使えません");
    }
    if (!value) {
      if (i + 1 >= args.size()) return Fail(arg + " に値がありません");
      value = args[++i];
    }
    if (!seen.insert(arg).second && !Repeatable(arg, o.command))
      return Fail(arg + " が二度指定されています");
    if (std::string error = ApplyValue(o, arg, *value); !error.empty()) return Fail(error);
  }
  if (!o.help) {
    if (info->takesFile && o.file.empty()) {
      return Fail(std::string(info->name) + " にはデータファイル名が要ります");
    }
    if (o.command == Command::kPlot && o.png.empty())
      return Fail("plot には --png OUT.png が要ります");
    if (o.command == Command::kExport && o.csv.empty()) {
      return Fail("export には --csv OUT.csv が要ります");
    }
    if (o.command == Command::kLog) {
      if (o.csv.empty() && o.h5.empty() && o.lp.empty())
        return Fail("log には --csv OUT.csv、--h5 OUT.h5、--lp 送り先 のどれかが要ります");
      if (o.virtualBoard && !o.devices.empty())
        return Fail("--virtual と --device は一緒に使えません");
      if ((o.runCount == 0) == (o.durationMs == 0)) {
        return Fail("log には --count N か --duration 時間 のどちらか一つが要ります");
      }
    }
    if (!o.virtualFault.empty() && !o.virtualBoard) {
      return Fail("--virtual-fault は --virtual と一緒に使います");
    }
    if ((!o.sines.empty() || !o.mains.empty()) && !o.virtualBoard) {
      return Fail("--sine と --mains は --virtual と一緒に使います");
    }
    if ((!o.drifts.empty() || !o.flickers.empty()) && !o.virtualBoard) {
      return Fail("--drift と --flicker は --virtual と一緒に使います");
    }
  }
  r.ok = true;
  return r;
}

std::string UsageText() {
  return "使い方:\n"
         "  velqoris-cli measure [--virtual | --device SERIAL] [--rate SPS] [--count N] [--channel "
         "0|1|2]\n"
         "                       [--gain G] [--filter sinc3|sinc4] [--buffer on|off]\n"
         "                       [--chop on|off] [--volt] [--out FILE] [--force] [--analyze]\n"
         "                       [--sine CH,HZ,VOLTS[,H2dBc[,H3dBc]]] [--mains CH,50|60,VOLTS]\n"
         "                       [--drift CH,UV_PER_HOUR] [--flicker CH,CORNER_HZ]\n"
         "  velqoris-cli stats FILE [--volt]\n"
         "  velqoris-cli plot FILE --png OUT.png [--volt]\n"
         "  velqoris-cli export FILE --csv OUT.csv\n"
         "  velqoris-cli log [--virtual | --device SERIAL] (--count N | --duration 時間) --csv "
         "OUT.csv\n"
         "                   [--rate SPS] [--channel 0|1|2] [--gain G] [--filter sinc3|sinc4]\n"
         "                   [--buffer on|off] [--chop on|off] [--volt] [--force]\n"
         "  velqoris-cli sweep [--virtual | --device SERIAL] [--rates LIST|all] [--gains LIST|all] "
         "[--count N]\n"
         "                     [--max-time 時間] [--channel 0|1] [--filter sinc3|sinc4]\n"
         "                     [--buffer on|off] [--chop on|off] [--csv OUT.csv] [--png OUT.png]\n"
         "  velqoris-cli analyze FILE [--volt] [--png OUT.png] [--json]\n"
         "  velqoris-cli spectrum FILE [--window rect|hann|blackman-harris] [--png OUT.png]\n"
         "                        [--csv OUT.csv] [--json]\n"
         "  velqoris-cli stability FILE [--channel 0|1] [--json] [--png OUT.png] [--csv OUT.csv]\n"
         "  velqoris-cli log ... [--h5 OUT.h5] [--lp -|FILE|udp://HOST:PORT] (--device, --virtual "
         "は"
         "複数回可)\n"
         "  velqoris-cli boards [--virtual ...]\n"
         "  velqoris-cli compare FILE... [--png OUT.png] [--json]\n"
         "  velqoris-cli COMMAND --help\n";
}

std::string HelpText(Command command) {
  switch (command) {
    case Command::kMeasure:
      return "velqoris-cli measure [オプション]\n"
             "  ボードに接続して測定し、ボード名とバージョン、各チャネルの統計を表示します。\n"
             "  --virtual            仮想ボードで測定します (実時間)\n"
             "  --device SERIAL      使うボードの USB シリアル番号 (既定: 応答した最初のボード)\n"
             "  --rate SPS           データレート: " +
             JoinValues(kDataRates) +
             " (既定 10)\n"
             "  --count N            データ数: " +
             JoinValues(kDataCounts) +
             " (既定 1000)\n"
             "  --channel 0|1|2      測定 CH: 0 = CH0, 1 = CH1, 2 = CH0 + CH1 (既定 0)\n"
             "  --gain G             内蔵アンプゲイン: " +
             JoinValues(kGains) +
             " (既定 1)\n"
             "  --filter sinc3|sinc4 フィルタ (既定 sinc4)\n"
             "  --buffer on|off      入力バッファ (既定 off)\n"
             "  --chop on|off        チョッピング (既定 off)\n"
             "  --volt               統計を電圧値 [uV] で表示します (既定 AD変換値)\n"
             "  --out FILE           測定結果を保存します (名前が .DTA で終わらなければ .DTA "
             "を付けます)\n"
             "  --force              既存のファイルを上書きします\n"
             "  --analyze            測定後にノイズ解析の結果も表示します (analyze と同じ内容)\n" +
             SignalOptionsUsage() + SlowNoiseOptionsUsage() +
             "  --virtual-fault F    仮想ボードの故障を試します: " +
             JoinValues(VirtualFaultNames()) +
             "\n"
             "  Ctrl-C で測定を中止します (10 件以上あれば結果を表示・保存します)。\n";
    case Command::kStats:
      return "velqoris-cli stats FILE [--volt]\n"
             "  データファイルを読み込み、保持するチャネルごとに統計を表示します (CH0 が先)。\n";
    case Command::kPlot:
      return "velqoris-cli plot FILE --png OUT.png [--volt]\n"
             "  データファイルのグラフを画面と同じ描き方で PNG (640 x 440) に書き出します。\n";
    case Command::kExport:
      return "velqoris-cli export FILE --csv OUT.csv\n"
             "  データファイルを CSV に書き出します: データ番号 (1 から) と、チャネルごとの\n"
             "  AD変換値と電圧値 [uV] (有効数字 9 桁)。\n";
    case Command::kLog:
      return "velqoris-cli log [オプション] --csv OUT.csv\n"
             "  長時間の測定結果を届いた順に CSV に書き込み (1 秒に 1 回以上書き出します)、\n"
             "  "
             "終わりに各チャネルのデータ数、平均値、最大値、最小値、pp値、標準偏差を表示します。\n"
             "  --count N            データ数: 1 から " +
             std::to_string(kMaxRunCount) +
             " (開始コマンド 1 回分)\n"
             "  --duration 時間      測定時間 (例: 90s, 45m, 12h, 1h30m)。開始コマンド 1 回分を\n"
             "                       超える分は開始コマンドを続けて送ります。その間の空きは\n"
             "                       CSV の '#' で始まる行と終わりの表示に出ます\n"
             "  --csv OUT.csv        列: sample (1 から), time_s (最初のデータからの秒),\n"
             "                       チャネルごとの AD変換値 (chN_code) と電圧値 (chN_uV)\n"
             "  --force              既存の CSV ファイルを上書きします\n"
             "  --virtual, --rate, --channel, --gain, --filter, --buffer, --chop, --volt,\n"
             "  --virtual-fault, --sine, --mains, --drift, --flicker, --device は measure "
             "と同じです。\n"
             "  --h5 OUT.h5          HDF5 にも書き込みます (ボードごとのグループ、強制終了しても\n"
             "                       最後の書き出しまでのデータが残ります)\n"
             "  --lp -|FILE|udp://HOST:PORT\n"
             "                       1 秒ごとのチャネル別の要約 (平均、標準偏差、最小、最大、件数) "
             "を\n"
             "                       時系列データベースの行プロトコルで送ります\n"
             "  --device を複数回、または --virtual "
             "を複数回指定すると、各ボードを別々のスレッドで\n"
             "  続けて開始します (ボード間でサンプルの時刻はそろいません)。CSV はボードごとに\n"
             "  OUT_シリアル番号.csv に分かれます。\n"
             "  Ctrl-C で測定を中止します "
             "(停止コマンドを送り、ファイルを閉じ、統計を表示します)。\n";
    case Command::kBoards:
      return "velqoris-cli boards [--virtual ...]\n"
             "  応答したボードごとに USB シリアル番号とボード名・バージョンを表示します。\n"
             "  --virtual を N 回指定すると N 枚の仮想ボード (V0001 から) を表示します。\n";
    case Command::kCompare:
      return "velqoris-cli compare FILE... [--png OUT.png] [--json]\n"
             "  ログ (CSV、HDF5 のボードごと) とデータファイルのノイズの値を並べて表示します。\n"
             "  --png OUT.png   スペクトルとアラン偏差を重ねて PNG に書き出します\n"
             "  --json          結果を JSON で出力します\n";
    case Command::kSweep:
      return "velqoris-cli sweep [オプション]\n"
             "  データレートとゲインの組ごとに 1 回測定し、RMS ノイズ [nV] とノイズフリー分解能\n"
             "  [bit] (6.6 × RMS から) の表を、行をデータレート、列をゲインとして表示します。\n"
             "  終わりに代表値の表と、測定値 / 代表値 の表を表示します。\n"
             "  --rates LIST|all     データレート (カンマ区切り、既定 all): " +
             JoinValues(kDataRates) +
             "\n"
             "  --gains LIST|all     ゲイン (カンマ区切り、既定 all): " +
             JoinValues(kGains) +
             "\n"
             "  --count N            設定ごとのデータ数 (10 以上、既定 1000、最大 " +
             std::to_string(kMaxRunCount) +
             ")\n"
             "  --max-time 時間      設定ごとの測定時間の上限 (例: "
             "20s)。遅いレートのデータ数を減らします\n"
             "  --channel 0|1        測定 CH (既定 0)\n"
             "  --filter, --buffer, --chop, --virtual, --virtual-fault, --device は measure "
             "と同じです。\n"
             "  --csv OUT.csv        設定ごとの結果を CSV に書き込みます\n"
             "  --png OUT.png        RMS ノイズとデータレートのグラフ "
             "(両対数、ゲインごとに測定値と代表値)\n"
             "  測定できなかった設定は表のその欄に理由を示し、次の設定に進みます。\n"
             "  Ctrl-C で中止します (それまでの表、CSV、PNG を残します)。\n";
    case Command::kAnalyze:
      return "velqoris-cli analyze FILE [--volt] [--png OUT.png] [--json]\n"
             "  データファイルまたはログの CSV (全体) のノイズ解析: チャネルごとに平均値、\n"
             "  RMS ノイズ、p-p ノイズ、\n"
             "  実効分解能、ノイズフリー分解能、歪度・過剰尖度、RMS ノイズの代表値との比。\n"
             "  --png OUT.png   ヒストグラムと正規分布の曲線を PNG に書き出します\n"
             "  --volt          ヒストグラムの横軸を電圧値 [uV] にします (既定 AD変換値)\n"
             "  --json          結果を JSON で出力します (求まらない値は null)\n";
    case Command::kSpectrum:
      return "velqoris-cli spectrum FILE [--window rect|hann|blackman-harris] [--png OUT.png]\n"
             "                      [--csv OUT.csv] [--json]\n"
             "  データファイルのスペクトル解析: 基本波、高調波、SNR、THD、SINAD、SFDR、ENOB、\n"
             "  平均ノイズ密度、電源周波数 (50 Hz / 60 Hz) のレベル。\n"
             "  --window W      窓関数: rect (矩形)、hann (ハン)、blackman-harris (既定)\n"
             "  --png OUT.png   スペクトル [dBFS] を PNG に書き出します\n"
             "  --csv OUT.csv   ビンごとに周波数 [Hz]、レベル [dBFS]、ノイズ密度 [nV/√Hz] "
             "を書き出します\n"
             "  --json          結果を JSON で出力します (求まらない値は null)\n";
    case Command::kStability:
      return "velqoris-cli stability FILE [--channel 0|1] [--json] [--png OUT.png] [--csv "
             "OUT.csv]\n"
             "  ログの CSV またはデータファイルの安定性解析: アラン偏差 (重複あり) と最小値、\n"
             "  ドリフト [uV/時]、平均化ノイズスペクトル (Hann 窓、50 % 重複) の白色ノイズ密度と\n"
             "  1/f コーナー周波数、0.1〜10 Hz ノイズ (RMS と 10 秒ごとの p-p)。\n"
             "  ログの途切れ ('#' の行) は時間軸の欠けとして扱います。\n"
             "  --channel 0|1   解析するチャネル (既定: ファイルにあるすべて)\n"
             "  --png OUT.png   アラン偏差 (両対数) と平均化スペクトルを PNG に書き出します\n"
             "  --csv OUT.csv   アラン偏差の表 (tau_s, adev_uV, adev_nV, terms, error_nV)\n"
             "  --json          結果を JSON で出力します (求まらない値は null)\n";
  }
  return UsageText();
}

}  // namespace velqoris::cli
