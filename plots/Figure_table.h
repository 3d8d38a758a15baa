// The analysis window's figure tables: one row per figure (項目, 値, 単位),
// read-only, filled from the analysis library's Japanese rows.
#pragma once

#include <vector>

#include <QString>

#include "analysis/Figure_rows.h"
#include "plots/Plot_explorer.h"

class QTableWidget;
class QWidget;

namespace velqoris {

QTableWidget* MakeFigureTable(QWidget* parent, const char* name);
// With a reference's rows, two more columns: 参照 and 差 (value − reference,
// where both are numbers).
void FillFigureTable(QTableWidget& table, const std::vector<analysis::FigureRow>& rows,
                     const std::vector<analysis::FigureRow>* reference = nullptr);

// The table with its header as tab-separated text (for the clipboard).
QString FigureTableText(const QTableWidget& table);
// The figures as CSV: 項目, 値 as a plain number (empty when the figure is
// not a number), 単位, and 理由 saying why a value is empty; with a
// reference, 参照 and 差 as numbers too.
QString FigureTableCsv(const QTableWidget& table);
// Copy, PNG and CSV of a plot with the figures of its table.
PlotExplorer::Exports FigureExports(const QTableWidget& table);

}  // namespace velqoris
