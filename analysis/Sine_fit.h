// Least-squares sine fits to a record in the time domain: the 4-parameter
// fit (frequency, cosine and sine amplitude, offset) by Gauss-Newton from a
// spectrum's estimate, and the 3-parameter fit at a known frequency. The
// figures subtract the fitted tones to read the noise without the window's
// leakage (README "Spectrum").
#pragma once

#include <optional>

namespace velqoris::analysis {

struct SineFit {
  double cycles = 0.0;  // frequency, cycles per sample
  // y[i] ≈ cosine cos(2π cycles t) + sine sin(2π cycles t) + offset, t = i − (n − 1) / 2
  double cosine = 0.0;
  double sine = 0.0;
  double offset = 0.0;
};

// Absent when the fit does not settle within a bin and a half of the start.
std::optional<SineFit> FitSine(const double* y, int n, double startCycles);
std::optional<SineFit> FitSineAt(const double* y, int n, double cycles);
void SubtractSine(double* y, int n, const SineFit& fit);

}  // namespace velqoris::analysis
