// The stability figures as a picture for --png: per channel, under a title
// line, the Allan deviation (log-log) and the averaged noise spectrum, drawn
// by the analysis window's stability plots off screen.
#pragma once

#include <QImage>
#include <vector>

#include "analysis/Stability_analysis.h"

namespace velqoris {

QImage StabilityPicture(const std::vector<analysis::StabilityAnalysis>& channels);

}  // namespace velqoris
