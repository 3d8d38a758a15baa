#include "analysis/Spectrum_window.h"

#include <cmath>
#include <numbers>

namespace velqoris::analysis {

const char* WindowName(SpectrumWindow window) {
  switch (window) {
    case SpectrumWindow::kRectangular:
      return "rect";
    case SpectrumWindow::kHann:
      return "hann";
    case SpectrumWindow::kBlackmanHarris:
      return "blackman-harris";
  }
  return "blackman-harris";
}

std::optional<SpectrumWindow> WindowFromName(std::string_view name) {
  for (SpectrumWindow w :
       {SpectrumWindow::kRectangular, SpectrumWindow::kHann, SpectrumWindow::kBlackmanHarris}) {
    if (name == WindowName(w)) return w;
  }
  return std::nullopt;
}

const char* WindowLabel(SpectrumWindow window) {
  switch (window) {
    case SpectrumWindow::kRectangular:
      return "矩形";
    case SpectrumWindow::kHann:
      return "ハン";
    case SpectrumWindow::kBlackmanHarris:
      return "ブラックマン・ハリス (4 項)";
  }
  return "";
}

std::vector<double> WindowCoefficients(SpectrumWindow window, int n) {
  std::vector<double> w(static_cast<std::size_t>(std::max(n, 0)), 1.0);
  const double step = n > 0 ? 2.0 * std::numbers::pi / n : 0.0;
  for (int j = 0; j < n; ++j) {
    const double x = step * j;
    switch (window) {
      case SpectrumWindow::kRectangular:
        break;
      case SpectrumWindow::kHann:
        w[static_cast<std::size_t>(j)] = 0.5 - 0.5 * std::cos(x);
        break;
      case SpectrumWindow::kBlackmanHarris:
        w[static_cast<std::size_t>(j)] = 0.35875 - 0.48829 * std::cos(x) +
                                         0.14128 * std::cos(2.0 * x) - 0.01168 * std::cos(3.0 * x);
        break;
    }
  }
  return w;
}

}  // namespace velqoris::analysis
