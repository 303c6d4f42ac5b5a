// Scripted answers for the services a test must never meet for real: message
// boxes, dialogs, programs started, turning the computer off. Installed by the
// test main for every test program; each test resets it.
#pragma once
#include <QStringList>
#include <deque>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Services.h"

struct ScriptedUi {
  static ScriptedUi& get();
  void reset();
  void install();

  // Message boxes: answers taken in order; with none left, the first button.
  std::deque<int> answers;
  std::vector<MsgBoxCall> shown;
  // Dialogs: answers taken in order; with none left, Cancel (an empty list).
  std::deque<QStringList> dialogAnswers;
  // The filter positions the user picks in the open and save dialogs that are
  // answered, in order; with none left, the dialog stays where it started.
  std::deque<int> filterAnswers;
  std::vector<DialogCall> dialogs;
  std::vector<ShellCall> shellCalls;
  bool shellSucceeds = true;
  int powerOffRequests = 0;
  QString powerOffRefusal;  // empty: accepted

  QStringList prompts() const;
};
