#include "platform/XP_ProgressBar.h"

#include "platform/Form.h"

ThrottledProgressBar::ThrottledProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
  pending_.setSingleShot(true);
  connect(&pending_, &QTimer::timeout, this, &ThrottledProgressBar::showValue);
}

void ThrottledProgressBar::SetValue(long v) {
  // Values outside the range are held at its ends, as the old bars did.
  value_ = std::clamp<long>(v, minimum(), std::max(minimum(), maximum()));
  if (value_ == value()) {
    pending_.stop();
    return;
  }
  if (pending_.isActive()) return;
  const qint64 since = lastShown_.isValid() ? lastShown_.elapsed() : RepaintGapMs;
  if (since >= RepaintGapMs) showValue();
  else pending_.start(int(RepaintGapMs - since));
}

void ThrottledProgressBar::showValue() {
  pending_.stop();
  lastShown_.restart();
  setValue(int(value_));
}

void ThrottledProgressBar::SetMin(long v) { setRangeNow(int(v), std::max(int(v), maximum())); }

void ThrottledProgressBar::SetMax(long v) { setRangeNow(std::min(minimum(), int(v)), int(v)); }

// A new range takes the value as the bar itself would; rare enough to show at once.
void ThrottledProgressBar::setRangeNow(int min, int max) {
  if (pending_.isActive()) showValue();
  setRange(min, max);
  value_ = value();
}

void ThrottledProgressBar::SetBarColor(long color) {
  barColor_ = color;
  QPalette p = palette();
  p.setColor(QPalette::Highlight, ColorFromNumber(color));
  setPalette(p);
}

void cProgressBar::SetBarTextColor(long color) {
  barTextColor_ = color;
  QPalette p = palette();
  p.setColor(QPalette::Text, ColorFromNumber(color));
  p.setColor(QPalette::HighlightedText, ColorFromNumber(color));
  setPalette(p);
}
