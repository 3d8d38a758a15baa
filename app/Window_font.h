// The window's font: the designed Japanese proportional gothic when it is
// installed, else the metric-compatible IPAPGothic, else any Japanese font.
#pragma once

#include <QFont>
#include <QString>

namespace velqoris {

inline constexpr int kWindowFontPixels = 12;

QString WindowFontFamily();
QFont WindowFont(int pixelSize = kWindowFontPixels);

}  // namespace velqoris
