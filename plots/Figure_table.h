// The analysis window's figure tables: one row per figure (項目, 値, 単位),
// read-only, filled from the analysis library's Japanese rows.
#pragma once

#include <vector>

#include "analysis/Figure_rows.h"

class QTableWidget;
class QWidget;

namespace velqoris {

QTableWidget* MakeFigureTable(QWidget* parent, const char* name);
void FillFigureTable(QTableWidget& table, const std::vector<analysis::FigureRow>& rows);

}  // namespace velqoris
