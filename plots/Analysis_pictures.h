// The analysis figures as pictures for --png: the analysis window's own
// histogram and spectrum views, rendered off screen at one size, one panel
// per channel held, stacked, each under a line naming its settings.
#pragma once

#include <QImage>

#include "analysis/Spectrum_window.h"
#include "session/Held_channels.h"
#include "session/Run_data.h"

class QWidget;

namespace velqoris {

// A view's size in the pictures, and the title line above each.
inline constexpr int kPanelWidth = 760;
inline constexpr int kPanelHeight = 330;
inline constexpr int kTitleHeight = 26;

// Axis in codes, or in microvolts when voltMode (as 電圧値 does in the window).
QImage HistogramPicture(const RunData& data, bool voltMode);
QImage HistogramPicture(const std::vector<HeldChannel>& channels, const MeasureSettings& settings,
                        bool voltMode);
// dBFS over a linear frequency axis, the window's default view.
QImage SpectrumPicture(const RunData& data, analysis::SpectrumWindow window);

// A view drawn as the analysis window draws it: the window's font, off screen,
// kPanelWidth × kPanelHeight.
QImage RenderPanel(QWidget& view);

// One channel's view alone, kPanelWidth × kPanelHeight, as the window draws it.
QImage HistogramPanel(const HeldChannel& channel, const MeasureSettings& settings, bool voltMode);
QImage SpectrumPanel(const HeldChannel& channel, const MeasureSettings& settings,
                     analysis::SpectrumWindow window);

}  // namespace velqoris
