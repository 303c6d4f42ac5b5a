#include "core/mdlFunctions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <QTime>
#include <cmath>
#include <optional>

#include "platform/SafeFile.h"
#include "platform/Utf8Text.h"
#include "platform/Services.h"
#include "platform/cBalloonTip.h"

namespace {
constexpr QChar kSep = u'/';
constexpr int kHistoryLines = 16;
// "Path/File access error": a level that cannot be created or is not a folder.
constexpr long kErrPathAccess = 75;

const QString kIllegalNameChars = QStringLiteral("/\\:?*<>\"|");

// Replaced by "-" in safe names; the dot, "-" and "_" stay so an extension survives.
const char16_t kUnsafeChars[] = u"!/\\;:, $+&[](){}?*|<>\u05D6\uF893\u20AC@\u00A8~\u00B4`=%\u00BD#\u00A3'\"\u05D9";

const QString kCrLf = QStringLiteral("\r\n");

QStringList splitLines(const QString& text) {
  if (text.isEmpty()) return {};
  QString t = text;
  t.replace(kCrLf, "\n").replace(u'\r', u'\n');
  if (t.endsWith(u'\n')) t.chop(1);
  return t.split(u'\n');
}

// The file's lines as text, or nothing when it cannot be opened.
std::optional<QStringList> readLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return splitLines(QString::fromUtf8(f.readAll()));
}

bool writeWhole(const QString& path, const QString& text) { return SafeFile::Write(path, text.toUtf8()); }

// The history file, created empty when missing; false when that fails.
bool ensureFile(const QString& path) {
  if (QFileInfo::exists(path)) return true;
  QFile f(path);
  return f.open(QIODevice::WriteOnly);
}

QString joinLines(const QStringList& lines) {
  QString out;
  for (const QString& l : lines) out += l + kCrLf;
  return out;
}

// The system's time-of-day form with seconds, without a time zone.
QString timeFormat() {
  QString f = QLocale().timeFormat(QLocale::LongFormat);
  f.remove(u't');
  return f.trimmed();
}

QString safePiece(QString s) {
  for (QChar& c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = u'-';
  // A run of dots could climb out of the folder: keep only the last dot of it.
  for (qsizetype i = 0; i + 1 < s.size(); ++i)
    if (s[i] == u'.' && s[i + 1] == u'.') s[i] = u'-';
  if (s.isEmpty() || s == ".") return "-";
  return s;
}
}  // namespace

