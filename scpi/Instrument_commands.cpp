// The command tree: one table of every header the instrument answers, with
// its parameter counts, whether it needs an idle board, and its handler.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Figures_json.h"
#include "scpi/Binary_block.h"
#include "scpi/Header_match.h"
#include "scpi/Instrument.h"
#include "scpi/Parameters.h"
#include "session/Held_channels.h"
#include "stats/Code_extremes.h"
#include "status/Status_text.h"

namespace velqoris::scpi {

using Step = Instrument::Step;

namespace {

// The input range at each gain: ±2.5 V over the gain.
double RangeVolts(int gainSel) { return 2.5 / DerivedGain(gainSel); }

std::string NumberText(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

// A value of a list from a number parameter: exact values only.
template <std::size_t N>
std::optional<int> IndexOfValue(const std::array<int, N>& table, double v) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] == v) return static_cast<int>(i);
  }
  return std::nullopt;
}

template <std::size_t N>
std::string ListText(const std::array<int, N>& table) {
  std::string s;
  for (const int v : table) s += (s.empty() ? "" : "|") + std::to_string(v);
  return s;
}

// Channel selector of FETCh?/READ?: nothing means every channel the data hold.
struct ChannelChoice {
  bool ok = false;
  int channel = -1;  // -1: every channel held, interleaved
};

}  // namespace

struct Commands {
  using Handler = Step (*)(Instrument&, const Unit&);
  struct Row {
    const char* pattern;
    bool query;
    int minParams;
    int maxParams;
    bool needsIdle;  // refused with -200 while a run or log is in progress
    Handler handler;
  };

  template <typename T>
  static bool Take(Instrument& in, const ParamResult<T>& r, T& out) {
    if (const auto* e = std::get_if<ParamError>(&r)) {
      in.Error(e->error, e->detail);
      return false;
    }
    out = std::get<T>(r);
    return true;
  }

