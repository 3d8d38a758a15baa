// The window functions of the spectrum: rectangular, Hann and 4-term
// Blackman-Harris (the default), and their names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velqoris::analysis {

enum class SpectrumWindow { kRectangular, kHann, kBlackmanHarris };

inline constexpr SpectrumWindow kDefaultWindow = SpectrumWindow::kBlackmanHarris;

// The command-line names: "rect", "hann", "blackman-harris".
const char* WindowName(SpectrumWindow window);
std::optional<SpectrumWindow> WindowFromName(std::string_view name);
// The Japanese name shown to the user.
const char* WindowLabel(SpectrumWindow window);

// The n coefficients (periodic form, as for spectral analysis).
std::vector<double> WindowCoefficients(SpectrumWindow window, int n);

}  // namespace velqoris::analysis
