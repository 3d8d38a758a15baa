// The analysis figures drawn as pictures for --png: the histograms with
// their normal curves, and the spectra with the tone, harmonics and mains
// lines marked. One panel per channel held, drawn with QPainter off screen.
#pragma once

#include <QImage>

#include "analysis/Spectrum_window.h"
#include "app/Run_data.h"

namespace velqoris::cli {

// Axis in codes, or in microvolts when voltMode (as 電圧値 does in the window).
QImage HistogramPicture(const RunData& data, bool voltMode);
QImage SpectrumPicture(const RunData& data, analysis::SpectrumWindow window);

}  // namespace velqoris::cli
