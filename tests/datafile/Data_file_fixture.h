// A temporary folder per test, buffers with guard cells past their capacity,
// and small file helpers for the data file tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "datafile/Myfile.h"
#include "datafile/Utf8_path.h"
#include "records/Measure_settings.h"

namespace velqoris::testing {

inline constexpr std::int32_t kGuard = 0x5A5A5A5A;
inline constexpr int kGuardCells = 64;

// One channel's arrays, with guard cells after the capacity that no reader may touch.
struct Channel {
  std::vector<std::int32_t> codes =
      std::vector<std::int32_t>(kSampleCapacity + kGuardCells, kGuard);
  std::vector<float> microvolts = std::vector<float>(kSampleCapacity + kGuardCells, 0.0f);
  SampleBuffer buffer{0, codes.data(), microvolts.data()};

  void Fill(int count, std::int32_t first, std::int32_t step) {
    for (int i = 0; i < count; ++i) codes[i] = first + i * step;
    buffer.Count = count;
  }
  bool GuardsIntact() const {
    for (int i = kSampleCapacity; i < kSampleCapacity + kGuardCells; ++i) {
      if (codes[i] != kGuard) return false;
    }
    return true;
  }
};

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      auto dir = std::filesystem::temp_directory_path() / ("datafile-" + std::to_string(random()));
      if (std::filesystem::create_directory(dir)) dir_ = dir;
    }
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  // Names are UTF-8, as the program passes them.
  std::string PathOf(const std::string& name) const {
    return Utf8FromPath(dir_ / PathFromUtf8(name));
  }

  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = PathOf(name);
    std::ofstream(PathFromUtf8(path), std::ios::binary) << bytes;
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      names.push_back(Utf8FromPath(entry.path().filename()));
    }
    return names;
  }

  std::filesystem::path dir_;
};

// Lines joined with LF, or with CR LF when asked.
inline std::string Lines(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

// A correct one-channel CH0 file head: identification and settings block.
inline std::vector<std::string> Head(const std::string& chSel = "0") {
  return {"VELQORIS_DataFile:", "M:",       "spsSel:3",  "DataCountSel:0", "CHSel:" + chSel,
          "GainSel:2",          "fSinc4:0", "fBUF_ON:1", "fCHOP_ON:0",     "MEND:"};
}

inline std::vector<std::string> Concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace velqoris::testing
