// The figures read off a spectrum: the largest tone, harmonics 2 to 6,
// SNR, THD, SINAD, SFDR, ENOB, the mean noise density and the mains lines.
// Which bins belong to what: analysis/README.md "Spectrum".
#pragma once

#include <optional>
#include <vector>

#include "analysis/Spectrum.h"

namespace velqoris::analysis {

struct SpectrumLine {
  int order = 1;                      // 1 = the line itself, 2 = its 2nd harmonic ...
  std::optional<double> frequencyHz;  // where it lies below half the rate (folded for harmonics)
  int bin = 0;                        // its centre bin
  double dbfs = kFloorDbfs;           // level from the power of its bins
  // Mains lines only: 1 when the line's centre bin is one of the fundamental's
  // bins, n when it is one of the n-th harmonic's, and that tone lies half a
  // bin or more off the line. The two cannot be told apart: the line has no
  // level (dbfs stays at the floor). -1: it lies within the main lobe of a
  // louder mains line (coincidesWithMainsHz) and cannot be told from it.
  // 0: a level of its own.
  int coincidesWith = 0;
  double coincidesWithMainsHz = 0.0;
  // Set with coincidesWith > 0 when the line lies outside that tone's main
  // lobe but its bins hold mostly the tone's leakage (the rectangle's skirt).
  bool inLeakage = false;
  // The level, absent when the line has none (coinciding, or no power).
  std::optional<double> Dbfs() const;
};

struct SpectrumFigures {
  // The fundamental: the largest tone, when one stands above the noise.
  std::optional<SpectrumLine> fundamental;
  // Harmonics 2 … 6 of the fundamental that have bins of their own.
  std::vector<SpectrumLine> harmonics;

  std::optional<double> snrDb;
  std::optional<double> thdDb;  // harmonic power ÷ fundamental power, negative dB
  std::optional<double> sinadDb;
  std::optional<double> sfdrDb;    // fundamental above the largest other bin, dB
  std::optional<double> enobBits;  // (SINAD − 1.76) / 6.02

  // A code at 0 or 16777215 or outside: no tone or distortion figures.
  bool overRange = false;
  // The largest tone sat on a mains line: it is pickup, not a fundamental.
  bool largestIsPickup = false;

  // Mean input-referred noise density over the noise bins; needs rate and gain.
  std::optional<double> noiseDensityNvRtHz;

  // Mains lines below half the rate: 50 Hz (60 Hz) and its harmonics, in order.
  std::vector<SpectrumLine> mains50;
  std::vector<SpectrumLine> mains60;
  // The m = 1 line's level; absent when there is none, it has no power or it
  // coincides with the tone or another line.
  std::optional<double> Mains50Dbfs() const;
  std::optional<double> Mains60Dbfs() const;
};

// A tone counts as one when its peak bin stands this far above the noise floor.
inline constexpr double kToneThresholdDb = 20.0;

SpectrumFigures FiguresOf(const Spectrum& spectrum);

}  // namespace velqoris::analysis
