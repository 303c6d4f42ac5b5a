// Operating-system services the windows call: message boxes, the program's
// folders, starting programs and opening documents, turning the computer off.
// Every service has a handler that tests replace, so no test blocks on a modal
// box, starts a program or powers anything off.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Message-box styles and answers, as the windows pass and test them.
enum MsgBoxStyle {
  vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4,
  vbRetryCancel = 5, vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct MsgBoxCall {
  QString prompt;
  int buttons = vbOKOnly;
  QString title;  // the application title when the caller gave none
};
using MsgBoxHandler = std::function<int(const MsgBoxCall&)>;

// Shows a message box and returns the answer. The title defaults to AppTitle().
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());
// Replaces the real box (nullptr restores it).
void SetMsgBoxHandler(MsgBoxHandler handler);

// The application title every untitled message box carries.
QString AppTitle();
void SetAppTitle(const QString& title);

// The folder of writable program files (lists, notes, history, sounds, temporary
// files): the per-user data folder, without a closing "/". Created on first use.
QString ProgramFolder();
// The running program file and the arguments it was started with (without its own path).
QString ProgramFile();
QString CommandLineArgs();
void SetCommandLineArgs(const QString& args);

// Starting programs and opening documents.
struct ShellCall {
  enum Kind { Open, Run } kind = Open;
  QString target;       // document, folder or web address (Open); program (Run)
  QStringList args;     // Run only
  bool minimised = false;
};
using ShellHandler = std::function<bool(const ShellCall&)>;
// Opens a document, folder or address with its associated program.
bool ShellOpenDocument(const QString& target);
// Starts a program without a shell; true when it started.
bool StartProgram(const QString& program, const QStringList& args, bool minimised = false);
void SetShellHandler(ShellHandler handler);

// Turning the computer off (logind's power-off over D-Bus). Returns an empty
// text when the request was accepted, otherwise the reason it was refused.
using PowerOffHandler = std::function<QString()>;
QString RequestPowerOff();
void SetPowerOffHandler(PowerOffHandler handler);

// Lets pending window events through ("DoEvents").
void DoEvents();
