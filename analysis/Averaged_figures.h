// The figures an averaged spectrum can give (a log's, in the analysis
// window's spectrum page): the mains lines' levels or the bound they lie
// below, and the white noise density. No tone is fitted: the segments are
// averaged in power, their phases are gone. Rules: analysis/README.md "Stability".
#pragma once

#include "analysis/Spectrum_figures.h"
#include "analysis/Welch_spectrum.h"

namespace velqoris::analysis {

SpectrumFigures AveragedFigures(const WelchSpectrum& spectrum);

}  // namespace velqoris::analysis
