// The figures as JSON with the fixed keys scripts rely on: one flat object
// per channel (null where a figure does not exist), in {"channels": [...]}.
// velqoris-cli's --json and the remote CALCulate queries print the same.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Channel_analysis.h"

namespace velqoris::analysis {

// Builds one flat JSON object, keys in the order given.
class JsonObject {
 public:
  JsonObject& Add(const char* key, const std::string& literal);
  JsonObject& Add(const char* key, const std::optional<double>& v);
  JsonObject& Add(const char* key, double v) { return Add(key, std::optional<double>(v)); }
  JsonObject& Add(const char* key, int v) { return Add(key, std::to_string(v)); }
  JsonObject& AddText(const char* key, const std::string& v) { return Add(key, "\"" + v + "\""); }
  std::string Text() const { return text_.empty() ? "{}" : text_ + "}"; }

 private:
  std::string text_;
};

// {"channels": [objects]} on one line, without a line end.
std::string ChannelListJson(const std::vector<std::string>& objects);

// The object of one channel: the keys scripts rely on, newer ones after them.
std::string NoiseChannelJson(int channel, const NoiseFigures& figures);
std::string SpectrumChannelJson(int channel, const SpectrumAnalysis& analysis);

}  // namespace velqoris::analysis
