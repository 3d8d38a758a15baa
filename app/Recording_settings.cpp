#include "app/Recording_settings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace velqoris {

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

RecordingSettings::RecordingSettings(QWidget* parent) : QWidget(parent) {
  setObjectName("RecordSettings");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](const char* label, const char* name, const QStringList& items) {
    auto* text = new QLabel(Text(label), this);
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->addItems(items);
    text->setBuddy(combo);
    row->addWidget(text);
    row->addWidget(combo);
    return combo;
  };
  QStringList rates;
  for (const int r : kDataRates) rates << QString::number(r) + " sps";
  QStringList gains;
  for (const int g : kGains) gains << QString::number(g);
  rate_ = add("データレート", "RecordRate", rates);
  channel_ = add("CH", "RecordChannel",
                 {Text("CH0 (Ain1-Ain2)"), Text("CH1 (Ain3-Ain4)"), Text("CH0 + CH1")});
  gain_ = add("ゲイン", "RecordGain", gains);
  filter_ = add("", "RecordFilter", {Text("Sinc3"), Text("Sinc4")});
  buffer_ = add("", "RecordBuffer", {Text("BUF OFF"), Text("BUF ON")});
  chop_ = add("", "RecordChop", {Text("CHOP OFF"), Text("CHOP ON")});
  row->addStretch(1);
}

void RecordingSettings::Set(const MeasureSettings& s) {
  base_ = s;
  rate_->setCurrentIndex(s.spsSel);
  channel_->setCurrentIndex(s.CHSel);
  gain_->setCurrentIndex(s.GainSel);
  filter_->setCurrentIndex(s.fSinc4 == 1 ? 1 : 0);
  buffer_->setCurrentIndex(s.fBUF_ON == 1 ? 1 : 0);
  chop_->setCurrentIndex(s.fCHOP_ON == 1 ? 1 : 0);
}

MeasureSettings RecordingSettings::Get() const {
  MeasureSettings s = base_;
  s.spsSel = rate_->currentIndex();
  s.CHSel = channel_->currentIndex();
  s.GainSel = gain_->currentIndex();
  s.Gain = DerivedGain(s.GainSel);
  s.fSinc4 = filter_->currentIndex() == 1 ? 1 : 0;
  s.fBUF_ON = buffer_->currentIndex() == 1 ? 1 : 0;
  s.fCHOP_ON = chop_->currentIndex() == 1 ? 1 : 0;
  return s;
}

}  // namespace velqoris
