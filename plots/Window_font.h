// The window's font: the designed Japanese proportional gothic when it is
// installed, else VL Gothic, whose digits and Latin letters are 6 pixels wide
// at 12 pixels as the designed labels assume (seven digits in 42 pixels; the
// proportional IPAPGothic draws them 7.5 pixels wide), with a point that
// reads as a point at that size; else IPAGothic (same widths, but its point
// looks like a comma at 12 pixels), else any Japanese font.
#pragma once

#include <QFont>
#include <QString>

namespace velqoris {

inline constexpr int kWindowFontPixels = 12;

QString WindowFontFamily();
QFont WindowFont(int pixelSize = kWindowFontPixels);

}  // namespace velqoris
