#include "backend/cd/CdDriveTable.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace CdDriveTable {
namespace {
QStringList realDevices() {
  // libcdio finds drives through the mount table with getmntent, whose entry
  // is one buffer for the whole process: one listing at a time.
  static std::mutex listing;
  const std::lock_guard lock(listing);
  QStringList out;
  char** list = cdio_get_devices(DRIVER_DEVICE);
  if (!list) return out;
  for (char** d = list; *d; ++d) out << QString::fromLocal8Bit(*d);
  cdio_free_device_list(list);
  return out;
}

constexpr int kMaxTracks = 99;
constexpr lsn_t kDataPregap = 150;
// Lead-out of the first session (6750), lead-in of the second (4500) and the
// data track's pregap.
constexpr lsn_t kSessionGap = 11400;
// A CUE sheet of a CD is a few kilobytes; a larger file is no CUE sheet.
constexpr qint64 kMaxCueBytes = 1 << 20;
// libcdio reads a sheet with fgets into 4096 bytes: a longer line reaches it
// in pieces, and a piece that starts with TRACK is a track to it.
constexpr qsizetype kLongestLine = 4094;

// The sheet (or the BIN) libcdio reads for an image drive: the drive's own
// path when it ends so, the one beside it under the same name otherwise (its
// case kept, as libcdio matches it); empty when libcdio takes the path for no image.
QString ImagePath(const QString& device, bool sheet) {
  for (const auto& [bin, cue] : {std::pair{"bin", "cue"}, std::pair{"BIN", "CUE"}}) {
    if (device.endsWith(cue, Qt::CaseSensitive)) return sheet ? device : device.chopped(3) + bin;
    if (device.endsWith(bin, Qt::CaseSensitive)) return sheet ? device.chopped(3) + cue : device;
  }
  return {};
}
QString SheetPath(const QString& device) { return ImagePath(device, true); }

// The words of a line as libcdio splits it: a NUL ends the line for it.
QList<QByteArray> Words(QByteArray line) {
  const qsizetype nul = line.indexOf('\0');
  if (nul >= 0) line.truncate(nul);
  QList<QByteArray> words;
  for (const QByteArray& w : line.replace('\t', ' ').replace('\r', ' ').split(' '))
    if (!w.isEmpty()) words << w;
  return words;
}

// A track number as libcdio's sscanf("%d") takes it from the word's start;
// 0 (no CD track) when the word starts with no number or it is far too large.
int TrackNumber(const QByteArray& word) {
  static const QRegularExpression number("^[+-]?0*(\\d{1,3})(?!\\d)");
  const QRegularExpressionMatch m = number.match(QString::fromLatin1(word));
  if (!m.hasMatch()) return 0;
  return word.startsWith('-') ? 0 : m.captured(1).toInt();
}

// Why libcdio would misread the sheet (it then writes outside its track
// table), as the rest of a sentence about the drive; empty when it reads it right.
QString SheetProblem(const QByteArray& sheet) {
  std::vector<int> numbers;  // of the TRACK lines, in order
  for (const QByteArray& line : sheet.split('\n')) {
    if (line.size() > kLongestLine)
      return QString("has a line of %1 bytes; a CUE sheet line holds at most %2.")
          .arg(line.size())
          .arg(kLongestLine);
    const QList<QByteArray> words = Words(line);
    if (!words.isEmpty() && words[0] == "TRACK") numbers.push_back(TrackNumber(words.value(1)));
  }
  const int count = int(numbers.size());
  if (count == 0) return "lists no tracks.";
  if (count > kMaxTracks) return QString("lists %1 tracks; a CD holds at most %2.").arg(count).arg(kMaxTracks);
  if (std::any_of(numbers.begin(), numbers.end(), [](int t) { return t < 1 || t > kMaxTracks; }))
    return QString("numbers a track outside 1 to %1.").arg(kMaxTracks);
  if (numbers[0] > count)
    return QString("starts at track %1, above its number of tracks (%2).").arg(numbers[0]).arg(count);
  for (int i = 1; i < count; ++i)
    if (numbers[size_t(i)] != numbers[0] + i)
      return QString("lists track %1 after track %2; its tracks must follow in order.")
          .arg(numbers[size_t(i)]).arg(numbers[size_t(i - 1)]);
  return {};
}

// The sheet without what libcdio refuses although no track depends on it: a
// UTF-8 byte-order mark, postgaps (silence the BIN does not hold) and remarks
// too long for its line buffer. Lines keep their numbers, so that libcdio's
// reasons point into the user's sheet.
QByteArray Cleaned(const QByteArray& sheet) {
  QList<QByteArray> lines = (sheet.startsWith("\xEF\xBB\xBF") ? sheet.mid(3) : sheet).split('\n');
  for (QByteArray& line : lines) {
    const QList<QByteArray> words = Words(line);
    const QByteArray first = words.value(0);
    if (first == "POSTGAP" || (first == "REM" && line.size() > kLongestLine)) line.clear();
  }
  return lines.join('\n');
}

// The image drive's sheet as libcdio is to read it, cleaned, in sheet (and
// whether that is the sheet as saved); why it cannot be handed over, as the
// rest of a sentence about the drive.
QString ReadSheet(const QString& device, QByteArray* sheet, bool* asSaved) {
  QFile file(SheetPath(device));
  if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) return "cannot be read.";
  const QByteArray text = file.read(kMaxCueBytes + 1);
  // Checking part of what libcdio reads would check nothing.
  if (file.error() != QFileDevice::NoError || text.size() > kMaxCueBytes) return "cannot be read.";
  *sheet = Cleaned(text);
  *asSaved = *sheet == text;
  return SheetProblem(*sheet);
}

