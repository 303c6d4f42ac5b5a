// "Turn Off Computer": a small topmost window that counts down once a second
// and then turns the computer off and closes the program; "Shutdown Now" does
// so at once, "Cancel" closes the window and nothing is turned off.
#pragma once
#include "platform/Form.h"

class QLabel;
class QPushButton;
class Timer;

class g_frmTurnOff : public Form {
  Q_OBJECT
 public:
  g_frmTurnOff();

  long lNumOfSecToShutDown = 0;

  void StartShutDown(long lNumOfSec);
  // Turns the computer off and closes the program. A refused request is
  // reported and the program goes on running.
  void ShutDown();

  QLabel* lblApplInfo;
  QLabel* Image1;
  QLabel* lblStatus;
  QLabel* lblSecToShutDown;
  QLabel* lblSeconds;
  QPushButton* cmdTurnOffNow;
  QPushButton* cmdCancel;
  Timer* Timer1;

  void Timer1_Timer();
  void cmdTurnOffNow_Click();
  void cmdCancel_Click();

 protected:
  void Form_Load() override;
  void Form_Resize() override;
};
