// The instrument over a fake acquisition: every header of the table in both
// forms, settings and their errors, runs, waits, data formats and status.
#include <gtest/gtest.h>

#include <filesystem>

#include "scpi/Binary_block.h"
#include "scpi/Instrument.h"
#include "tests/scpi/Fake_acquisition.h"

namespace velqoris::scpi {
namespace {

class InstrumentTest : public ::testing::Test {
 protected:
  // The answer to one line (without its LF), or "" when there is none.
  std::string Ask(const std::string& line) {
    EXPECT_TRUE(instrument.Ready()) << line;
    instrument.Input(line);
    std::string out = instrument.TakeOutput();
    if (!out.empty()) {
      EXPECT_EQ(out.back(), '\n') << line;
      out.pop_back();
    }
    return out;
  }
  std::string NextError() { return Ask("SYST:ERR?"); }
  void ExpectNoError() { EXPECT_EQ(NextError(), "0,\"No error\""); }
  void Complete(int count) {
    acquisition.Finish(RunEnd::kComplete, count);
    instrument.Resume();
  }

  FakeAcquisition acquisition;
  Instrument instrument{acquisition, "test", FilePolicy{"/data", true}};
};

// The short form of a pattern: its capitals, optional nodes left out.
std::string ShortForm(const std::string& pattern, bool longForm) {
  std::string s;
  bool optional = false;
  for (const char c : pattern) {
    if (c == '[') optional = true;
    if (c == ']') optional = false;
    if (optional || c == '[' || c == ']') continue;
    if (longForm || c == ':' || c == '*' || c == '?' || (c >= 'A' && c <= 'Z')) s += c;
  }
  return s;
}

TEST_F(InstrumentTest, KnowsEveryHeaderOfItsTableInBothFormsAndAnyCase) {
  for (const std::string& header : Instrument::Headers()) {
    for (const bool longForm : {false, true}) {
      std::string h = ShortForm(header, longForm);
      if (longForm) {
        for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      instrument.Input(h + (h.back() == '?' ? "" : " 1"));
      if (!instrument.Ready()) {  // READ? waits for its run
        acquisition.Finish(RunEnd::kStopped);
        instrument.Resume();
      }
      instrument.TakeOutput();
      const std::string error = NextError();
      EXPECT_EQ(error.find("-113"), std::string::npos) << h << " gave " << error;
      Ask("*CLS;ABOR;LOG:STOP");
      instrument.Resume();
    }
  }
}

TEST_F(InstrumentTest, AnswersIdentityAndSettingsQueries) {
  EXPECT_EQ(Ask("*IDN?"), "VELQORIS,test,VIRTUAL,2.10/1.00");
  EXPECT_EQ(Ask("SAMP:RATE?;COUN?;:ROUT:CHAN?;:VOLT:RANG?;:FILT?;CHOP?;:INP:BUFF?;:FORM?"),
            "10;1000;0;2.5;SINC4;0;0;ASC");
  EXPECT_EQ(Ask("SYST:BOAR?"), "\"VELQORIS / 1.00\"");
  ExpectNoError();
}

struct SettingCase {
  const char* set;
  const char* query;
  const char* answer;
};

TEST_F(InstrumentTest, TakesEachSettingFromTheBoardsTables) {
  const SettingCase cases[] = {
      {"SAMP:RATE 4800", "SAMP:RATE?", "4800"},
      {"SAMP:RATE MIN", "SAMP:RATE?", "5"},
      {"SAMPLE:RATE max", "SAMP:RATE?", "4800"},
      {"SAMP:COUN 10000", "SAMP:COUN?", "10000"},
      {"SAMP:COUN MIN", "SAMP:COUN?", "100"},
      {"ROUT:CHAN 2", "ROUT:CHAN?", "2"},
      {"VOLT:RANG 0.3", "VOLT:RANG?", "0.3125"},
      {"SENS:VOLT:RANG MIN", "VOLT:RANG?", "0.01953125"},
      {"VOLT:RANG 2.5", "VOLT:RANG?", "2.5"},
      {"SENS:FILT SINC3", "FILT?", "SINC3"},
      {"CHOP ON", "CHOP?", "1"},
      {"SENS:CHOP 0", "CHOP?", "0"},
      {"INP:BUFF 1", "INP:BUFF?", "1"},
      {"FORM INT,32", "FORM?", "INT,32"},
      {"FORM:DATA INTEGER", "FORM?", "INT,32"},
      {"FORM ASCII", "FORM?", "ASC"},
  };
  for (const SettingCase& c : cases) {
    EXPECT_EQ(Ask(c.set), "") << c.set;
    EXPECT_EQ(Ask(c.query), c.answer) << c.set;
    ExpectNoError();
  }
}

struct RefusedCase {
  const char* line;
  const char* error;
};

TEST_F(InstrumentTest, RefusesWrongValuesAndChangesNothing) {
  const RefusedCase cases[] = {
      {"SAMP:RATE 4000", "-222"},
      {"SAMP:COUN 300", "-222"},
      {"ROUT:CHAN 3", "-222"},
      {"VOLT:RANG 3", "-222"},
      {"VOLT:RANG 0", "-222"},
      {"FILT SINC5", "-224"},
      {"CHOP MAYBE", "-224"},
      {"SAMP:RATE FAST", "-224"},
      {"SAMP:RATE \"10\"", "-104"},
      {"FILT 3", "-104"},
      {"SAMP:RATE", "-109"},
      {"*IDN? 1", "-108"},
      {"FORM INT,16", "-222"},
      {"FORM ASC,32", "-108"},
      {"NOPE:RATE 10", "-113"},
      {"SAMP:RATE? 1", "-108"},
      {"LOG:STAR 5", "-104"},
      {"LOG:STAR \"../x.csv\"", "-257"},
      {"LOG:STAR \"/etc/x.csv\"", "-257"},
      {"FETC?", "-230"},
      {"FETC:CODE? CH2", "-224"},
      {"*ESE 256", "-222"},
  };
  for (const RefusedCase& c : cases) {
    Ask(c.line);
    EXPECT_EQ(NextError().substr(0, 4), c.error) << c.line;
    ExpectNoError();
  }
  EXPECT_EQ(Ask("SAMP:RATE?;COUN?;:ROUT:CHAN?;:VOLT:RANG?;:FILT?;CHOP?"), "10;1000;0;2.5;SINC4;0");
}

TEST_F(InstrumentTest, ExecutesUnitsBeforeASyntaxErrorAndReportsItAfterTheirErrors) {
  EXPECT_EQ(Ask("SAMP:RATE 7;:SAMP:RATE 20;*IDN? %"), "");
  EXPECT_EQ(NextError().substr(0, 4), "-222");
  EXPECT_EQ(NextError().substr(0, 4), "-102");
  EXPECT_EQ(Ask("SAMP:RATE?"), "20");
}

TEST_F(InstrumentTest, ReadWaitsForTheRunThenAnswersMicrovolts) {
  Ask("SAMP:COUN 100;:ROUT:CHAN 0");
  instrument.Input("READ?");
  EXPECT_FALSE(instrument.Ready());
  EXPECT_EQ(acquisition.starts, 1);
  EXPECT_EQ(instrument.TakeOutput(), "");
  Complete(100);
  ASSERT_TRUE(instrument.Ready());
  const std::string out = instrument.TakeOutput();
  EXPECT_EQ(std::count(out.begin(), out.end(), ','), 99);
  EXPECT_EQ(out.substr(0, 2), "0,");
  ExpectNoError();
}

TEST_F(InstrumentTest, OpcQueryAfterInitWaitsAndCodesComeAsBlocksOrText) {
  Ask("ROUT:CHAN 2;:SAMP:COUN 100");
  instrument.Input("INIT;*OPC?");
  EXPECT_FALSE(instrument.Ready());
  Complete(100);
  EXPECT_EQ(instrument.TakeOutput(), "1\n");
  EXPECT_EQ(Ask("FETC:CODE? CH1").substr(0, 16), "8388608,8388607,");
  Ask("FORM INT,32");
  const std::string block = Ask("FETC:CODE? CH0");
  const auto decoded = DecodeInt32Block(block);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->size, block.size());
  ASSERT_EQ(decoded->values.size(), 100u);
  EXPECT_EQ(decoded->values[99], kMidScaleCode + 99);
  // Without a channel both come sample by sample.
  const auto both = DecodeInt32Block(Ask("FETC:CODE?"));
  ASSERT_TRUE(both);
  ASSERT_EQ(both->values.size(), 200u);
  EXPECT_EQ(both->values[2], kMidScaleCode + 1);
  EXPECT_EQ(both->values[3], kMidScaleCode - 1);
}

TEST_F(InstrumentTest, CommandsNeedingAnIdleBoardAreRefusedDuringARun) {
  Ask("INIT");
  for (const char* line : {"SAMP:RATE 10", "INIT", "LOG:STAR \"a.csv\"", "CALC:NOIS?", "READ?"}) {
    Ask(line);
    const std::string error = NextError();
    EXPECT_EQ(error.substr(0, 4), "-200") << line;
    EXPECT_NE(error.find("run is in progress"), std::string::npos) << error;
  }
  EXPECT_EQ(Ask("SAMP:RATE?"), "10");
  Ask("ABOR");
  EXPECT_EQ(acquisition.aborts, 1);
  instrument.Resume();
  EXPECT_EQ(Ask("FETC?"), "");
  EXPECT_EQ(NextError().substr(0, 4), "-230");
}

TEST_F(InstrumentTest, FailedRunsQueueTheirHardwareError) {
  const std::pair<RunEnd, const char*> cases[] = {
      {RunEnd::kNoBoard, "-241"}, {RunEnd::kOtherBoard, "-241"}, {RunEnd::kNoAnswer, "-240"},
      {RunEnd::kRefused, "-240"}, {RunEnd::kReadError, "-240"},  {RunEnd::kPulledCable, "-240"},
      {RunEnd::kStalled, "-240"}, {RunEnd::kSinkFailed, "-250"}};
  for (const auto& [end, error] : cases) {
    instrument.Input("INIT;*OPC?");
    acquisition.Finish(end);
    instrument.Resume();
    EXPECT_EQ(instrument.TakeOutput(), "1\n");
    EXPECT_EQ(NextError().substr(0, 4), error);
  }
}

TEST_F(InstrumentTest, StatusRegistersFollowErrorsAndOperationComplete) {
  EXPECT_EQ(Ask("*ESR?"), "128");  // power on
  Ask("*ESE 60;NOPE");
  EXPECT_EQ(Ask("*STB?"), "36");  // error queued, event summary
  EXPECT_EQ(Ask("*ESR?"), "32");
  Ask("SAMP:RATE 7");
  EXPECT_EQ(Ask("*ESR?"), "16");
  Ask("INIT;*OPC");
  EXPECT_EQ(Ask("*ESR?"), "0");
  Complete(100);
  EXPECT_EQ(Ask("*ESR?"), "1");
  Ask("*CLS");
  EXPECT_EQ(Ask("*STB?"), "0");
}

TEST_F(InstrumentTest, FiguresComeAsJsonOfEveryChannelHeld) {
  Ask("ROUT:CHAN 2;:SAMP:COUN 1000;:SAMP:RATE 4800;:INIT");
  Complete(1000);
  const std::string stats = Ask("CALC:STAT?");
  EXPECT_EQ(stats.substr(0, 44), "{\"channels\": [{\"channel\": 0, \"count\": 1000, ");
  EXPECT_NE(stats.find("\"pp_code\": 999"), std::string::npos) << stats;
  EXPECT_NE(Ask("CALC:NOIS?").find("\"rms_noise_codes\""), std::string::npos);
  EXPECT_NE(Ask("CALC:SPEC? HANN").find("\"window\": \"hann\""), std::string::npos);
  EXPECT_EQ(Ask("CALC:STAT?").find('\n'), std::string::npos);
}

TEST_F(InstrumentTest, LogsGoIntoTheDataFolderOnly) {
  Ask("LOG:STAR \"sub/run.csv\"");
  ExpectNoError();
  // Compared as paths: Windows joins with its own separator.
  EXPECT_EQ(std::filesystem::path(acquisition.logPath), std::filesystem::path("/data/sub/run.csv"));
  EXPECT_EQ(Ask("LOG:STAT?;COUN?"), "1;42");
  Ask("INIT");
  EXPECT_NE(NextError().find("a log is running"), std::string::npos);
  Ask("LOG:STOP");
  instrument.Resume();
  EXPECT_EQ(Ask("LOG:STAT?"), "0");
  acquisition.logOk = false;
  Ask("LOG:STAR \"x.csv\"");
  EXPECT_EQ(NextError().substr(0, 4), "-250");
}

TEST_F(InstrumentTest, HoldsAnswersBeyondTheRoomUntilContinued) {
  Ask("ROUT:CHAN 0;:SAMP:COUN 10000;:INIT");
  Complete(10000);
  instrument.Input("FETC:CODE?;CODE?;:FETC:CODE?", 1000);
  EXPECT_FALSE(instrument.Ready());
  const std::size_t first = instrument.TakeOutput().size();
  instrument.Continue(1000);
  EXPECT_EQ(instrument.TakeOutput().size(), first + 1);  // ';' before it
  EXPECT_FALSE(instrument.Ready());
  instrument.Continue(1000);
  EXPECT_TRUE(instrument.Ready());
  EXPECT_EQ(instrument.TakeOutput().size(), first + 2);  // and the line's end
}

TEST_F(InstrumentTest, ADisconnectStopsTheRunAndForgetsTheClientsLine) {
  Ask("NOPE");
  instrument.Input("READ?");
  instrument.Disconnect();
  EXPECT_EQ(acquisition.aborts, 1);
  EXPECT_TRUE(instrument.Ready());
  instrument.Resume();
  ExpectNoError();
  Ask("LINE:TOOL:LONG");
  instrument.LineTooLong(65536);
  NextError();
  EXPECT_EQ(NextError(), "-223,\"Too much data;line over 65536 bytes discarded\"");
}

}  // namespace
}  // namespace velqoris::scpi
