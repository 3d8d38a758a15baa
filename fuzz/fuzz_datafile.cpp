// Feeds arbitrary bytes to the data file reader. Beyond the sanitizers it
// checks that a load never reports more samples than the arrays hold and that
// a refused file leaves the buffers and the record as they were.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "datafile/Data_reader.h"
#include "records/Measure_settings.h"

namespace {

using velqoris::kSampleCapacity;

struct Arrays {
  // Exactly the capacity, so that any write past it is a heap overflow.
  std::unique_ptr<std::int32_t[]> codes0{new std::int32_t[kSampleCapacity]()};
  std::unique_ptr<std::int32_t[]> codes1{new std::int32_t[kSampleCapacity]()};
  velqoris::SampleBuffer ch0{7, codes0.get(), nullptr};
  velqoris::SampleBuffer ch1{9, codes1.get(), nullptr};
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Arrays arrays;
  arrays.ch0.Count = 7;
  arrays.ch1.Count = 9;
  velqoris::MeasureSettings settings;
  settings.spsSel = 99;  // seen again only when the file names every selection

  std::FILE* stream = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
  const bool ok = velqoris::DataFileReader(stream).Read(settings, arrays.ch0, arrays.ch1);
  if (stream != nullptr) std::fclose(stream);

  if (ok) {
    Check(velqoris::SelectionsValid(settings));
    Check(arrays.ch0.Count >= 0 && arrays.ch0.Count <= kSampleCapacity);
    Check(arrays.ch1.Count >= 0 && arrays.ch1.Count <= kSampleCapacity);
    if (settings.CHSel == 0) Check(arrays.ch1.Count == 0);
    if (settings.CHSel == 1) Check(arrays.ch0.Count == 0);
    if (settings.CHSel == 2) Check(arrays.ch0.Count == arrays.ch1.Count);
  } else {
    Check(arrays.ch0.Count == 7 && arrays.ch1.Count == 9 && settings.spsSel == 99);
  }
  return 0;
}
