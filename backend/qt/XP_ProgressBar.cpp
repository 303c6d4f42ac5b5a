#include "platform/XP_ProgressBar.h"

#include "platform/Form.h"

namespace {
// Values outside the range are held at its ends, as the old bars did.
int clampTo(const QProgressBar& bar, long v) {
  return int(std::clamp<long>(v, bar.minimum(), std::max(bar.minimum(), bar.maximum())));
}

void paintBar(QProgressBar& bar, long color) {
  QPalette p = bar.palette();
  p.setColor(QPalette::Highlight, ColorFromNumber(color));
  bar.setPalette(p);
}
}  // namespace

XP_ProgressBar::XP_ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
}

void XP_ProgressBar::SetValue(long v) { setValue(clampTo(*this, v)); }

void XP_ProgressBar::SetBarColor(long color) {
  barColor_ = color;
  paintBar(*this, color);
}

cProgressBar::cProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
}

void cProgressBar::SetValue(long v) { setValue(clampTo(*this, v)); }

void cProgressBar::SetBarColor(long color) {
  barColor_ = color;
  paintBar(*this, color);
}

void cProgressBar::SetBarTextColor(long color) {
  barTextColor_ = color;
  QPalette p = palette();
  p.setColor(QPalette::Text, ColorFromNumber(color));
  p.setColor(QPalette::HighlightedText, ColorFromNumber(color));
  setPalette(p);
}
