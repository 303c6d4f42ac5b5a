#include "backend/cd/CddbClient.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTcpSocket>
#include <algorithm>
#include <map>

namespace Cddb {
namespace {
constexpr int kFramesPerSecond = 75;
// An xmcd entry is a few kilobytes: a line, an answer or a text longer than
// this is no CD database's, and the lookup ends instead of holding it.
constexpr qint64 kMaxLineBytes = 64 * 1024;
constexpr qint64 kMaxEntryLines = 4096;
constexpr qint64 kMaxAnswerBytes = 1024 * 1024;
constexpr qint64 kMaxValueBytes = 64 * 1024;
constexpr qint64 kSliceMs = 100;

int DigitSum(int n) {
  int sum = 0;
  for (; n > 0; n /= 10) sum += n % 10;
  return sum;
}

const QString kSilent = "the server did not answer";

// One cddbp connection; every wait ends at the lookup's limit.
class Connection {
 public:
  explicit Connection(const Limit& limit) : limit_(limit) {}
  ~Connection() {
    if (socket_.state() == QAbstractSocket::ConnectedState) Send("quit");
  }

  bool Open(const QString& host, int port) {
    socket_.connectToHost(host, quint16(port));
    return Wait([this](int ms) { return socket_.waitForConnected(ms); });
  }

  // Why the last read or write came to nothing, in words for an error text.
  const QString& Why() const { return why_; }

  // A line without its line end; empty when the server fell silent, hung up
  // or sent a line no answer has.
  std::optional<QByteArray> Line() {
    while (!socket_.canReadLine()) {
      if (socket_.bytesAvailable() > kMaxLineBytes) return Fault(kLongLine);
      if (!Wait([this](int ms) { return socket_.waitForReadyRead(ms); })) return Fault(kSilent);
    }
    QByteArray line = socket_.readLine(kMaxLineBytes + 3);  // room for the line end
    if (!line.endsWith('\n')) return Fault(kLongLine);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line;
  }

  bool Send(const QByteArray& command) {
    socket_.write(command + "\r\n");
    while (socket_.bytesToWrite() > 0)
      if (!Wait([this](int ms) { return socket_.waitForBytesWritten(ms); })) return false;
    return true;
  }

  // The status line answering a command (or the greeting, for an empty one).
  std::optional<QByteArray> Ask(const QByteArray& command) {
    if (!command.isEmpty() && !Send(command)) return Fault(kSilent);
    return Line();
  }

  // The lines up to the closing "."; a line starting with ".." stands for one
  // starting with ".". Bytes are counted as they arrive, so that an answer
  // past its cap is never held whole.
  std::optional<QByteArrayList> Block() {
    QByteArrayList lines;
    qint64 bytes = 0;
    for (;;) {
      std::optional<QByteArray> line = Line();
      if (!line) return std::nullopt;
      if (*line == ".") return lines;
      bytes += line->size() + 2;
      if (bytes > kMaxAnswerBytes) return Fault("the server's answer is larger than 1 MB");
      if (lines.size() == kMaxEntryLines) return Fault("the server's answer has more than 4096 lines");
      lines << (line->startsWith("..") ? line->mid(1) : *line);
    }
  }

