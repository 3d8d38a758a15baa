// The stability page's two plots of one channel, filled from its analysis:
// the Allan deviation over τ and the averaged noise density over frequency
// with the white level and the 1/f corner. Shared by the analysis window and
// velqoris-cli's --png.
#pragma once

#include "analysis/Stability_analysis.h"
#include "plots/Log_log_view.h"

namespace velqoris {

// A reference run's analysis, when given, is drawn behind in grey.
void ShowAllanDeviation(LogLogView& view, const analysis::StabilityAnalysis& analysis,
                        const analysis::StabilityAnalysis* reference = nullptr);
void ShowAveragedSpectrum(LogLogView& view, const analysis::StabilityAnalysis& analysis,
                          const analysis::StabilityAnalysis* reference = nullptr);

}  // namespace velqoris
