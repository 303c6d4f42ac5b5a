#include "core/mdlRunOnStart.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "core/mdlModes.h"
#include "platform/SafeFile.h"
#include "platform/Services.h"

namespace mdlRunOnStart {
QString EntryPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/" + g_sAppName +
         ".desktop";
}

QString RunCommand() { return "\"" + ProgramFile() + "\" -st"; }

long SetRunOnStartup(bool on) {
  if (!on) return QFile::remove(EntryPath()) ? 0 : 2;
  QDir().mkpath(QFileInfo(EntryPath()).path());
  const QString entry = QString("[Desktop Entry]\r\nType=Application\r\nName=%1\r\nExec=%2\r\n"
                                "X-GNOME-Autostart-enabled=true\r\n")
                            .arg(g_sAppName, RunCommand());
  return SafeFile::Write(EntryPath(), entry.toUtf8()) ? -1 : 0;
}

bool IsRunOnStartup() {
  QFile f(EntryPath());
  if (!f.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.trimmed().startsWith("Exec=")) return QString::fromUtf8(line.trimmed().mid(5)) == RunCommand();
  return false;
}
}  // namespace mdlRunOnStart