namespace mdlFunctions {

QString GetFileNameFromPath(const QString& path) {
  return path.mid(path.lastIndexOf(kSep) + 1);
}

QString GetFolderPath(const QString& path) {
  qsizetype i = path.lastIndexOf(kSep);
  return i < 0 ? QString() : path.left(i + 1);
}

QString GetFolderOfFile(const QString& path) {
  QString name = GetFileNameFromPath(path);
  return path.left(path.size() - name.size());
}

QString FolderWithSlash(const QString& folder) {
  return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

void ShellOpen(QWidget*, const QString& path) { ShellOpenDocument(path); }

long CreateFolderPath(const QString& folderPath) {
  QString path = folderPath;
  if (path.endsWith(kSep)) path.chop(1);
  QString prefix;
  for (const QString& piece : path.split(kSep)) {
    prefix += piece + kSep;
    QFileInfo level(prefix);
    if (level.isDir()) continue;
    if (level.exists() || !QDir().mkdir(prefix)) return kErrPathAccess;
  }
  return 0;
}

QString MakeSafeFileName(const QString& text) {
  QString s = text;
  for (const char16_t* c = kUnsafeChars; *c; ++c) s.replace(QChar(*c), u'-');
  return safePiece(s);
}

namespace {
// The extension a cut keeps: up to 12 characters after the last dot, with
// something before it.
QString keptExtension(const QString& name) {
  const QString ext = GetExtension(name);
  const bool keep = !ext.isEmpty() && ext.size() <= 12 && ext.size() < name.size() - 1;
  return keep ? "." + ext : QString();
}

// The stem cut so that stem and tail together fit kMaxFileNameBytes.
QString capStem(QStringView stem, const QString& tail) {
  return Utf8Text::Head(stem, kMaxFileNameBytes - tail.toUtf8().size()) + tail;
}
}  // namespace

QString CapFileNameLength(const QString& name) {
  if (Utf8Text::Head(name, kMaxFileNameBytes).size() == name.size()) return name;
  const QString tail = keptExtension(name);
  return capStem(QStringView(name).chopped(tail.size()), tail);
}

QString NumberedFileName(const QString& name, int number) {
  const QString ext = keptExtension(name);
  return capStem(QStringView(name).chopped(ext.size()), QString(" (%1)").arg(number) + ext);
}

QString GetFileExt(const QString& name) { return GetExtension(name).left(12); }

QString GetExtension(const QString& name) {
  qsizetype i = name.lastIndexOf(u'.');
  return i < 0 ? QString() : name.mid(i + 1);
}

long RoundHalfEven(double v) { return long(std::nearbyint(v)); }

QString RemoveFileExt(const QString& name) {
  qsizetype i = name.lastIndexOf(u'.');
  return i <= 0 ? name : name.left(i);
}

void CheckIllegalNameChar(QWidget* textBox, int& KeyAscii) {
  if (KeyAscii <= 0 || KeyAscii > 0xFFFF || !kIllegalNameChars.contains(QChar(KeyAscii))) return;
  cBalloonTip tip;
  tip.BalloonIcon = 1;
  tip.BalloonText = "Illegal name." + kCrLf + kCrLf + "The chars:   /\\:?*<>\"|   are not legal.";
  tip.BalloonHwnd = textBox;
  tip.ShowTip();
  KeyAscii = 0;
}

bool IsLegalName(const QString& name) {
  for (QChar c : kIllegalNameChars)
    if (name.contains(c)) return false;
  return true;
}

void AddLogLine(const QString& message, QPlainTextEdit* logBox) {
  if (!logBox) return;
  QString line = QLocale().toString(QTime::currentTime(), timeFormat()) + ":" + message + "\n";
  QTextCursor end = logBox->textCursor();
  end.movePosition(QTextCursor::End);
  end.insertText(line);
  logBox->setTextCursor(end);
}

bool WriteTextFile(const QString& text, const QString& path) { return writeWhole(path, text + kCrLf); }

QString ReadTextFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return QString();
  QString out = joinLines(readLines(path).value_or(QStringList()));
  if (out.size() > 2) out.chop(2);
  return out;
}

void LoadListFromFile(const QString& path, QComboBox* box) {
  const QStringList pieces = ReadTextFile(path).split(kCrLf);
  const QSignalBlocker quiet(box);
  box->clear();
  box->clearEditText();
  for (const QString& p : pieces)
    if (!p.isEmpty()) box->addItem(p);
  box->setCurrentIndex(-1);
}

QString PathHistoryFile() { return ProgramFolder() + "/PathHistory"; }

QString FileNameFormatsFile() { return ProgramFolder() + "/FileNameFormats.txt"; }

void SavePathHistory(QComboBox* box) {
  const QString file = PathHistoryFile();
  if (!ensureFile(file)) return;
  std::optional<QStringList> old = readLines(file);
  if (!old) return;
  const QString newest = box->currentText();
  QStringList lines{newest};
  bool dropped = false;
  for (const QString& l : *old) {
    if (!dropped && l == newest) {
      dropped = true;
      continue;
    }
    lines << l;
  }
  writeWhole(file, joinLines(lines.mid(0, kHistoryLines)));
}

void LoadPathHistory(QComboBox* box) {
  {
    // The box's handlers run once, for the newest folder, when all are in.
    const QSignalBlocker quiet(box);
    box->clear();
    box->clearEditText();
    const QString file = PathHistoryFile();
    if (!ensureFile(file)) return;
    const std::optional<QStringList> lines = readLines(file);
    if (!lines) return;
    for (const QString& l : *lines) box->addItem(l);
    box->setCurrentIndex(-1);
  }
  if (box->count() > 0) box->setCurrentIndex(0);
}

QString SecondsToTimeText(long seconds) {
  if (seconds < 0) return "-" + SecondsToTimeText(-seconds);
  long hours = seconds / 3600;
  long minutes = seconds / 60 - 60 * hours;
  return QStringLiteral("%1:%2:%3")
      .arg(hours)
      .arg(minutes, 2, 10, QChar(u'0'))
      .arg(seconds % 60, 2, 10, QChar(u'0'));
}

long TimeTextToSeconds(const QString& text) {
  const QString t = text.trimmed();
  const QLocale loc;
  for (const QString& f : {timeFormat(), loc.timeFormat(QLocale::ShortFormat), QStringLiteral("h:mm:ss AP"),
                           QStringLiteral("h:mm AP"), QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
    QTime time = loc.toTime(t, f);
    if (time.isValid()) return time.msecsSinceStartOfDay() / 1000;
  }
  const QStringList parts = t.split(u':');
  if (parts.size() != 3) return 0;
  long total = 0;
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    long v = parts[i].trimmed().toLong(&ok);
    if (!ok) return 0;
    total = total * 60 + v;
  }
  return total;
}

}  // namespace mdlFunctions
