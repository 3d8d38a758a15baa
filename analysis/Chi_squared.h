// Quantiles of the χ² distribution, for confidence intervals of variances
// estimated with a number of degrees of freedom (not necessarily whole).
// Boost.Math's (header-only, Boost Software License) does the work.
#pragma once

namespace velqoris::analysis {

// The x with P(χ²(dof) ≤ x) = p; NaN for p outside (0, 1) or dof ≤ 0.
double ChiSquaredQuantile(double p, double dof);

// One standard deviation of a normal distribution either side of its middle:
// P = 0.158655… and 0.841345…, the 1σ interval of a χ²-distributed variance.
inline constexpr double kOneSigmaLow = 0.15865525393145707;
inline constexpr double kOneSigmaHigh = 0.8413447460685429;

}  // namespace velqoris::analysis
