// A small tooltip-style balloon next to a control, for one short warning. The
// object only describes the balloon: ShowTip puts it up, and the balloon stays
// up on its own (a few seconds, or until clicked) after the object is gone.
#pragma once
#include <QString>

class QWidget;

class cBalloonTip {
 public:
  // 0 none, 1 information, 2 warning, 3 error.
  int BalloonIcon = 0;
  QString BalloonText;  // lines may be joined by CR LF
  QWidget* BalloonHwnd = nullptr;

  void ShowTip() const;
};