  // Common commands.
  static Step Idn(Instrument& in, const Unit&) {
    const BoardIdentity id = in.acquisition_.Identity();
    std::string version = VELQORIS_VERSION;
    if (!id.version.empty()) version += "/" + id.version;
    in.Respond("VELQORIS," + in.model_ + "," + (id.serial.empty() ? "0" : id.serial) + "," +
               version);
    return Step::kDone;
  }
  static Step Rst(Instrument& in, const Unit&) {
    if (in.Busy()) in.acquisition_.Abort();
    in.settings_ = MeasureSettings{};
    in.settings_.Gain = DerivedGain(in.settings_.GainSel);
    in.binaryFormat_ = false;
    in.hasData_ = false;
    return Step::kDone;
  }
  static Step Cls(Instrument& in, const Unit&) {
    in.errors_.Clear();
    in.status_.event = 0;
    return Step::kDone;
  }
  static Step Opc(Instrument& in, const Unit&) {
    if (in.runPending_) {
      in.opcArmed_ = true;
    } else {
      in.status_.SetEvent(StatusRegisters::kOperationComplete);
    }
    return Step::kDone;
  }
  static Step OpcQuery(Instrument& in, const Unit&) {
    if (in.runPending_) return Step::kWait;
    in.Respond("1");
    return Step::kDone;
  }
  static Step Wai(Instrument& in, const Unit&) {
    return in.runPending_ ? Step::kWait : Step::kDone;
  }
  static Step EsrQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.status_.TakeEvent()));
    return Step::kDone;
  }
  static Step StbQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.status_.StatusByte(!in.errors_.Empty())));
    return Step::kDone;
  }
  static Step Mask(Instrument& in, const Unit& u, std::uint8_t& mask) {
    double v = 0;
    if (!Take(in, NumberParam(u.params[0], 0, 255), v)) return Step::kDone;
    if (v < 0 || v > 255) {
      in.Error(ScpiError::kDataOutOfRange, "0 to 255");
      return Step::kDone;
    }
    mask = static_cast<std::uint8_t>(std::lround(v));
    return Step::kDone;
  }
  static Step Ese(Instrument& in, const Unit& u) { return Mask(in, u, in.status_.eventEnable); }
  static Step EseQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.status_.eventEnable));
    return Step::kDone;
  }
  static Step Sre(Instrument& in, const Unit& u) { return Mask(in, u, in.status_.serviceEnable); }
  static Step SreQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.status_.serviceEnable));
    return Step::kDone;
  }
  static Step TstQuery(Instrument& in, const Unit&) {
    in.Respond("0");
    return Step::kDone;
  }

  // SYSTem.
  static Step ErrorQuery(Instrument& in, const Unit&) {
    in.Respond(in.errors_.Pop());
    return Step::kDone;
  }
  static Step ErrorCount(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.errors_.Count()));
    return Step::kDone;
  }
  static Step BoardQuery(Instrument& in, const Unit&) {
    const BoardIdentity id = in.acquisition_.Identity();
    in.Respond("\"" + (id.name.empty() ? std::string() : PairText(id.name, id.version)) + "\"");
    return Step::kDone;
  }
  static Step VersionQuery(Instrument& in, const Unit&) {
    in.Respond("1999.0");
    return Step::kDone;
  }
  static Step HeadersQuery(Instrument& in, const Unit&) {
    std::string list;
    for (const std::string& h : Instrument::Headers()) list += (list.empty() ? "" : ",") + h;
    in.Respond(list);
    return Step::kDone;
  }

  // Settings.
  static Step Rate(Instrument& in, const Unit& u) {
    double v = 0;
    if (!Take(in, NumberParam(u.params[0], kDataRates.front(), kDataRates.back()), v)) {
      return Step::kDone;
    }
    const auto i = IndexOfValue(kDataRates, v);
    if (!i) {
      in.Error(ScpiError::kDataOutOfRange, NumberText(v) + "; " + ListText(kDataRates));
    } else {
      in.settings_.spsSel = *i;
    }
    return Step::kDone;
  }
  static Step RateQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(DataRate(in.settings_.spsSel).value_or(0)));
    return Step::kDone;
  }
  static Step Count(Instrument& in, const Unit& u) {
    double v = 0;
    if (!Take(in, NumberParam(u.params[0], kDataCounts.front(), kDataCounts.back()), v)) {
      return Step::kDone;
    }
    const auto i = IndexOfValue(kDataCounts, v);
    if (!i) {
      in.Error(ScpiError::kDataOutOfRange, NumberText(v) + "; " + ListText(kDataCounts));
    } else {
      in.settings_.DataCountSel = *i;
    }
    return Step::kDone;
  }
  static Step CountQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(DataCount(in.settings_.DataCountSel).value_or(0)));
    return Step::kDone;
  }
  static Step Channel(Instrument& in, const Unit& u) {
    double v = 0;
    if (!Take(in, NumberParam(u.params[0], 0, 2), v)) return Step::kDone;
    if (v != 0 && v != 1 && v != 2) {
      in.Error(ScpiError::kDataOutOfRange, NumberText(v) + "; 0|1|2");
    } else {
      in.settings_.CHSel = static_cast<int>(v);
    }
    return Step::kDone;
  }
  static Step ChannelQuery(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.settings_.CHSel));
    return Step::kDone;
  }
  static Step Range(Instrument& in, const Unit& u) {
    double v = 0;
    if (!Take(in, NumberParam(u.params[0], RangeVolts(5), RangeVolts(0)), v)) return Step::kDone;
    // The smallest range that holds the value, as a voltmeter picks it.
    for (int g = static_cast<int>(kGains.size()) - 1; g >= 0; --g) {
      if (v > 0 && v <= RangeVolts(g) * (1 + 1e-9)) {
        in.settings_.GainSel = g;
        in.settings_.Gain = DerivedGain(g);
        return Step::kDone;
      }
    }
    in.Error(ScpiError::kDataOutOfRange,
             NumberText(v) + " V; from " + NumberText(RangeVolts(5)) + " to 2.5");
    return Step::kDone;
  }
  static Step RangeQuery(Instrument& in, const Unit&) {
    in.Respond(NumberText(RangeVolts(in.settings_.GainSel)));
    return Step::kDone;
  }
  static Step Filter(Instrument& in, const Unit& u) {
    int i = 0;
    if (Take(in, ChoiceParam(u.params[0], {"SINC3", "SINC4"}), i)) in.settings_.fSinc4 = i == 1;
    return Step::kDone;
  }
  static Step FilterQuery(Instrument& in, const Unit&) {
    in.Respond(in.settings_.fSinc4 ? "SINC4" : "SINC3");
    return Step::kDone;
  }
  static Step Flag(Instrument& in, const Unit& u, std::uint8_t& flag) {
    bool on = false;
    if (Take(in, BooleanParam(u.params[0]), on)) flag = on ? 1 : 0;
    return Step::kDone;
  }
  static Step Chop(Instrument& in, const Unit& u) { return Flag(in, u, in.settings_.fCHOP_ON); }
  static Step ChopQuery(Instrument& in, const Unit&) {
    in.Respond(in.settings_.fCHOP_ON ? "1" : "0");
    return Step::kDone;
  }
  static Step Buffer(Instrument& in, const Unit& u) { return Flag(in, u, in.settings_.fBUF_ON); }
  static Step BufferQuery(Instrument& in, const Unit&) {
    in.Respond(in.settings_.fBUF_ON ? "1" : "0");
    return Step::kDone;
  }
  static Step Format(Instrument& in, const Unit& u) {
    int i = 0;
    if (!Take(in, ChoiceParam(u.params[0], {"ASCii", "INTeger"}), i)) return Step::kDone;
    if (i == 0 && u.params.size() > 1) {
      in.Error(ScpiError::kParameterNotAllowed, "ASCii takes no length");
      return Step::kDone;
    }
    if (i == 1 && u.params.size() > 1 &&
        (u.params[1].kind != Parameter::Kind::kNumber || u.params[1].number != 32)) {
      in.Error(ScpiError::kDataOutOfRange, "INTeger,32 only");
      return Step::kDone;
    }
    in.binaryFormat_ = i == 1;
    return Step::kDone;
  }
  static Step FormatQuery(Instrument& in, const Unit&) {
    in.Respond(in.binaryFormat_ ? "INT,32" : "ASC");
    return Step::kDone;
  }

  // Acquisition.
  static void StartRun(Instrument& in) {
    in.hasData_ = false;
    in.runPending_ = true;
    in.acquisition_.Start(in.settings_);
  }
  static Step Init(Instrument& in, const Unit&) {
    StartRun(in);
    return Step::kDone;
  }
  static Step Abort(Instrument& in, const Unit&) {
    if (in.Busy()) in.acquisition_.Abort();
    return Step::kDone;
  }
  static ChannelChoice Channels(Instrument& in, const Unit& u) {
    if (u.params.empty()) return {true, -1};
    int i = 0;
    if (!Take(in, ChoiceParam(u.params[0], {"CH0", "CH1"}), i)) return {};
    return {true, i};
  }
  // The held data of the chosen channel(s), or an error when there are none.
  static std::vector<HeldChannel> Chosen(Instrument& in, int channel) {
    std::vector<HeldChannel> held;
    if (!in.hasData_) {
      in.Error(ScpiError::kDataStale, "no data; INITiate first");
      return held;
    }
    for (const HeldChannel& c : HeldChannels(in.acquisition_.Data())) {
      if (channel < 0 || c.channel == channel) held.push_back(c);
    }
    if (held.empty())
      in.Error(ScpiError::kDataStale, "CH" + std::to_string(channel) + " not measured");
    return held;
  }
  // Both channels go sample by sample: ch0, ch1, ch0, ch1, …
  template <typename Put>
  static void Interleave(const std::vector<HeldChannel>& held, Put put) {
    const int count = held.front().count;
    for (int i = 0; i < count; ++i) {
      for (const HeldChannel& c : held) {
        if (i < c.count) put(c, i);
      }
    }
  }
  static Step FetchVolts(Instrument& in, const Unit& u) {
    const ChannelChoice choice = Channels(in, u);
    if (!choice.ok) return Step::kDone;
    if (in.runPending_) return Step::kWait;
    const auto held = Chosen(in, choice.channel);
    if (held.empty()) return Step::kDone;
    const RunData& data = in.acquisition_.Data();
    std::string& out = in.BeginResponse();
    bool first = true;
    Interleave(held, [&](const HeldChannel& c, int i) {
      if (!first) out += ',';
      first = false;
      char text[24];
      const auto r = std::to_chars(text, text + sizeof text, data.Microvolts(c.channel)[i]);
      out.append(text, r.ptr);
    });
    return Step::kDone;
  }
  static Step FetchCodes(Instrument& in, const Unit& u) {
    const ChannelChoice choice = Channels(in, u);
    if (!choice.ok) return Step::kDone;
    if (in.runPending_) return Step::kWait;
    const auto held = Chosen(in, choice.channel);
    if (held.empty()) return Step::kDone;
    std::string& out = in.BeginResponse();
    if (in.binaryFormat_) {
      if (held.size() == 1) {
        AppendInt32Block(out, std::span(held[0].codes, static_cast<std::size_t>(held[0].count)));
        return Step::kDone;
      }
      std::vector<std::int32_t> values;
      Interleave(held, [&](const HeldChannel& c, int i) { values.push_back(c.codes[i]); });
      AppendInt32Block(out, values);
      return Step::kDone;
    }
    bool first = true;
    Interleave(held, [&](const HeldChannel& c, int i) {
      if (!first) out += ',';
      first = false;
      out += std::to_string(c.codes[i]);
    });
    return Step::kDone;
  }
  static Step Read(Instrument& in, const Unit& u) {
    if (!in.readStarted_) {
      if (in.Busy()) {
        in.BusyError(u);
        return Step::kDone;
      }
      if (!Channels(in, u).ok) return Step::kDone;
      StartRun(in);
      in.readStarted_ = true;
    }
    if (in.runPending_) return Step::kWait;
    in.readStarted_ = false;
    return FetchVolts(in, u);
  }

  // Figures.
  static Step Statistics(Instrument& in, const Unit&) {
    const auto held = Chosen(in, -1);
    if (held.empty()) return Step::kDone;
    const RunData& data = in.acquisition_.Data();
    std::vector<std::string> objects;
    for (const HeldChannel& c : held) {
      const CodeExtremes e = FindExtremes(c.codes, 0, c.count - 1);
      const float* uv = data.Microvolts(c.channel);
      float maxUv = uv[0], minUv = uv[0];
      for (int i = 1; i < c.count; ++i)
        maxUv = std::max(maxUv, uv[i]), minUv = std::min(minUv, uv[i]);
      const bool ch0 = c.channel == 0;
      objects.push_back(analysis::JsonObject()
                            .Add("channel", c.channel)
                            .Add("count", c.count)
                            .Add("max_code", e.max)
                            .Add("min_code", e.min)
                            .Add("pp_code", e.max - e.min)
                            .Add("mean_code", ch0 ? data.CodeMeanCH0 : data.CodeMeanCH1)
                            .Add("sd_code", double{ch0 ? data.CodeSDCH0 : data.CodeSDCH1})
                            .Add("max_uV", double{maxUv})
                            .Add("min_uV", double{minUv})
                            .Add("pp_uV", double{maxUv - minUv})
                            .Add("mean_uV", double{ch0 ? data.VoltMeanCH0 : data.VoltMeanCH1})
                            .Add("sd_uV", double{ch0 ? data.VoltSDCH0 : data.VoltSDCH1})
                            .Text());
    }
    in.Respond(analysis::ChannelListJson(objects));
    return Step::kDone;
  }
  static Step Noise(Instrument& in, const Unit&) {
    const auto held = Chosen(in, -1);
    if (held.empty()) return Step::kDone;
    const MeasureSettings& s = in.acquisition_.Data().Settings;
    std::vector<std::string> objects;
    for (const HeldChannel& c : held) {
      objects.push_back(
          analysis::NoiseChannelJson(c.channel, analysis::AnalyzeNoise(c.codes, c.count, s)));
    }
    in.Respond(analysis::ChannelListJson(objects));
    return Step::kDone;
  }
  static Step Spectrum(Instrument& in, const Unit& u) {
    auto window = analysis::kDefaultWindow;
    if (!u.params.empty()) {
      int i = 0;
      if (!Take(in, ChoiceParam(u.params[0], {"RECTangular", "HANN", "BHARris"}), i)) {
        return Step::kDone;
      }
      window = std::array{analysis::SpectrumWindow::kRectangular, analysis::SpectrumWindow::kHann,
                          analysis::SpectrumWindow::kBlackmanHarris}[static_cast<std::size_t>(i)];
    }
    const auto held = Chosen(in, -1);
    if (held.empty()) return Step::kDone;
    const MeasureSettings& s = in.acquisition_.Data().Settings;
    std::vector<std::string> objects;
    for (const HeldChannel& c : held) {
      objects.push_back(analysis::SpectrumChannelJson(
          c.channel, analysis::AnalyzeChannelSpectrum(c.codes, c.count, s, window)));
    }
    in.Respond(analysis::ChannelListJson(objects));
    return Step::kDone;
  }

  // Long logs.
  static Step LogStart(Instrument& in, const Unit& u) {
    std::string name;
    if (!Take(in, StringParam(u.params[0]), name)) return Step::kDone;
    const auto path = ResolveFile(in.files_, name);
    if (!path) {
      in.Error(ScpiError::kFileName,
               in.files_.confined ? "only names inside the data folder" : name);
      return Step::kDone;
    }
    if (!in.acquisition_.StartLog(*path, in.settings_, kUntilStopped)) {
      in.Error(ScpiError::kMassStorage, "cannot create " + name);
      return Step::kDone;
    }
    in.logging_ = true;
    return Step::kDone;
  }
  static Step LogStop(Instrument& in, const Unit&) {
    if (in.logging_) in.acquisition_.Abort();
    return Step::kDone;
  }
  static Step LogState(Instrument& in, const Unit&) {
    in.Respond(in.logging_ ? "1" : "0");
    return Step::kDone;
  }
  static Step LogCount(Instrument& in, const Unit&) {
    in.Respond(std::to_string(in.acquisition_.Log().written));
    return Step::kDone;
  }

  static constexpr std::int64_t kUntilStopped = 2147483647;

  static const std::vector<Row>& Table() {
    static const std::vector<Row> rows = {
        {"*IDN", true, 0, 0, false, Idn},
        {"*RST", false, 0, 0, false, Rst},
        {"*CLS", false, 0, 0, false, Cls},
        {"*OPC", false, 0, 0, false, Opc},
        {"*OPC", true, 0, 0, false, OpcQuery},
        {"*WAI", false, 0, 0, false, Wai},
        {"*ESR", true, 0, 0, false, EsrQuery},
        {"*ESE", false, 1, 1, false, Ese},
        {"*ESE", true, 0, 0, false, EseQuery},
        {"*SRE", false, 1, 1, false, Sre},
        {"*SRE", true, 0, 0, false, SreQuery},
        {"*STB", true, 0, 0, false, StbQuery},
        {"*TST", true, 0, 0, false, TstQuery},
        {"SYSTem:ERRor[:NEXT]", true, 0, 0, false, ErrorQuery},
        {"SYSTem:ERRor:COUNt", true, 0, 0, false, ErrorCount},
        {"SYSTem:BOARd", true, 0, 0, false, BoardQuery},
        {"SYSTem:VERSion", true, 0, 0, false, VersionQuery},
        {"SYSTem:HELP:HEADers", true, 0, 0, false, HeadersQuery},
        {"SAMPle:RATE", false, 1, 1, true, Rate},
        {"SAMPle:RATE", true, 0, 0, false, RateQuery},
        {"SAMPle:COUNt", false, 1, 1, true, Count},
        {"SAMPle:COUNt", true, 0, 0, false, CountQuery},
        {"ROUTe:CHANnel", false, 1, 1, true, Channel},
        {"ROUTe:CHANnel", true, 0, 0, false, ChannelQuery},
        {"[SENSe:]VOLTage:RANGe", false, 1, 1, true, Range},
        {"[SENSe:]VOLTage:RANGe", true, 0, 0, false, RangeQuery},
        {"[SENSe:]FILTer", false, 1, 1, true, Filter},
        {"[SENSe:]FILTer", true, 0, 0, false, FilterQuery},
        {"[SENSe:]CHOP", false, 1, 1, true, Chop},
        {"[SENSe:]CHOP", true, 0, 0, false, ChopQuery},
        {"INPut:BUFFer", false, 1, 1, true, Buffer},
        {"INPut:BUFFer", true, 0, 0, false, BufferQuery},
        {"FORMat[:DATA]", false, 1, 2, false, Format},
        {"FORMat[:DATA]", true, 0, 0, false, FormatQuery},
        {"INITiate[:IMMediate]", false, 0, 0, true, Init},
        {"ABORt", false, 0, 0, false, Abort},
        {"READ", true, 0, 1, false, Read},
        {"FETCh[:VOLTage]", true, 0, 1, false, FetchVolts},
        {"FETCh:CODE", true, 0, 1, false, FetchCodes},
        {"CALCulate:STATistics", true, 0, 0, true, Statistics},
        {"CALCulate:NOISe", true, 0, 0, true, Noise},
        {"CALCulate:SPECtrum", true, 0, 1, true, Spectrum},
        {"LOG:STARt", false, 1, 1, true, LogStart},
        {"LOG:STOP", false, 0, 0, false, LogStop},
        {"LOG:STATe", true, 0, 0, false, LogState},
        {"LOG:COUNt", true, 0, 0, false, LogCount},
    };
    return rows;
  }

  static const std::vector<std::vector<PatternNode>>& Patterns() {
    static const std::vector<std::vector<PatternNode>> patterns = [] {
      std::vector<std::vector<PatternNode>> p;
      for (const Row& row : Table()) p.push_back(PatternNodes(row.pattern));
      return p;
    }();
    return patterns;
  }
};

std::vector<std::string> Instrument::Headers() {
  std::vector<std::string> headers;
  for (const Commands::Row& row : Commands::Table()) {
    headers.push_back(std::string(row.pattern) + (row.query ? "?" : ""));
  }
  return headers;
}

Instrument::Step Instrument::Execute(const Unit& unit) {
  const auto& table = Commands::Table();
  const auto& patterns = Commands::Patterns();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const Commands::Row& row = table[i];
    if (row.query != unit.query || !MatchesPattern(patterns[i], unit.path)) continue;
    const int n = static_cast<int>(unit.params.size());
    if (n < row.minParams) {
      Error(ScpiError::kMissingParameter, unit.HeaderText());
    } else if (n > row.maxParams) {
      Error(ScpiError::kParameterNotAllowed, unit.HeaderText());
    } else if (row.needsIdle && Busy()) {
      BusyError(unit);
    } else {
      return row.handler(*this, unit);
    }
    return Step::kDone;
  }
  Error(ScpiError::kUndefinedHeader, unit.HeaderText());
  return Step::kDone;
}

}  // namespace velqoris::scpi
