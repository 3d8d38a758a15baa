// The sweep's tables as text, in the form of the converter's published
// noise tables: a row per data rate, a column per gain, each cell the RMS
// noise in nV with the noise-free bits (from 6.6 × RMS) in brackets. Also
// the typical figures and measured ÷ typical in the same shape, and the
// CSV lines of the cells.
#pragma once

#include <string>
#include <vector>

#include "session/Sweep_run.h"

namespace velqoris::cli {

enum class SweepTable { kMeasured, kTypical, kRatio };

// Title and column heads.
std::vector<std::string> SweepTableHead(const SweepPlan& plan, SweepTable table);
// One row: the data rate and each gain's cell.
std::string SweepTableRow(const SweepRun& sweep, std::size_t row, SweepTable table);
// The cell's text alone ("127.5 (15.5)", or why there is no figure).
std::string SweepCellText(const SweepCell& cell, SweepTable table);
// What the sweep was run with: channel, filter, chopping, buffer, results per setting.
std::string SweepConditionsText(const SweepPlan& plan);

std::string SweepCsvHeader();
std::string SweepCsvLine(const SweepPlan& plan, const SweepCell& cell);

// Columns a text takes on a terminal: East Asian wide characters take two.
std::size_t DisplayWidth(const std::string& utf8);

}  // namespace velqoris::cli
