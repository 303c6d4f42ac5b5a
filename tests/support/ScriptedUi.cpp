#include "ScriptedUi.h"

ScriptedUi& ScriptedUi::get() {
  static ScriptedUi ui;
  return ui;
}

void ScriptedUi::reset() { *this = ScriptedUi(); }

QStringList ScriptedUi::prompts() const {
  QStringList out;
  for (auto& c : shown) out << c.prompt;
  return out;
}

void ScriptedUi::install() {
  SetMsgBoxHandler([this](const MsgBoxCall& c) {
    shown.push_back(c);
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    switch (c.buttons & 7) {
      case vbYesNo: case vbYesNoCancel: return int(vbYes);
      case vbAbortRetryIgnore: return int(vbAbort);
      case vbRetryCancel: return int(vbRetry);
      default: return int(vbOK);
    }
  });
  SetDialogHandler([this](DialogCall& c) {
    dialogs.push_back(c);
    if (dialogAnswers.empty()) return QStringList();
    if (!filterAnswers.empty()) {
      c.filterIndex = filterAnswers.front();
      filterAnswers.pop_front();
    }
    QStringList a = dialogAnswers.front();
    dialogAnswers.pop_front();
    return a;
  });
  SetShellHandler([this](const ShellCall& c) {
    shellCalls.push_back(c);
    return shellSucceeds;
  });
  SetPowerOffHandler([this]() {
    ++powerOffRequests;
    return powerOffRefusal;
  });
}
