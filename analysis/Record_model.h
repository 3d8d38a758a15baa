// The least-squares model of a record behind the spectrum figures: an
// offset, the largest tone (4-parameter fit) with its harmonics 2 … 6 at
// exactly h × its frequency, the mains lines at their exact (aliased)
// frequencies and a second tone found in what is left, all fitted together.
// Nothing here depends on the spectrum's window. Rules: analysis/README.md.
#pragma once

#include <optional>
#include <vector>

#include "analysis/Sine_fit.h"

namespace velqoris::analysis {

// Lines closer than a bin (a cycle per record) cannot be told apart; lines a
// whole bin apart are orthogonal, hence the margin for a fitted frequency.
inline constexpr double kResolutionBins = 0.999;
inline constexpr int kMaxHarmonic = 6;
inline constexpr int kMaxMainsOrder = 5;

enum class ToneState {
  kNone,     // no tone stands out of the noise
  kFound,    // a fundamental
  kPickup,   // the largest tone lies on 50 Hz or 60 Hz (or its alias): mains, not a tone
  kTooSlow,  // fewer than 1.5 cycles in the record: fitted, but no tone figures
};

struct HarmonicModel {
  int order = 2;
  double cycles = 0.0;    // folded into 0 … ½
  bool ontoDc = false;    // folds within a bin of DC: left out
  int coincidesWith = 0;  // folds onto the fundamental (1) or an earlier harmonic: left out
  std::optional<FittedLine> fit;
};

struct MainsModel {
  double baseHz = 50.0;
  int order = 1;
  double cycles = 0.0;    // aliased, folded into 0 … ½
  int coincidesWith = 0;  // lies within a bin of the fundamental (1) or the n-th harmonic
  double coincidesWithMainsHz = 0.0;  // or of a stronger mains line (its frequency)
  std::optional<FittedLine> fit;
  double Hz() const { return baseHz * order; }
};

struct RecordModel {
  int n = 0;
  ToneState tone = ToneState::kNone;
  std::optional<FittedLine> fundamental;  // fitted whenever tone is kFound or kTooSlow
  std::vector<HarmonicModel> harmonics;   // orders 2 … 6 with a fundamental
  std::vector<MainsModel> mains;          // 50 Hz × 1 … 5, then 60 Hz × 1 … 5, outside DC
  std::optional<FittedLine> secondTone;
  int parameters = 0;              // fitted: columns, offset and frequencies
  double residualSquares = 0.0;    // Σ (record − model)²
  double mainsEnergy = 0.0;        // Σ (fitted mains lines)² over the record
  double othersEnergy = 0.0;       // Σ (model − offset − fundamental)² over the record
  double residualPeakPower = 0.0;  // largest line of the residual's spectrum, as a sine's power

  // The noise variance per sample (codes²), unbiased for the fitted parameters.
  std::optional<double> NoiseVariance() const;
  // The power a line at one bin's resolution collects from that noise: 2σ²/n.
  double NoisePerLine() const;
};

// record: codes less their mean; rateSps locates the mains lines (none
// without it). power: the record's spectrum per bin 0 … n/2 in any window,
// when the caller has it, to find the largest tone without another transform.
RecordModel ModelRecord(const std::vector<double>& record, std::optional<double> rateSps,
                        const std::vector<double>* power = nullptr);

}  // namespace velqoris::analysis
