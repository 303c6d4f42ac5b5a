// The small frameless window shown while start-up loads the long-lived windows.
#pragma once
#include <QLabel>

#include "platform/Form.h"

class g_frmSplash : public Form {
  Q_OBJECT
 public:
  g_frmSplash();
  // Fades the shown window in from transparent to opaque; returns when opaque.
  void FadeIn();
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
  std::vector<int> steps_;
};
