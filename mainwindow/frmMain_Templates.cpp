// Texts the main window makes for others: the end-of-job program's command
// line, the speech window's file names and the "Notes" panel summary.
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <utility>
#include <vector>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "settings/OptionValues.h"

namespace {
using Substitutions = std::vector<std::pair<QString, QString>>;

// One pass from left to right, so a value that happens to hold a placeholder
// (an item named "[FILE_SIZE]") is not expanded again.
QString expand(const QString& text, const Substitutions& subs) {
  QString out;
  for (qsizetype i = 0; i < text.size();) {
    const auto hit = std::find_if(subs.begin(), subs.end(),
                                  [&](const auto& s) { return QStringView(text).mid(i).startsWith(s.first); });
    if (hit == subs.end()) {
      out += text[i++];
      continue;
    }
    out += hit->second;
    i += hit->first.size();
  }
  return out;
}
}  // namespace

QStringList frmMain::GetNoticAppParameters() const {
  Substitutions subs = {{"[PROG_NAME]", g_sAppName}, {"[PROG_VERSION]", g_sAppVersion}};
  // Without a row the file placeholders stay as they are.
  if (const long last = cGrid1->Rows(); last > 0) {
    const std::pair<const char*, const char*> fileColumns[] = {
        {"[FILE_RECORDED]", "Item Name"}, {"[FILE_SIZE]", "Size"}, {"[FILE_TIME_LENGTH]", "Time"},
        {"[FILE_CREATED]", "Created"}};
    for (const auto& [placeholder, column] : fileColumns)
      subs.emplace_back(placeholder, cGrid1->Cell(last, cGrid1->ColumnIndex(column)).Text());
  }
  // Split first, then expand: a value with blanks or quotes stays one argument.
  QStringList args = QProcess::splitCommand(g_sAppNotice);
  for (QString& arg : args) arg = expand(arg, subs);
  return args;
}

QString frmMain::GetExt(const QString& targetFormat) {
  const QString kind = targetFormat.left(3).toUpper();
  if (kind == "WAV" || kind == "ACM") return "wav";
  if (kind == "MP3") return "mp3";
  if (kind == "WMA") return "wma";
  if (kind == "OGG") return "ogg";
  if (kind == "APE") return "ape";
  return QString();
}

QString frmMain::CreateFileName(const QString& targetFormat) {
  const QDateTime now = QDateTime::currentDateTime();
  const QString name = now.toString("HH:mm:ss") + "_" + QLocale::system().toString(now.date(), QLocale::ShortFormat) +
                       "." + GetExt(targetFormat);
  return mdlFunctions::MakeSafeFileName(name);
}

QString frmMain::GetNotesToStatus() const {
  const QString path = NotesFile();
  if (!QFile::exists(path)) return "Notes [ Empty ]";
  QString text = mdlFunctions::ReadTextFile(path);
  if (text.isEmpty() || text == "\r\n") return "Notes [ Empty ]";
  text.replace("\r\n", " ");
  if (text.size() <= 36) return "Notes [ " + text + " ]";
  return "Notes [ " + text.left(35) + "..." + " ]";
}

QString frmMain::NotesFile() { return ProgramFolder() + "/Notes"; }
