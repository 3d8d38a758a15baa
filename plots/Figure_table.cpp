#include "plots/Figure_table.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

#include "plots/Csv_text.h"

namespace velqoris {

namespace {

constexpr int kSentenceLength = 16;
constexpr int kLabelRole = Qt::UserRole + 1;

QString Cell(const QTableWidget& table, int row, int column) {
  const QTableWidgetItem* item = table.item(row, column);
  return item != nullptr ? item->text() : QString();
}

}  // namespace

QTableWidget* MakeFigureTable(QWidget* parent, const char* name) {
  auto* table = new QTableWidget(0, 3, parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(
      {QString::fromUtf8("項目"), QString::fromUtf8("値"), QString::fromUtf8("単位")});
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 3);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setWordWrap(false);
  QHeaderView* header = table->horizontalHeader();
  // Labels whole, values next to their units; a long value is elided, with a tooltip.
  header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(1, QHeaderView::Stretch);
  header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  return table;
}

// The difference of two figures' texts with the value's decimals; empty
// unless both are numbers.
QString Difference(const QString& value, const QString& reference) {
  bool a = false, b = false;
  const double v = value.trimmed().toDouble(&a);
  const double r = reference.trimmed().toDouble(&b);
  if (!a || !b) return {};
  const auto point = value.indexOf('.');
  const int decimals = point < 0 ? 0 : static_cast<int>(value.trimmed().size() - point - 1);
  return QString::number(v - r, 'f', decimals);
}

void FillFigureTable(QTableWidget& table, const std::vector<analysis::FigureRow>& rows,
                     const std::vector<analysis::FigureRow>* reference) {
  table.clearSpans();
  table.setColumnCount(reference != nullptr ? 5 : 3);
  if (reference != nullptr) {
    table.setHorizontalHeaderLabels({QString::fromUtf8("項目"), QString::fromUtf8("値"),
                                     QString::fromUtf8("単位"), QString::fromUtf8("参照"),
                                     QString::fromUtf8("差")});
    table.horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    table.horizontalHeader()->setSectionResizeMode(4, QHeaderView::ResizeToContents);
  }
  table.setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const analysis::FigureRow& r = rows[static_cast<std::size_t>(i)];
    // A sentence instead of a number (over range, no tone) spans the row.
    if (r.unit.empty() && QString::fromStdString(r.value).size() > kSentenceLength) {
      auto* note = new QTableWidgetItem(QString::fromStdString(r.label + ": " + r.value));
      note->setToolTip(note->text());
      note->setData(Qt::UserRole, QString::fromStdString(r.value));
      note->setData(kLabelRole, QString::fromStdString(r.label));
      table.setItem(i, 0, note);
      table.setItem(i, 1, new QTableWidgetItem(QString::fromStdString(r.value)));
      table.setItem(i, 2, new QTableWidgetItem(QString()));
      table.setSpan(i, 0, 1, 3);
      continue;
    }
    auto* label = new QTableWidgetItem(QString::fromStdString(r.label));
    auto* value = new QTableWidgetItem(QString::fromStdString(r.value));
    auto* unit = new QTableWidgetItem(QString::fromStdString(r.unit));
    label->setToolTip(label->text());
    value->setToolTip(value->text());
    value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table.setItem(i, 0, label);
    table.setItem(i, 1, value);
    table.setItem(i, 2, unit);
    if (reference == nullptr) continue;
    // The reference's figure of the same label and unit (the n-th of them
    // for the n-th such row here), and the difference.
    const auto same = [&r](const analysis::FigureRow& o) {
      return o.label == r.label && o.unit == r.unit;
    };
    const auto nth = std::count_if(rows.begin(), rows.begin() + i, same);
    QString theirs;
    std::ptrdiff_t seen = 0;
    for (const analysis::FigureRow& other : *reference) {
      if (same(other) && seen++ == nth) theirs = QString::fromStdString(other.value);
    }
    auto* ref = new QTableWidgetItem(theirs);
    auto* diff = new QTableWidgetItem(Difference(value->text(), theirs));
    ref->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    diff->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table.setItem(i, 3, ref);
    table.setItem(i, 4, diff);
  }
  // All rows in sight: the figures are read together, down to the last.
  const int rowsHeight = table.verticalHeader()->length();
  table.setMinimumHeight(table.horizontalHeader()->sizeHint().height() + rowsHeight +
                         2 * table.frameWidth() + 2);
}

QString FigureTableText(const QTableWidget& table) {
  QString text;
  QStringList cells;
  for (int c = 0; c < table.columnCount(); ++c) {
    const QTableWidgetItem* h = table.horizontalHeaderItem(c);
    cells << (h != nullptr ? h->text() : QString());
  }
  text += cells.join('\t') + '\n';
  for (int r = 0; r < table.rowCount(); ++r) {
    cells.clear();
    for (int c = 0; c < table.columnCount(); ++c) cells << Cell(table, r, c);
    text += cells.join('\t') + '\n';
  }
  return text;
}

QString FigureTableCsv(const QTableWidget& table) {
  const bool compared = table.columnCount() >= 5;
  QStringList header{QString::fromUtf8("項目"), QString::fromUtf8("値"), QString::fromUtf8("単位"),
                     QString::fromUtf8("理由")};
  if (compared) header << QString::fromUtf8("参照") << QString::fromUtf8("差");
  QString text = CsvRow(header);
  for (int r = 0; r < table.rowCount(); ++r) {
    const QTableWidgetItem* first = table.item(r, 0);
    const QVariant label = first != nullptr ? first->data(kLabelRole) : QVariant();
    const QString value = Cell(table, r, 1).trimmed();
    bool number = false;
    (void)value.toDouble(&number);
    // A figure that is not a number leaves its cell empty and says why.
    QString reason;
    if (!number) {
      reason =
          value == QString::fromUtf8(analysis::kAbsentValue) ? QString::fromUtf8("値なし") : value;
    }
    QStringList row{label.isValid() ? label.toString() : Cell(table, r, 0),
                    number ? value : QString(), Cell(table, r, 2), reason};
    if (compared) {
      bool numeric = false;
      const QString theirs = Cell(table, r, 3).trimmed();
      (void)theirs.toDouble(&numeric);
      row << (numeric ? theirs : QString()) << Cell(table, r, 4);
    }
    text += CsvRow(row);
  }
  return text;
}

PlotExplorer::Exports FigureExports(const QTableWidget& table) {
  return {
      [&table] { return FigureTableText(table); }, [&table] { return FigureTableCsv(table); }, {}};
}

}  // namespace velqoris