// libcdio's messages while this thread opens a drive; null when no open gathers them.
thread_local QStringList* t_messages = nullptr;

void OnLibraryMessage(cdio_log_level_t level, const char message[]) {
  if (t_messages && level >= CDIO_LOG_INFO && level < CDIO_LOG_ASSERT) {
    t_messages->append(QString::fromLocal8Bit(message));
    return;
  }
  // Its own handler ends the program on an error, which is no more than a sheet or disc it cannot read.
  if (level >= CDIO_LOG_WARN) cdio_default_log_handler(std::min(level, CDIO_LOG_WARN), message);
}

// libcdio's reasons as one text, naming files without their folder: a
// message ending in a colon goes on in the next. A message quotes the sheet,
// which can hold anything: a long one is cut.
QString Reasons(const QStringList& messages, const QString& folder) {
  constexpr qsizetype kLongest = 200;
  QString out;
  for (QString m : messages) {
    m.replace(folder + "/", "");
    if (m.size() > kLongest) m = m.left(kLongest) + "...";
    if (!out.isEmpty()) out += out.endsWith(':') ? " " : "; ";
    out += m;
  }
  return out;
}

// Opens the path with libcdio, gathering its reasons when it cannot.
CdIo_t* OpenPath(const QString& path, driver_id_t driver, QStringList* messages) {
  static std::once_flag handler;
  std::call_once(handler, [] {
    // Its reasons for refusing a sheet come as information.
    cdio_loglevel_default = CDIO_LOG_INFO;
    cdio_log_set_handler(OnLibraryMessage);
  });
  t_messages = messages;
  CdIo_t* cdio = cdio_open(QFile::encodeName(path).constData(), driver);
  t_messages = nullptr;
  return cdio;
}

