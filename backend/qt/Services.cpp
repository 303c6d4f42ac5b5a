#include "platform/Services.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
MsgBoxHandler g_msgBox;
DialogHandler g_dialog;
ShellHandler g_shell;
PowerOffHandler g_powerOff;
QString g_appTitle;
QString g_args;
bool g_argsSet = false;

QMessageBox::StandardButtons buttonsFor(int style) {
  switch (style & 7) {
    case vbOKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case vbAbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case vbYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case vbYesNo: return QMessageBox::Yes | QMessageBox::No;
    case vbRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon iconFor(int style) {
  switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int answerFor(int button) {
  switch (button) {
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbOK;
  }
}

int realMsgBox(const MsgBoxCall& c) {
  QMessageBox box(iconFor(c.buttons), c.title, c.prompt, buttonsFor(c.buttons),
                  QApplication::activeWindow());
  return answerFor(box.exec());
}

// Runs an open or save dialog at the call's filter position and writes back
// the position the user left it at.
QStringList runFileDialog(QFileDialog& d, DialogCall& c) {
  const QStringList filters = d.nameFilters();
  if (c.filterIndex >= 1 && c.filterIndex <= filters.size()) d.selectNameFilter(filters[c.filterIndex - 1]);
  if (!d.exec()) return {};
  c.filterIndex = int(filters.indexOf(d.selectedNameFilter())) + 1;
  return d.selectedFiles();
}

// A status line under the picker's view: the prefix and the folder the user
// has selected or entered. Only the non-native dialog can carry it.
void addStatusLine(QFileDialog& d, const QString& prefix) {
  auto* grid = qobject_cast<QGridLayout*>(d.layout());
  if (!grid) return;
  auto* status = new QLabel(prefix + d.directory().absolutePath(), &d);
  status->setObjectName("statusLine");
  grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
  const auto show = [status, prefix](const QString& folder) {
    if (!folder.isEmpty()) status->setText(prefix + folder);
  };
  QObject::connect(&d, &QFileDialog::currentChanged, status, show);
  QObject::connect(&d, &QFileDialog::directoryEntered, status, show);
}

QStringList realDialog(DialogCall& c) {
  switch (c.kind) {
    case DialogCall::OpenFiles: {
      QFileDialog d(c.owner, c.title, c.folder, c.filter);
      d.setFileMode(c.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
      return runFileDialog(d, c);
    }
    case DialogCall::SaveFile: {
      QFileDialog d(c.owner, c.title, c.fileName.isEmpty() ? c.folder : QDir(c.folder).filePath(c.fileName), c.filter);
      d.setAcceptMode(QFileDialog::AcceptSave);
      return runFileDialog(d, c);
    }
    case DialogCall::Folder: {
      QFileDialog d(c.owner, c.title, c.folder);
      d.setFileMode(QFileDialog::Directory);
      d.setOption(QFileDialog::ShowDirsOnly);
      if (!c.statusPrefix.isEmpty()) {
        d.setOption(QFileDialog::DontUseNativeDialog);
        addStatusLine(d, c.statusPrefix);
      }
      if (!d.exec() || d.selectedFiles().isEmpty()) return {};
      return {d.selectedFiles().first()};
    }
    case DialogCall::Color: {
      QColorDialog d(QColor(int(c.color & 0xFF), int((c.color >> 8) & 0xFF), int((c.color >> 16) & 0xFF)), c.owner);
      if (!d.exec()) return {};
      QColor q = d.selectedColor();
      return {QString::number(q.red() + 256L * q.green() + 65536L * q.blue())};
    }
  }
  return {};
}

bool realShell(const ShellCall& c) {
  if (c.kind == ShellCall::Open) {
    QUrl url = QUrl::fromUserInput(c.target, QDir::currentPath(), QUrl::AssumeLocalFile);
    return QDesktopServices::openUrl(url);
  }
  return QProcess::startDetached(c.target, c.args);
}

QString realPowerOff() {
  QDBusInterface logind("org.freedesktop.login1", "/org/freedesktop/login1",
                        "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
  if (!logind.isValid()) return QStringLiteral("The power manager cannot be reached.");
  QDBusReply<QString> can = logind.call("CanPowerOff");
  if (!can.isValid()) return can.error().message();
  if (can.value() != "yes" && can.value() != "challenge")
    return QStringLiteral("Turning the computer off is not allowed (%1).").arg(can.value());
  QDBusMessage reply = logind.call("PowerOff", true);
  if (reply.type() == QDBusMessage::ErrorMessage) return reply.errorMessage();
  return QString();
}
}  // namespace

int MsgBox(const QString& prompt, int buttons, const QString& title) {
  MsgBoxCall call{prompt, buttons, title.isEmpty() ? AppTitle() : title};
  return g_msgBox ? g_msgBox(call) : realMsgBox(call);
}
void SetMsgBoxHandler(MsgBoxHandler handler) { g_msgBox = std::move(handler); }

QString AppTitle() { return g_appTitle; }
void SetAppTitle(const QString& title) { g_appTitle = title; }

QString ProgramFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Tessory";
  QDir().mkpath(dir);
  return dir;
}

QString ProgramFile() { return QCoreApplication::applicationFilePath(); }

QString CommandLineArgs() {
  if (g_argsSet) return g_args;
  QStringList a = QCoreApplication::arguments();
  if (!a.isEmpty()) a.removeFirst();
  return a.join(' ');
}
void SetCommandLineArgs(const QString& args) {
  g_args = args;
  g_argsSet = true;
}

bool ShellOpenDocument(const QString& target) {
  ShellCall c{ShellCall::Open, target, {}, false};
  return g_shell ? g_shell(c) : realShell(c);
}
bool StartProgram(const QString& program, const QStringList& args, bool minimised) {
  ShellCall c{ShellCall::Run, program, args, minimised};
  return g_shell ? g_shell(c) : realShell(c);
}
void SetShellHandler(ShellHandler handler) { g_shell = std::move(handler); }

QString RequestPowerOff() { return g_powerOff ? g_powerOff() : realPowerOff(); }
void SetPowerOffHandler(PowerOffHandler handler) { g_powerOff = std::move(handler); }

void DoEvents() { QCoreApplication::processEvents(); }

QStringList RunDialog(DialogCall& call) { return g_dialog ? g_dialog(call) : realDialog(call); }
void SetDialogHandler(DialogHandler handler) { g_dialog = std::move(handler); }
