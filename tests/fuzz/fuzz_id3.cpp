// Feeds arbitrary bytes to the ID3v2 and ID3v1 readers as a whole file, then
// writes a tag into a copy of the bytes and reads it back.
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "tags/cMP3ID3v1.h"
#include "tags/cMP3ID3v2.h"

namespace {
QTemporaryDir* g_dir = nullptr;

void readBoth(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  cMP3ID3v2 v2;
  v2.ReadTag(buffer);
  for (long i = 1; i <= v2.FrameCount(); ++i) v2.TagsInFrame(v2.Frame(i));
  (void)(v2.Title() + v2.Comment() + v2.Lyrics() + v2.OtherGenreName() + v2.LinkTo());
  cMP3ID3v1 v1;
  v1.ReadTag(buffer);
}

void writeAndReread(const QByteArray& bytes) {
  const QString path = g_dir->path() + "/f.mp3";
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
  f.close();
  cMP3ID3v2 v2;
  v2.SetMP3File(path);
  v2.SetTitle(v2.Title() + "\u00e9\u65e5");
  v2.Update();
  v2.SetMP3File(path);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  new QCoreApplication(*argc, *argv);
  g_dir = new QTemporaryDir(QStringLiteral("/dev/shm/fuzz_id3-XXXXXX"));
  if (!g_dir->isValid()) g_dir = new QTemporaryDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  readBoth(bytes);
  writeAndReread(bytes);
  return 0;
}
