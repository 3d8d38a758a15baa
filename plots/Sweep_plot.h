// The sweep's picture: RMS noise against data rate on log axes, one colour
// per gain, measured figures as solid lines with points, typical ones dashed.
// Needs the process's QGuiApplication (off screen is enough).
#pragma once

#include <QImage>
#include <string>

#include "session/Sweep_run.h"

namespace velqoris {

QImage SweepPicture(const SweepRun& sweep);
bool WriteSweepPng(const SweepRun& sweep, const std::string& path, int* error = nullptr);

}  // namespace velqoris