// libcdio reads the sheet at the path it is given and the BIN beside it under
// the sheet's name: a cleaned sheet goes into a private folder, beside a link
// to the drive's BIN, and the folder goes once libcdio holds the BIN open.
CdIo_t* OpenCleaned(const QString& device, const QByteArray& sheet, QStringList* messages) {
  const QTemporaryDir folder;
  const QString copy = folder.filePath(QFileInfo(SheetPath(device)).fileName());
  QFile file(copy);
  if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(sheet) != sheet.size() || !file.flush()) {
    const QString reason = folder.isValid() ? file.errorString() : folder.errorString();
    messages->append("a cleaned copy of its sheet cannot be written in " + QDir::tempPath() + ": " + reason);
    return nullptr;
  }
  file.close();
  if (!QFile::link(QFileInfo(ImagePath(device, false)).absoluteFilePath(), ImagePath(copy, false))) {
    messages->append("its BIN cannot be linked in " + QDir::tempPath());
    return nullptr;
  }
  CdIo_t* cdio = OpenPath(copy, DRIVER_BINCUE, messages);
  // The reasons name the user's files, not the private copies.
  const QString user = QFileInfo(SheetPath(device)).absolutePath();
  for (QString& m : *messages) m.replace(folder.path(), user);
  return cdio;
}

QStringList imageDevices() {
  QStringList out;
  const QString env = qEnvironmentVariable("TESSORY_CD_IMAGES");
  for (const QString& p : env.split(':', Qt::SkipEmptyParts)) out << p;
  return out;
}
}  // namespace

std::vector<Drive> Drives() {
  std::vector<Drive> out;
  auto add = [&](const QString& device, bool image) {
    // Letters run from D to Z; further devices get no name.
    if (out.size() >= 23) return;
    out.push_back({QString(QChar('D' + int(out.size()))) + ":", device, image});
  };
  for (const QString& d : realDevices()) add(d, false);
  for (const QString& d : imageDevices()) add(d, true);
  return out;
}

CdIo_t* Open(const Drive& drive, QString* why) {
  auto fail = [&](const QString& text) -> CdIo_t* {
    *why = text;
    return nullptr;
  };
  const QString image = "The CD image of drive " + drive.name + " ";
  QByteArray sheet;
  bool asSaved = true;
  const QString problem = drive.image ? ReadSheet(drive.device, &sheet, &asSaved) : QString();
  if (!problem.isEmpty()) return fail(image + problem);
  // The image reader parses a CUE sheet with strtok: one open at a time in the
  // process (the list's disc check runs beside the ripper's reads).
  static std::mutex opening;
  std::lock_guard lock(opening);
  QStringList messages;
  CdIo_t* cdio = asSaved ? OpenPath(drive.device, drive.image ? DRIVER_BINCUE : DRIVER_DEVICE, &messages)
                         : OpenCleaned(drive.device, sheet, &messages);
  if (cdio) return cdio;
  if (!drive.image || messages.isEmpty()) return fail("Drive " + drive.name + " cannot be opened.");
  return fail(image + "cannot be opened: " + Reasons(messages, QFileInfo(SheetPath(drive.device)).absolutePath()));
}

QString ImageData(const Drive& drive) { return ImagePath(drive.device, false); }

lsn_t TrackEnd(CdIo_t* cdio, track_t track) {
  const track_t last = cdio_get_last_track_num(cdio);
  if (track == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || track >= last)
    return cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
  const track_t next = track_t(track + 1);
  const lsn_t start = cdio_get_track_lsn(cdio, next);
  const bool audioThenData = cdio_get_track_format(cdio, track) == TRACK_FORMAT_AUDIO &&
                             cdio_get_track_format(cdio, next) != TRACK_FORMAT_AUDIO;
  if (start == CDIO_INVALID_LSN || !audioThenData) return start;
  lsn_t session = 0;
  const bool laterSession = cdio_get_last_session(cdio, &session) == DRIVER_OP_SUCCESS && session > 0 &&
                            session <= start && session > cdio_get_track_lsn(cdio, track);
  if (laterSession) return start - kSessionGap;
  // An image knows the pregap's start (its INDEX 00); a drive's table does not.
  const lsn_t pregap = cdio_get_track_pregap_lsn(cdio, next);
  return pregap != CDIO_INVALID_LSN && pregap < start ? pregap : start - kDataPregap;
}

}  // namespace CdDriveTable
