// One channel's spectrum in the analysis window: dBFS or input-referred
// nV/√Hz over a linear or logarithmic frequency axis, with the fundamental,
// its harmonics and the mains lines marked.
#pragma once

#include <QWidget>

#include <optional>

#include "analysis/Spectrum.h"
#include "analysis/Spectrum_figures.h"
#include "plots/Plot_explorer.h"

namespace velqoris {

enum class SpectrumScale { kDbfs, kDensity };

class SpectrumView : public QWidget {
 public:
  explicit SpectrumView(QWidget* parent = nullptr);

  void SetSpectrum(const analysis::Spectrum& spectrum, const analysis::SpectrumFigures& figures);
  void Clear();
  // A reference run's spectrum drawn behind in grey (nothing: none).
  void SetReference(std::optional<analysis::Spectrum> reference);
  bool HasReference() const { return reference_.has_value(); }
  void SetScale(SpectrumScale scale);
  void SetLogFrequency(bool log);

  bool HasSpectrum() const { return has_; }
  SpectrumScale Scale() const { return scale_; }
  bool LogFrequency() const { return logFrequency_; }
  QString AxisTitle() const;
  QString ValueTitle() const;
  // Zoom, cursor and export of this plot.
  PlotExplorer& Explorer() const { return *explorer_; }
  // The cursor label at a frequency: the nearest bin's frequency and level.
  QString ReadoutAt(double frequency) const;
  // Every bin as CSV: frequency, dBFS and nV/√Hz (empty where unknown).
  QString CurveCsv() const;

  QSize sizeHint() const override { return {420, 260}; }
  QSize minimumSizeHint() const override { return {240, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool CanDraw() const;
  double Frequency(int bin) const;
  double Value(int bin) const;

  analysis::Spectrum spectrum_;
  analysis::SpectrumFigures figures_;
  std::optional<analysis::Spectrum> reference_;
  SpectrumScale scale_ = SpectrumScale::kDbfs;
  bool logFrequency_ = false;
  bool has_ = false;
  PlotExplorer* explorer_ = nullptr;
};

}  // namespace velqoris
