#include "virtualboard/Slow_noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velqoris {

namespace {

constexpr double kLowestPoleHz = 1e-4;
constexpr double kPolesPerDecade = 3.0;

std::size_t Index(int channel) { return static_cast<std::size_t>(std::clamp(channel, 0, 1)); }

}  // namespace

SlowNoise::SlowNoise(std::uint64_t seed) : source_(seed) {}

void SlowNoise::SetDrift(int channel, double microvoltsPerHour) {
  channels_[Index(channel)].voltsPerSecond = microvoltsPerHour * 1e-6 / 3600.0;
}

void SlowNoise::SetFlicker(int channel, double cornerHz) {
  Channel& c = channels_[Index(channel)];
  c.cornerHz = std::max(cornerHz, 0.0);
  c.poleHz.clear();
  c.state.clear();
  c.cachedStep = -1.0;
  c.started = false;
  if (c.cornerHz <= 0.0) return;
  const double ratio = std::pow(10.0, 1.0 / kPolesPerDecade);
  for (double f = kLowestPoleHz; f <= 10.0 * c.cornerHz * ratio; f *= ratio) {
    c.poleHz.push_back(f);
  }
  c.state.assign(c.poleHz.size(), 0.0);
  c.decay.assign(c.poleHz.size(), 0.0);
}

double SlowNoise::DriftMicrovoltsPerHour(int channel) const {
  return channels_[Index(channel)].voltsPerSecond * 3600.0 * 1e6;
}

double SlowNoise::FlickerCornerHz(int channel) const { return channels_[Index(channel)].cornerHz; }

double SlowNoise::Volts(int channel, double seconds, double whiteRmsVolts) {
  Channel& c = channels_[Index(channel)];
  double volts = c.voltsPerSecond * seconds;
  if (!c.poleHz.empty()) volts += Flicker(c, seconds, whiteRmsVolts);
  return volts;
}

double SlowNoise::Flicker(Channel& c, double seconds, double whiteRmsVolts) {
  if (!c.started) {
    // Each source starts in its stationary state: no settling at power-on.
    for (double& x : c.state) x = source_.Gaussian();
    c.started = true;
  } else {
    const double step = seconds - c.lastSeconds;
    if (step > 0.0) {
      if (step != c.cachedStep) {
        for (std::size_t k = 0; k < c.poleHz.size(); ++k) {
          c.decay[k] = std::exp(-2.0 * std::numbers::pi * c.poleHz[k] * step);
        }
        c.cachedStep = step;
      }
      for (std::size_t k = 0; k < c.state.size(); ++k) {
        const double a = c.decay[k];
        c.state[k] = a * c.state[k] + std::sqrt(1.0 - a * a) * source_.Gaussian();
      }
      if (whiteRmsVolts != c.lastRms) {
        // This step spans a new run's setup; the next one is its period.
        c.replacePeriod = true;
      } else if (c.replacePeriod || c.period == 0.0 || step < c.period) {
        c.period = step;
        c.replacePeriod = false;
      }
    }
  }
  c.lastSeconds = seconds;
  c.lastRms = whiteRmsVolts;
  if (c.period == 0.0) return 0.0;
  // Sources of variance v spaced by r sum to a density v / (f ln r); it meets
  // the white density 2 rms² T (one-sided, T the period) at the corner.
  const double white = 2.0 * whiteRmsVolts * whiteRmsVolts * c.period;
  const double v = white * c.cornerHz * std::log(10.0) / kPolesPerDecade;
  double sum = 0.0;
  for (double x : c.state) sum += x;
  return std::sqrt(v) * sum;
}

}  // namespace velqoris
