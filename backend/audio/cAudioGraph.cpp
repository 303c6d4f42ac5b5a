#include "platform/audio/cAudioGraph.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "platform/Form.h"

namespace {
constexpr int kBarWidth = 2;
}

cAudioGraph::cAudioGraph(QWidget* parent) : QWidget(parent) {}

void cAudioGraph::AddValue(long value) {
  values_.push_back(std::clamp(value, 0L, 100L));
  const size_t keep = size_t(std::max(width() / kBarWidth, 1));
  while (values_.size() > keep) values_.pop_front();
  RefreshGraph();
}

void cAudioGraph::ClearGraph() {
  values_.clear();
  RefreshGraph();
}

void cAudioGraph::RefreshGraph() { update(); }

void cAudioGraph::CloseGraph() { values_.clear(); }

void cAudioGraph::SetGraphBackColor(long color) {
  backColor_ = color;
  RefreshGraph();
}

void cAudioGraph::SetGraphForeColor(long color) {
  foreColor_ = color;
  RefreshGraph();
}

void cAudioGraph::SetGraphForeColor2(long color) {
  foreColor2_ = color;
  RefreshGraph();
}

void cAudioGraph::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ColorFromNumber(backColor_));
  QLinearGradient gradient(0, height(), 0, 0);
  gradient.setColorAt(0, ColorFromNumber(foreColor_));
  gradient.setColorAt(1, ColorFromNumber(foreColor2_));
  int x = width() - kBarWidth * int(values_.size());
  for (long v : values_) {
    const int h = int(v * height() / 100);
    p.fillRect(x, height() - h, kBarWidth, h, gradient);
    x += kBarWidth;
  }
}
