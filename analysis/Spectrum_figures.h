// The figures of a record's spectrum: the largest tone, its harmonics 2 to 6,
// a second tone, SNR, THD, SINAD, SFDR, ENOB, the mean noise density and the
// mains lines. They come from a least-squares model of the record
// (Record_model), never from the window's bins: every window gives the same
// figures. Rules: analysis/README.md "Spectrum figures".
#pragma once

#include <optional>
#include <vector>

#include "analysis/Spectrum.h"

namespace velqoris::analysis {

struct SpectrumLine {
  int order = 1;                      // 1 = the line itself, 2 = its 2nd harmonic ...
  std::optional<double> frequencyHz;  // where it lies below half the rate (folded, aliased)
  int bin = 0;                        // the bin nearest to it
  double dbfs = kFloorDbfs;           // fitted level; the floor when it has none
  // Stands out of the noise (significance rule, README): only then it has a level.
  bool detected = false;
  // Not detected: the level below which it lies.
  std::optional<double> boundDbfs;
  // It cannot be told from another line within a bin: 1 = the fundamental,
  // n = the n-th harmonic, -1 = the mains line coincidesWithMainsHz. No level.
  int coincidesWith = 0;
  double coincidesWithMainsHz = 0.0;
  bool ontoDc = false;   // a harmonic folding onto DC: left out
  bool aliased = false;  // a mains line above half the rate, seen at its alias
  // The level, absent when the line has none (not detected, coinciding).
  std::optional<double> Dbfs() const;
};

struct SpectrumFigures {
  // The fundamental: the largest tone, when it stands out of the noise.
  std::optional<SpectrumLine> fundamental;
  // Harmonics 2 … 6 of the fundamental, each with a level, a bound or a reason.
  std::vector<SpectrumLine> harmonics;
  // A second tone found in what the model leaves: fitted, not noise.
  std::optional<SpectrumLine> secondTone;

  std::optional<double> snrDb;  // mains lines counted as noise
  std::optional<double> snrWithoutMainsDb;
  std::optional<double> thdDb;       // detected harmonics' power ÷ the fundamental's, dB
  std::optional<double> thdBoundDb;  // no harmonic detected: THD lies below this
  std::optional<double> sinadDb;
  std::optional<double> sfdrDb;      // fundamental above the largest other line, dB
  std::optional<double> enobBits;    // (SINAD − 1.76) / 6.02
  std::optional<double> enobFsBits;  // the same with SINAD referred to full scale

  // A code at 0 or 16777215 or outside: no tone or distortion figures.
  bool overRange = false;
  // The largest tone sat on a mains line (or its alias): pickup, not a fundamental.
  bool largestIsPickup = false;
  // The largest tone has fewer than 1.5 cycles in the record: no tone figures.
  bool toneTooSlow = false;

  // Mean input-referred noise density of what the model leaves; needs rate and gain.
  std::optional<double> noiseDensityNvRtHz;

  // Mains lines outside DC: 50 Hz (60 Hz) × 1 … 5, in order.
  std::vector<SpectrumLine> mains50;
  std::vector<SpectrumLine> mains60;
  // The m = 1 line's level (absent when not detected or coinciding) and,
  // when it is not detected, the level it lies below.
  std::optional<double> Mains50Dbfs() const;
  std::optional<double> Mains60Dbfs() const;
  std::optional<double> Mains50BoundDbfs() const;
  std::optional<double> Mains60BoundDbfs() const;
};

SpectrumFigures FiguresOf(const Spectrum& spectrum);

}  // namespace velqoris::analysis