 private:
  // Waits in short slices, so that a dropped lookup ends soon; false at the
  // limit or once the connection is gone.
  bool Wait(const std::function<bool(int)>& wait) {
    while (!limit_.deadline.hasExpired() && !limit_.stopped()) {
      if (wait(int(std::clamp<qint64>(limit_.deadline.remainingTime(), 0, kSliceMs)))) return true;
      if (socket_.state() == QAbstractSocket::UnconnectedState) return false;
    }
    return false;
  }
  std::nullopt_t Fault(const QString& why) {
    why_ = why;
    return std::nullopt;
  }
  inline static const QString kLongLine = "a line of the server's answer is longer than 64 KB";
  const Limit& limit_;
  QTcpSocket socket_;
  QString why_ = kSilent;
};

int Code(const QByteArray& status) { return status.left(3).toInt(); }

// The server's words after the status code, for an error text; its code
// when it gave none.
QString Said(const QByteArray& status) {
  const QString words = QString::fromUtf8(status.mid(4)).trimmed();
  return words.isEmpty() ? "the server answered \"" + QString::fromUtf8(status.left(3)) + "\"" : words;
}

bool Greet(Connection& c, const Greeting& g, QString* error) {
  auto fail = [&](const QString& why) {
    *error = "The CD database query failed: " + why + ".";
    return false;
  };
  if (!c.Open(g.host, g.port)) return fail("the server cannot be reached");
  const struct {
    QByteArray command;
    QList<int> ok;
  } steps[] = {{{}, {200, 201}},
               {QString("cddb hello %1 %2 %3 %4").arg(g.user, g.helloHost, g.client, g.version).toUtf8(), {200, 402}},
               {"proto 6", {201, 502}}};
  for (const auto& step : steps) {
    const std::optional<QByteArray> status = c.Ask(step.command);
    if (!status) return fail(c.Why());
    if (!step.ok.contains(Code(*status))) return fail(Said(*status));
  }
  return true;
}

// "category discid ..." of a match line.
struct Match {
  QByteArray category;
  unsigned id = 0;
};
std::optional<Match> MatchOf(const QByteArray& text) {
  const QList<QByteArray> words = text.simplified().split(' ');
  bool ok = false;
  const unsigned id = words.size() >= 2 ? words[1].toUInt(&ok, 16) : 0;
  if (!ok) return std::nullopt;
  return Match{words[0], id};
}

std::optional<Match> Query(Connection& c, const Toc& toc, unsigned id, QString* error) {
  const QString hex = QString("%1").arg(id, 8, 16, QChar('0'));
  auto fail = [&](const QString& text) -> std::optional<Match> {
    *error = text;
    return std::nullopt;
  };
  const QString absent = "The CD (disc ID " + hex + ") is not in the CD database.";
  const QString failed = "The CD database query failed: ";
  const QString noId = failed + "the server's match names no disc ID.";
  QByteArray command = QString("cddb query %1 %2").arg(hex).arg(toc.offsets.size()).toUtf8();
  for (int offset : toc.offsets) command += " " + QByteArray::number(offset);
  command += " " + QByteArray::number(toc.seconds);
  const std::optional<QByteArray> status = c.Ask(command);
  if (!status) return fail(failed + c.Why() + ".");
  const int code = Code(*status);
  if (code == 202) return fail(absent);
  if (code == 200) {
    const std::optional<Match> m = MatchOf(status->mid(4));
    return m ? m : fail(noId);
  }
  if (code != 210 && code != 211) return fail(failed + Said(*status) + ".");
  const std::optional<QByteArrayList> lines = c.Block();
  if (!lines) return fail(failed + c.Why() + ".");
  std::optional<Match> chosen;
  for (const QByteArray& line : *lines) {
    const std::optional<Match> m = MatchOf(line);
    if (m && m->id == id) return m;
    if (!chosen) chosen = m;
  }
  if (chosen) return chosen;
  return fail(lines->isEmpty() ? absent : noId);
}

// xmcd escapes: "\n" a line break, "\t" a tab, "\\" a backslash; any other
// backslash stays as it is.
QByteArray Unescape(const QByteArray& value) {
  QByteArray out;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const char next = i + 1 < value.size() ? value[i + 1] : '\0';
    if (value[i] != '\\' || (next != 'n' && next != 't' && next != '\\')) {
      out += value[i];
      continue;
    }
    out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
    ++i;
  }
  return out;
}

// Level 6 is UTF-8; an entry that is not (older ones are Latin-1) is read as
// Latin-1. Control characters become blanks, so a grid cell or a file name
// never holds them.
QString Text(const QByteArray& value) {
  const QByteArray bytes = Unescape(value);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = utf8(bytes);
  if (utf8.hasError()) s = QString::fromLatin1(bytes);
  for (QChar& c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = u' ';
  return s;
}

// "artist / title"; fallback is the artist without the separator.
std::pair<QString, QString> Split(const QString& text, const QString& fallback) {
  const qsizetype at = text.indexOf(" / ");
  if (at < 0) return {fallback, text};
  return {text.left(at), text.mid(at + 3)};
}
}  // namespace

unsigned DiscId(const Toc& toc) {
  int sum = 0;
  for (int offset : toc.offsets) sum += DigitSum(offset / kFramesPerSecond);
  const int length = toc.offsets.empty() ? 0 : toc.seconds - toc.offsets.front() / kFramesPerSecond;
  return unsigned(sum % 255) << 24 | unsigned(length) << 8 | unsigned(toc.offsets.size());
}

std::optional<Entry> ParseEntry(const QByteArrayList& lines, size_t tracks, QString* error) {
  auto fail = [&](const QString& text) {
    *error = text;
    return std::nullopt;
  };
  static const QRegularExpression offsetLine("^#\\s*(\\d+)\\s*$");
  static const QRegularExpression lengthLine("^#\\s*Disc length:\\s*(\\d+)");
  std::vector<int> offsets;
  int seconds = 0;
  bool inOffsets = false;
  std::map<QByteArray, QByteArray> values;
  for (const QByteArray& raw : lines) {
    const QString line = QString::fromLatin1(raw);
    if (line.startsWith('#')) {
      const QRegularExpressionMatch offset = offsetLine.match(line);
      if (inOffsets && offset.hasMatch()) offsets.push_back(offset.captured(1).toInt());
      else inOffsets = line.contains("Track frame offsets:");
      if (const QRegularExpressionMatch length = lengthLine.match(line); length.hasMatch())
        seconds = length.captured(1).toInt();
      continue;
    }
    const qsizetype eq = raw.indexOf('=');
    if (eq <= 0) continue;
    QByteArray& value = values[raw.left(eq).trimmed()];
    value += raw.mid(eq + 1);  // a long value goes on over several lines
    if (value.size() > kMaxValueBytes)
      return fail("The CD database entry cannot be read: a text of the entry is longer than 64 KB.");
  }
  // An entry that does not describe the disc's tracks names none of them.
  if (offsets.size() != tracks || seconds <= 0) return fail("The CD database entry does not list the tracks of this CD.");
  Entry entry;
  // A disc title without " / " names artist and album alike.
  const QString disc = Text(values["DTITLE"]);
  std::tie(entry.artist, entry.album) = Split(disc, disc);
  for (size_t t = 0; t < tracks; ++t) {
    auto [artist, title] = Split(Text(values["TTITLE" + QByteArray::number(qulonglong(t))]), entry.artist);
    entry.tracks.push_back({artist, title});
  }
  return entry;
}

std::optional<QByteArrayList> Fetch(const Greeting& greeting, const Toc& toc, const Limit& limit,
                                    const std::function<void()>& matched, QString* error) {
  Connection c(limit);
  if (!Greet(c, greeting, error)) return std::nullopt;
  const std::optional<Match> match = Query(c, toc, DiscId(toc), error);
  if (!match) return std::nullopt;
  matched();
  const QString key = QString::fromUtf8(match->category) + QString(" %1").arg(match->id, 8, 16, QChar('0'));
  const std::optional<QByteArray> status = c.Ask("cddb read " + key.toUtf8());
  auto fail = [&](const QString& why) {
    *error = "The CD database entry cannot be read: " + why + ".";
    return std::nullopt;
  };
  if (!status) return fail(c.Why());
  if (Code(*status) != 210) return fail(Said(*status));
  std::optional<QByteArrayList> lines = c.Block();
  if (!lines) return fail(c.Why());
  return lines;
}
}  // namespace Cddb
