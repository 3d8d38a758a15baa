#include "analysis/Chi_squared.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>
#include <limits>

namespace velqoris::analysis {

namespace {

// Errors become NaN, never exceptions: a figure without an interval is still a figure.
using Quiet = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>>;

}  // namespace

double ChiSquaredQuantile(double p, double dof) {
  if (!(p > 0.0 && p < 1.0) || !(dof > 0.0) || !std::isfinite(dof)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return boost::math::quantile(boost::math::chi_squared_distribution<double, Quiet>(dof), p);
}

}  // namespace velqoris::analysis
