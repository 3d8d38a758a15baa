#include "app/Stability_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/Stability_rows.h"
#include "plots/Figure_table.h"
#include "plots/Log_log_view.h"
#include "plots/Stability_plots.h"

namespace velqoris {

namespace {

constexpr std::array<const char*, 2> kTitles = {"CH0 (Ain1-Ain2)", "CH1 (Ain3-Ain4)"};
constexpr std::array<const char*, 2> kTableNames = {"StabilityTable0", "StabilityTable1"};

}  // namespace

StabilityPage::StabilityPage(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    c.box = new QGroupBox(QString::fromUtf8(kTitles[ch]), this);
    c.box->setObjectName(QStringLiteral("StabilityBox%1").arg(ch));
    c.allan = new LogLogView;
    c.allan->setObjectName(QStringLiteral("AllanView%1").arg(ch));
    c.spectrum = new LogLogView;
    c.spectrum->setObjectName(QStringLiteral("AveragedSpectrumView%1").arg(ch));
    c.table = MakeFigureTable(nullptr, kTableNames[ch]);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(c.allan);
    split->addWidget(c.spectrum);
    split->addWidget(c.table);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setStretchFactor(2, 0);
    split->setChildrenCollapsible(false);
    auto* box = new QVBoxLayout(c.box);
    box->addWidget(split);
    row->addWidget(c.box, 1);
  }
}

void StabilityPage::Show(const std::array<const analysis::StabilityAnalysis*, 2>& analyses,
                         const std::array<const analysis::StabilityAnalysis*, 2>& references) {
  const bool any = analyses[0] != nullptr || analyses[1] != nullptr;
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    c.box->setVisible(!any || analyses[ch] != nullptr);
    if (analyses[ch] == nullptr) {
      c.allan->Clear(QStringLiteral("データがありません"));
      c.spectrum->Clear(QStringLiteral("データがありません"));
      c.table->setRowCount(0);
      continue;
    }
    ShowAllanDeviation(*c.allan, *analyses[ch], references[ch]);
    ShowAveragedSpectrum(*c.spectrum, *analyses[ch], references[ch]);
    const auto theirs = references[ch] != nullptr
                            ? std::optional(analysis::StabilityFigureRows(*references[ch]))
                            : std::nullopt;
    FillFigureTable(*c.table, analysis::StabilityFigureRows(*analyses[ch]),
                    theirs ? &*theirs : nullptr);
  }
  const int h = std::max(channels_[0].table->minimumHeight(), channels_[1].table->minimumHeight());
  for (Channel& c : channels_) c.table->setMinimumHeight(h);
}

LogLogView* StabilityPage::AllanPlot(int channel) const {
  return channels_[channel == 1 ? 1 : 0].allan;
}
LogLogView* StabilityPage::SpectrumPlot(int channel) const {
  return channels_[channel == 1 ? 1 : 0].spectrum;
}
QTableWidget* StabilityPage::Table(int channel) const {
  return channels_[channel == 1 ? 1 : 0].table;
}

}  // namespace velqoris
