#include "GermanLocale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <clocale>
#include <cstring>

#include "TestEnv.h"

namespace {
constexpr const char* kName = "de_DE.UTF-8";
constexpr const char* kSource = "/usr/share/i18n/locales/de_DE";

// The folder LOCPATH names; empty with the reason when the locale cannot be built.
QString BuiltLocales(QString* problem) {
  const QString folder = TestEnv::Home() + "/locales";
  if (QFileInfo(folder + "/" + kName).isDir()) return folder;
  const QString localedef = QStandardPaths::findExecutable("localedef");
  if (localedef.isEmpty()) {
    *problem = "localedef is missing (package locales)";
    return QString();
  }
  QDir().mkpath(folder);
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(localedef, {"-i", "de_DE", "-f", "UTF-8", folder + "/" + kName});
  // localedef exits with 1 for mere warnings: the folder it made is what counts.
  if (!p.waitForFinished(60000) || !QFileInfo(folder + "/" + kName).isDir()) {
    *problem = "localedef failed: " + QString::fromLocal8Bit(p.readAll());
    return QString();
  }
  return folder;
}

void Restore(const char* name, bool had, const QByteArray& value) {
  if (had) qputenv(name, value);
  else qunsetenv(name);
}
}  // namespace

bool GermanLocale::Buildable() {
  return !QStandardPaths::findExecutable("localedef").isEmpty() && QFileInfo(kSource).isFile();
}

GermanLocale::GermanLocale() {
  oldLocale_ = setlocale(LC_ALL, nullptr);
  hadLocPath_ = qEnvironmentVariableIsSet("LOCPATH");
  hadLcAll_ = qEnvironmentVariableIsSet("LC_ALL");
  oldLocPath_ = qgetenv("LOCPATH");
  oldLcAll_ = qgetenv("LC_ALL");
  const QString folder = BuiltLocales(&problem_);
  if (folder.isEmpty()) return;
  const QByteArray english = strerror(ENOSPC);
  qputenv("LOCPATH", QFile::encodeName(folder));
  qputenv("LC_ALL", kName);
  // As the application does at its start: the locale the environment names.
  if (!setlocale(LC_ALL, "")) {
    problem_ = QString("%1 cannot be set from %2").arg(kName, folder);
    return;
  }
  if (english == strerror(ENOSPC)) problem_ = "the system's messages are not translated (package libc-l10n)";
}

GermanLocale::~GermanLocale() {
  Restore("LOCPATH", hadLocPath_, oldLocPath_);
  Restore("LC_ALL", hadLcAll_, oldLcAll_);
  setlocale(LC_ALL, oldLocale_.constData());
}
