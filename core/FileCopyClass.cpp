#include "core/FileCopyClass.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

#include "platform/FileIdentity.h"
#include "platform/Services.h"

namespace {
constexpr long kDefaultChunk = 32000;

QString sourceChanged(const QString& source) {
  return "The file \"" + source + "\" could not be read to its end.";
}

QString writeFailed(const QSaveFile& out) {
  return "Writing \"" + out.fileName() + "\" failed: " + out.errorString();
}

bool writeAll(QSaveFile& out, const QByteArray& data) { return out.write(data) == data.size(); }
}  // namespace

QString FileCopyClass::copyInChunks(QFile& in, QSaveFile& out, qint64 length, qint64 chunk) {
  QByteArray pending;
  pending.reserve(3 * chunk);
  qint64 readPos = 0, written = 0, piece = chunk;
  while (readPos < length) {
    const qint64 held = pending.size();
    pending.resize(held + piece);
    if (in.read(pending.data() + held, piece) != piece) return sourceChanged(in.fileName());
    readPos += piece;
    if (pending.size() >= 2 * chunk) {
      if (!writeAll(out, pending)) return writeFailed(out);
      written += pending.size();
      pending.resize(0);
    }
    PercentREady = int(std::nearbyint(100.0 * double(written) / double(length)));
    DoEvents();
    piece = std::min(piece, length - readPos);
  }
  return writeAll(out, pending) ? QString() : writeFailed(out);
}

QString FileCopyClass::Copy(const QString& SourceFile, const QString& Destination) {
  const qint64 chunk = CacheSize > 0 ? CacheSize : kDefaultChunk;
  Sucessfull = false;
  if (!QFileInfo(SourceFile).isFile()) return "The file \"" + SourceFile + "\" does not exist.";
  if (IsSameFile(SourceFile, Destination)) return "A file cannot be copied onto itself.";

  QFile in(SourceFile);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
    return "The file \"" + SourceFile + "\" cannot be read: " + in.errorString();
  QSaveFile out(Destination);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return "The file \"" + Destination + "\" cannot be created: " + out.errorString();

  QElapsedTimer clock;
  clock.start();
  const qint64 length = in.size();
  if (length < chunk) {
    const QByteArray all = in.read(length);
    if (all.size() != length) return sourceChanged(SourceFile);
    if (!writeAll(out, all)) return writeFailed(out);
  } else if (QString error = copyInChunks(in, out, length, chunk); !error.isEmpty()) {
    return error;
  }
  if (!out.commit()) return writeFailed(out);
  Sucessfull = true;
  SecondsTaken = std::lround(clock.elapsed() / 1000.0);
  return QString();
}
