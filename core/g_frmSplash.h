// The small frameless window shown while start-up loads the long-lived windows.
#pragma once
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "platform/Form.h"

class g_frmSplash : public Form {
  Q_OBJECT
 public:
  g_frmSplash();
  // Starts fading the shown window in from transparent to opaque and returns
  // at once; the fade goes on, on a timer, while start-up loads.
  void FadeIn();
  // True from FadeIn until the window is opaque.
  bool Fading() const { return fadeTimer_.isActive(); }
  QLabel* lblAppTitle;
  QLabel* lblVersion;
  QLabel* lblStat;
  QWidget* picTitle;
  // The opacity steps the last fade went through (0 to 255).
  const std::vector<int>& FadeSteps() const { return steps_; }
 protected:
  void Form_Load() override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
 private:
  void CloseSplash();
  void fadeTick();
  std::vector<int> steps_;
  QElapsedTimer fadeClock_;
  QTimer fadeTimer_;
};
