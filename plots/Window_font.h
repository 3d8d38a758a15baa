// The window's font: the designed Japanese proportional gothic when it is
// installed, else VL Gothic, whose digits and Latin letters are 6 pixels wide
// at 12 pixels as the designed labels assume (seven digits in 42 pixels; the
// proportional IPAPGothic draws them 7.5 pixels wide), with a point that
// reads as a point at that size; else IPAGothic (same widths, but its point
// looks like a comma at 12 pixels), else any Japanese font. On Windows, where
// the designed font may be missing (or known by its English name), the fonts
// of Japanese Windows come next: MS UI Gothic, Yu Gothic UI, Meiryo UI.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace velqoris {

inline constexpr int kWindowFontPixels = 12;

// In the order they are tried.
QStringList WindowFontCandidates();
QString WindowFontFamily();
QFont WindowFont(int pixelSize = kWindowFontPixels);

}  // namespace velqoris
