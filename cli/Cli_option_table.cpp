#include "cli/Cli_option_table.h"

#include <algorithm>
#include <array>
#include <optional>
#include <variant>

#include "cli/Duration_text.h"
#include "session/Run_buffer.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Slow_noise_options.h"

namespace velqoris::cli {

namespace {

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

constexpr Command kMeasure = Command::kMeasure, kStats = Command::kStats, kPlot = Command::kPlot,
                  kExport = Command::kExport, kAnalyze = Command::kAnalyze,
                  kSpectrum = Command::kSpectrum, kLog = Command::kLog, kSweep = Command::kSweep,
                  kStability = Command::kStability, kBoards = Command::kBoards,
                  kCompare = Command::kCompare, kServe = Command::kServe;

constexpr const char* kForceHelp =
    "既存の出力ファイルを上書きします (指定しなければ何も書かずに終わります)";

OptionUse Own(Command c, std::string help, Shown shown = Shown::kOptional,
              bool orPrevious = false) {
  return {c, Described::kOwnText, std::move(help), shown, orPrevious};
}
OptionUse AsMeasure(Command c, bool orPrevious = false) {
  return {c, Described::kAsMeasure, {}, Shown::kOptional, orPrevious};
}
OptionUse Unsaid(Command c, Shown shown = Shown::kOptional) {
  return {c, Described::kNot, {}, shown, false};
}

std::string Taken() { return {}; }

// An option whose value is one of a list of numbers, kept as its index.
template <const auto& kList>
std::string Choice(std::int32_t& index, const std::string& name, const std::string& value) {
  const auto i = IndexOf(kList, value);
  if (!i) return NotAllowed(name, value, JoinValues(kList));
  index = *i;
  return Taken();
}

std::string OnOff(std::uint8_t& flag, const std::string& name, const std::string& value) {
  if (value != "on" && value != "off") return NotAllowed(name, value, "on, off");
  flag = value == "on" ? 1 : 0;
  return Taken();
}

std::string FileName(std::string& into, const std::string& name, const std::string& value) {
  if (value.empty()) return name + " にファイル名がありません";
  into = value;
  return Taken();
}

// CH0 or CH1 alone, for a sweep or the analysis of a log.
std::string OneChannel(int& channel, const std::string& name, const std::string& value) {
  if (value != "0" && value != "1") return NotAllowed(name, value, "0 (CH0), 1 (CH1)");
  channel = value == "0" ? 0 : 1;
  return Taken();
}

std::string RunCount(Options& o, const std::string& name, const std::string& value,
                     std::int64_t least) {
  const auto n = PositiveNumber(value, kMaxRunCount);
  if (!n || *n < least) {
    return NotAllowed(
        name, value,
        std::to_string(least) + " から " + std::to_string(kMaxRunCount) + " までの整数");
  }
  o.runCount = *n;
  return Taken();
}

std::string Duration(Options& o, const std::string& name, const std::string& value) {
  const auto d = ParseDuration(value);
  if (!d) {
    return NotAllowed(
        name, value,
        "時間 (例: 90s, 45m, 12h, 1h30m; 最長 " + std::to_string(kMaxDurationHours) + "h)");
  }
  o.durationMs = d->count();
  return Taken();
}

template <const auto& kList>
std::string ChoiceList(std::vector<int>& into, const std::string& name, const std::string& value) {
  const auto list = IndexList(kList, value);
  if (!list)
    return NotAllowed(name, value, "all または " + JoinValues(kList) + " をカンマで区切って");
  into = *list;
  return Taken();
}

// A test signal of the virtual board, one per option given.
template <typename Parsed>
std::string Signal(std::vector<Parsed>& into, std::variant<Parsed, std::string> parsed) {
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  into.push_back(std::get<Parsed>(parsed));
  return Taken();
}

std::string Device(Options& o, const std::string&, const std::string& value) {
  if (value.empty()) return "--device にシリアル番号がありません";
  if (o.devices.empty()) o.device = value;
  o.devices.push_back(value);
  return Taken();
}

constexpr std::array<int, kChannelChoices> kChannelList = {0, 1, 2};

const std::string kBoardInFile = "HDF5 のログで読むボードのシリアル番号 (既定: 最初のボード)";

const std::string kJsonHelp = "結果を JSON で出力します (求まらない値は null)";

}  // namespace

const std::vector<OptionSpec>& OptionSpecs() {
  using O = Options;
  using S = const std::string&;
  static const std::vector<OptionSpec> options = {
      {"--virtual",
       "",
       [](O& o, S, S) {
         o.virtualBoard = true;
         ++o.virtualBoards;
         return Taken();
       },
       {Own(kMeasure, "仮想ボードで測定します (実時間)"), AsMeasure(kLog), AsMeasure(kSweep),
        AsMeasure(kServe), Own(kBoards, "N 回指定すると N 枚の仮想ボード (V0001 から) を表示します")}},
      {"--device",
       "SERIAL",
       Device,
       {Own(kMeasure, "使うボードの USB シリアル番号 (既定: 応答した最初のボード)",
            Shown::kOptional, true),
        AsMeasure(kSweep, true), AsMeasure(kServe, true)}},
      // A log runs every board named, each on a thread of its own.
      {"--device", "SERIAL", Device, {AsMeasure(kLog, true)}, true},
      {"--device",
       "SERIAL",
       Device,
       {Own(kExport, kBoardInFile), Own(kAnalyze, kBoardInFile), Own(kSpectrum, kBoardInFile),
        Own(kStability, kBoardInFile)}},
      {"--port",
       "N",
       [](O& o, S n, S v) {
         const auto port = v == "0" ? std::optional<std::int64_t>(0) : PositiveNumber(v, 65535);
         if (!port) return NotAllowed(n, v, "0 (空いているポート) から 65535 までの整数");
         o.port = static_cast<int>(*port);
         return Taken();
       },
       {Own(kServe, "ポート番号 (既定 5025、0 で空いているポート)")}},
      {"--listen",
       "ADDRESS",
       [](O& o, S, S v) {
         if (v.empty()) return std::string("--listen にアドレスがありません");
         o.listen = v;
         return Taken();
       },
       {Own(kServe,
            "待ち受けるアドレス (既定 127.0.0.1)。ほかのアドレスでは、\n"
            "そのポートに届く人は誰でも測定できます。ファイルのコマンドは\n"
            "--data-dir の中に限られます")}},
      {"--data-dir",
       "DIR",
       [](O& o, S, S v) {
         if (v.empty()) return std::string("--data-dir にフォルダ名がありません");
         o.dataDir = v;
         return Taken();
       },
       {Own(kServe, "LOG:STARt のファイルを置くフォルダ (既定: 現在のフォルダ)")}},
      {"--rates",
       "LIST|all",
       [](O& o, S n, S v) { return ChoiceList<kDataRates>(o.rateSels, n, v); },
       {Own(kSweep, "データレート (カンマ区切り、既定 all): " + JoinValues(kDataRates))}},
      {"--gains",
       "LIST|all",
       [](O& o, S n, S v) { return ChoiceList<kGains>(o.gainSels, n, v); },
       {Own(kSweep, "ゲイン (カンマ区切り、既定 all): " + JoinValues(kGains))}},
      {"--rate",
       "SPS",
       [](O& o, S n, S v) { return Choice<kDataRates>(o.settings.spsSel, n, v); },
       {Own(kMeasure, "データレート: " + JoinValues(kDataRates) + " (既定 10)"), AsMeasure(kLog)}},
      {"--count",
       "N",
       [](O& o, S n, S v) { return Choice<kDataCounts>(o.settings.DataCountSel, n, v); },
       {Own(kMeasure, "データ数: " + JoinValues(kDataCounts) + " (既定 1000)")}},
      {"--count",
       "N",
       [](O& o, S n, S v) { return RunCount(o, n, v, 1); },
       {Own(kLog, "データ数: 1 から " + std::to_string(kMaxRunCount) + " (開始コマンド 1 回分)",
            Shown::kRequired)}},
      // A sweep's figures need the ten results a measurement keeps at the least.
      {"--count",
       "N",
       [](O& o, S n, S v) { return RunCount(o, n, v, RunBuffer::kMinKept); },
       {Own(kSweep,
            "設定ごとのデータ数 (10 以上、既定 1000、最大 " + std::to_string(kMaxRunCount) + ")")}},
      {"--duration",
       "時間",
       Duration,
       {Own(kLog,
            "測定時間 (例: 90s, 45m, 12h, 1h30m)。開始コマンド 1 回分を\n"
            "超える分は開始コマンドを続けて送ります。その間の空きは\n"
            "CSV の '#' で始まる行と終わりの表示に出ます",
            Shown::kRequired, true)}},
      {"--max-time",
       "時間",
       Duration,
       {Own(kSweep, "設定ごとの測定時間の上限 (例: 20s)。遅いレートのデータ数を減らします")}},
      {"--channel",
       "0|1|2",
       [](O& o, S n, S v) {
         const auto i = IndexOf(kChannelList, v);
         if (!i) return NotAllowed(n, v, "0 (CH0), 1 (CH1), 2 (CH0 + CH1)");
         o.settings.CHSel = *i;
         return Taken();
       },
       {Own(kMeasure, "測定 CH: 0 = CH0, 1 = CH1, 2 = CH0 + CH1 (既定 0)"), AsMeasure(kLog)}},
      {"--channel",
       "0|1",
       [](O& o, S n, S v) {
         int channel = 0;
         std::string error = OneChannel(channel, n, v);
         o.settings.CHSel = channel;
         return error;
       },
       {Own(kSweep, "測定 CH (既定 0)")}},
      {"--channel",
       "0|1",
       [](O& o, S n, S v) { return OneChannel(o.logChannel, n, v); },
       {Own(kStability, "解析するチャネル (既定: ファイルにあるすべて)")}},
      {"--gain",
       "G",
       [](O& o, S n, S v) {
         std::string error = Choice<kGains>(o.settings.GainSel, n, v);
         if (error.empty()) o.settings.Gain = kGains[static_cast<std::size_t>(o.settings.GainSel)];
         return error;
       },
       {Own(kMeasure, "内蔵アンプゲイン: " + JoinValues(kGains) + " (既定 1)"), AsMeasure(kLog)}},
      {"--filter",
       "sinc3|sinc4",
       [](O& o, S n, S v) {
         if (v != "sinc3" && v != "sinc4") return NotAllowed(n, v, "sinc3, sinc4");
         o.settings.fSinc4 = v == "sinc4" ? 1 : 0;
         return Taken();
       },
       {Own(kMeasure, "フィルタ (既定 sinc4)"), AsMeasure(kLog), AsMeasure(kSweep)}},
      {"--buffer",
       "on|off",
       [](O& o, S n, S v) { return OnOff(o.settings.fBUF_ON, n, v); },
       {Own(kMeasure, "入力バッファ (既定 off)"), AsMeasure(kLog), AsMeasure(kSweep)}},
      {"--chop",
       "on|off",
       [](O& o, S n, S v) { return OnOff(o.settings.fCHOP_ON, n, v); },
       {Own(kMeasure, "チョッピング (既定 off)"), AsMeasure(kLog), AsMeasure(kSweep)}},
      {"--window",
       "W",
       [](O& o, S n, S v) {
         const auto w = analysis::WindowFromName(v);
         if (!w) return NotAllowed(n, v, "rect, hann, blackman-harris");
         o.window = *w;
         return Taken();
       },
       {Own(kSpectrum, "窓関数: rect (矩形)、hann (ハン)、blackman-harris (既定)")}},
      {"--png",
       "OUT.png",
       [](O& o, S n, S v) { return FileName(o.png, n, v); },
       {Unsaid(kPlot, Shown::kRequired),
        Own(kAnalyze, "ヒストグラムと正規分布の曲線を PNG に書き出します"),
        Own(kSpectrum, "スペクトル [dBFS] を PNG に書き出します"),
        Own(kStability, "アラン偏差 (両対数) と平均化スペクトルを PNG に書き出します"),
        Own(kSweep, "RMS ノイズとデータレートのグラフ (両対数、ゲインごとに測定値と代表値)"),
        Own(kCompare, "スペクトルとアラン偏差を重ねて PNG に書き出します")}},
      {"--volt",
       "",
       [](O& o, S, S) {
         o.volt = true;
         return Taken();
       },
       {Own(kMeasure, "統計を電圧値 [uV] で表示します (既定 AD変換値)"), AsMeasure(kLog),
        Unsaid(kStats), Unsaid(kPlot),
        Own(kAnalyze, "ヒストグラムの横軸を電圧値 [uV] にします (既定 AD変換値)")}},
      {"--out",
       "FILE",
       [](O& o, S n, S v) { return FileName(o.out, n, v); },
       {Own(kMeasure, "測定結果を保存します (名前が .DTA で終わらなければ .DTA を付けます)")}},
      {"--csv",
       "OUT.csv",
       [](O& o, S n, S v) { return FileName(o.csv, n, v); },
       {Own(kLog,
            "列: sample (1 から), time_s (最初のデータからの秒),\n"
            "チャネルごとの AD変換値 (chN_code) と電圧値 (chN_uV)。\n"
            "ボードが複数なら OUT_シリアル番号.csv に分かれます"),
        Own(kSweep, "設定ごとの結果を CSV に書き込みます"), Unsaid(kExport, Shown::kRequired),
        Own(kSpectrum, "ビンごとに周波数 [Hz]、レベル [dBFS]、ノイズ密度 [nV/√Hz] を書き出します"),
        Own(kStability,
            "アラン偏差の表: channel, tau_s, adev_codes, adev_low_codes, adev_high_codes, "
            "adev_uV, adev_nV, adev_low_nV, adev_high_nV, terms, edf, noise_alpha "
            "(low/high は 1σ の範囲、edf は等価自由度)")}},
      {"--h5",
       "OUT.h5",
       [](O& o, S n, S v) { return FileName(o.h5, n, v); },
       {Own(kLog,
            "HDF5 にも書き込みます (ボードごとのグループ、強制終了しても\n"
            "最後の書き出しまでのデータが残ります)")}},
      {"--lp",
       "-|FILE|udp://HOST:PORT",
       [](O& o, S n, S v) { return FileName(o.lp, n, v); },
       {Own(kLog,
            "1 秒ごとのチャネル別の要約 (平均、標準偏差、最小、最大、件数) を\n"
            "時系列データベースの行プロトコルで送ります")}},
      {"--force",
       "",
       [](O& o, S, S) {
         o.force = true;
         return Taken();
       },
       // Every output that exists already stays unless asked.
       {Own(kMeasure, "既存のファイルを上書きします"),
        Own(kLog, "既存の CSV ファイルを上書きします"), Own(kPlot, kForceHelp),
        Own(kExport, kForceHelp), Own(kSweep, kForceHelp), Own(kAnalyze, kForceHelp),
        Own(kSpectrum, kForceHelp), Own(kStability, kForceHelp)}},
      {"--analyze",
       "",
       [](O& o, S, S) {
         o.analyze = true;
         return Taken();
       },
       {Own(kMeasure, "測定後にノイズ解析の結果も表示します (analyze と同じ内容)")}},
      {std::string(kSineOptionText.name),
       std::string(kSineOptionText.hint),
       [](O& o, S, S v) { return Signal(o.sines, ParseSineOption(v)); },
       {Own(kMeasure, std::string(kSineOptionText.help)), AsMeasure(kLog), AsMeasure(kServe)},
       true,
       true},
      {std::string(kMainsOptionText.name),
       std::string(kMainsOptionText.hint),
       [](O& o, S, S v) { return Signal(o.mains, ParseMainsOption(v)); },
       {Own(kMeasure, std::string(kMainsOptionText.help)), AsMeasure(kLog), AsMeasure(kServe)},
       true,
       true},
      {std::string(kDriftOptionText.name),
       std::string(kDriftOptionText.hint),
       [](O& o, S, S v) { return Signal(o.drifts, ParseDriftOption(v)); },
       {Own(kMeasure, std::string(kDriftOptionText.help)), AsMeasure(kLog), AsMeasure(kServe)},
       true,
       true},
      {std::string(kFlickerOptionText.name),
       std::string(kFlickerOptionText.hint),
       [](O& o, S, S v) { return Signal(o.flickers, ParseFlickerOption(v)); },
       {Own(kMeasure, std::string(kFlickerOptionText.help)), AsMeasure(kLog), AsMeasure(kServe)},
       true,
       true},
      // A way to try the error paths: in the help, not in the usage lines.
      {"--virtual-fault",
       "F",
       [](O& o, S n, S v) {
         const auto& names = VirtualFaultNames();
         if (std::find(names.begin(), names.end(), v) == names.end()) {
           return NotAllowed(n, v, JoinValues(names));
         }
         o.virtualFault = v;
         return Taken();
       },
       {Own(kMeasure, "仮想ボードの故障を試します: " + JoinValues(VirtualFaultNames()),
            Shown::kHidden),
        {kLog, Described::kAsMeasure, {}, Shown::kHidden, false},
        {kSweep, Described::kAsMeasure, {}, Shown::kHidden, false},
        {kServe, Described::kAsMeasure, {}, Shown::kHidden, false}},
       false,
       true},
      {"--json",
       "",
       [](O& o, S, S) {
         o.json = true;
         return Taken();
       },
       {Own(kAnalyze, kJsonHelp), Own(kSpectrum, kJsonHelp), Own(kStability, kJsonHelp),
        Own(kCompare, kJsonHelp)}},
  };
  return options;
}

const std::vector<CommandSpec>& CommandSpecs() {
  static const std::vector<CommandSpec> commands = {
      {kMeasure, "measure", false, 21,
       "  ボードに接続して測定し、ボード名とバージョン、各チャネルの統計を表示します。\n",
       "  Ctrl-C で測定を中止します (10 件以上あれば結果を表示・保存します)。\n"},
      {kStats, "stats", true, 16,
       "  データファイルを読み込み、保持するチャネルごとに統計を表示します (CH0 が先)。\n", ""},
      {kPlot, "plot", true, 16,
       "  データファイルのグラフを画面と同じ描き方で PNG (640 x 440) に書き出します。\n", ""},
      {kExport, "export", true, 16,
       "  データファイルを CSV に書き出します: データ番号 (1 から) と、チャネルごとの\n"
       "  AD変換値と電圧値 [uV] (有効数字 9 桁)。\n",
       ""},
      {kLog, "log", false, 21,
       "  長時間の測定結果を届いた順に CSV に書き込み (1 秒に 1 回以上書き出します)、\n"
       "  終わりに各チャネルのデータ数、平均値、最大値、最小値、pp値、標準偏差を表示します。\n"
       "  --csv、--h5、--lp の一つ以上に書き込みます。\n",
       "  --device を複数回、または --virtual を複数回指定すると、各ボードを別々のスレッドで\n"
       "  続けて開始します (ボード間でサンプルの時刻はそろいません)。\n"
       "  Ctrl-C (SIGTERM、SIGHUP も) で測定を中止します (停止コマンドを送り、ファイルを閉じ、\n"
       "  統計を表示します)。CSV の最後の行 '# end: 理由, 時刻' が終わり方を示します:\n"
       "  finished (最後まで)、stopped (中止)、board error / board gone (ボードのエラー / 切断)、\n"
       "  disk full / write error (書き込めませんでした)。\n"},
      {kSweep, "sweep", false, 21,
       "  データレートとゲインの組ごとに 1 回測定し、RMS ノイズ [nV] とノイズフリー分解能\n"
       "  [bit] (6.6 × RMS から) の表を、行をデータレート、列をゲインとして表示します。\n"
       "  終わりに代表値の表と、測定値 / 代表値 の表を表示します。\n",
       "  測定できなかった設定は表のその欄に理由を示し、次の設定に進みます。\n"
       "  Ctrl-C で中止します (それまでの表、CSV、PNG を残します)。\n"},
      {kAnalyze, "analyze", true, 16,
       "  データファイルまたはログの CSV (全体) のノイズ解析: チャネルごとに平均値、\n"
       "  RMS ノイズ、p-p ノイズ、\n"
       "  実効分解能、ノイズフリー分解能、歪度・過剰尖度、RMS ノイズの代表値との比。\n",
       ""},
      {kSpectrum, "spectrum", true, 16,
       "  データファイルのスペクトル解析: 基本波、高調波、SNR、THD、SINAD、SFDR、ENOB、\n"
       "  平均ノイズ密度、電源周波数 (50 Hz / 60 Hz) のレベル。\n",
       ""},
      {kStability, "stability", true, 16,
       "  ログの CSV またはデータファイルの安定性解析: アラン偏差 (重複あり) と最小値、\n"
       "  ドリフト [uV/時]、平均化ノイズスペクトル (Hann 窓、50 % 重複) の白色ノイズ密度と\n"
       "  1/f コーナー周波数、0.1〜10 Hz ノイズ (RMS と 10 秒ごとの p-p)。\n"
       "  ログの途切れ ('#' の行) は時間軸の欠けとして扱います。\n",
       ""},
      {kBoards, "boards", false, 16,
       "  応答したボードごとに USB シリアル番号とボード名・バージョンを表示します。\n", ""},
      {kCompare, "compare", true, 16,
       "  ログ (CSV、HDF5 のボードごと) とデータファイルのノイズの値を並べて表示します。\n", "",
       true},
      {kServe, "serve", false, 17,
       "  SCPI のコマンドを TCP で受け付ける計測器として動きます (1 行 1 メッセージ、LF "
       "終わり)。\n"
       "  待ち受けるアドレスを標準出力に VISA のリソース名で表示します。\n",
       "  Ctrl-C で終了します (測定中なら停止してから)。\n"},
  };
  return commands;
}

const OptionUse* UseBy(const OptionSpec& option, Command command) {
  for (const OptionUse& use : option.uses) {
    if (use.command == command) return &use;
  }
  return nullptr;
}

const std::vector<std::string>& VirtualFaultNames() {
  static const std::vector<std::string> names = {"open",   "silent",    "name",
                                                 "refuse", "readerror", "badframe"};
  return names;
}

}  // namespace velqoris::cli
