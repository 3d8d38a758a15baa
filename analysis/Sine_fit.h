// Least-squares sine fits to a record in the time domain (the sine-fit
// method of the ADC test standards): the 4-parameter fit (frequency, cosine
// and sine amplitude, offset) by Gauss-Newton from a spectrum's estimate,
// and the joint linear fit of an offset and sines at given frequencies.
// Time runs centred on the record, t = i − (n − 1) / 2, so every cosine is
// orthogonal to every sine and their sums have closed forms.
#pragma once

#include <optional>
#include <vector>

namespace velqoris::analysis {

struct SineFit {
  double cycles = 0.0;  // frequency, cycles per sample
  // y[i] ≈ cosine cos(2π cycles t) + sine sin(2π cycles t) + offset, t = i − (n − 1) / 2
  double cosine = 0.0;
  double sine = 0.0;
  double offset = 0.0;
};

// One sine of a joint fit.
struct FittedLine {
  double cycles = 0.0;  // 0 … ½ cycles per sample
  double cosine = 0.0;
  double sine = 0.0;
  int columns = 0;  // 2, or fewer when a column adds nothing (a sine on half the rate)
  // A sine's A²/2 inside the band; on DC or exactly half the rate the line is
  // one column of ±1 (the other is all zero) and its power the amplitude squared.
  double Power() const {
    const double squares = cosine * cosine + sine * sine;
    return cycles == 0.0 || cycles == 0.5 ? squares : 0.5 * squares;
  }
};

struct LinesFit {
  double offset = 0.0;
  std::vector<FittedLine> lines;
  int Parameters() const;  // the offset and the columns that took part
};

// Absent when the fit does not settle within a bin and a half of the start.
std::optional<SineFit> FitSine(const double* y, int n, double startCycles);
std::optional<SineFit> FitSineAt(const double* y, int n, double cycles);
// One Gauss-Newton step of the 4-parameter fit to y less `less` (an offset
// there would only move the fit's own), from a fit whose amplitudes fit that
// difference at its frequency. The difference is never formed: the lines'
// sums with the fit's columns have closed forms, so a step sweeps y once.
std::optional<SineFit> SineStep(const double* y, int n, const SineFit& from,
                                const std::vector<FittedLine>& less);

// y's sums with the cosine and the sine of each frequency, and y's own sum.
struct Projections {
  std::vector<double> cosine;
  std::vector<double> sine;
  double sum = 0.0;
};
Projections Project(const double* y, int n, const std::vector<double>& cycles);

// The offset and the sines at `cycles` that fit best together, from the
// projections of the record on them. A column that adds nothing of its own
// (a cosine on half the rate, a line on another) is left out with amplitude 0.
LinesFit SolveLines(int n, const std::vector<double>& cycles, const Projections& p);
// Σ over the record of (Σ of these lines)²: their energy, overlaps included.
double LinesEnergy(int n, const std::vector<FittedLine>& lines);
// y − offset − every line.
void SubtractLines(double* y, int n, const LinesFit& fit);

// A frequency in cycles per sample folded into 0 … ½ (aliasing).
double FoldCycles(double cycles);

// A line and its image closer than half a bin cannot be told apart: within a
// quarter bin of half the rate a line is the line on half the rate, fitted
// with one column (the other would only fit noise, with a huge amplitude).
inline constexpr double kNyquistBins = 0.25;
double OntoNyquist(double cycles, int n);

}  // namespace velqoris::analysis
