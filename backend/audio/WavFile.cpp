#include "backend/audio/WavFile.h"

#include <QFile>
#include <QtEndian>

#include "backend/audio/FormatLimits.h"

namespace {
uint32_t le32(const char* p) { return qFromLittleEndian<uint32_t>(p); }
uint16_t le16(const char* p) { return qFromLittleEndian<uint16_t>(p); }

void put32(QByteArray& out, uint32_t v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}
void put16(QByteArray& out, uint16_t v) {
  char b[2];
  qToLittleEndian(v, b);
  out.append(b, 2);
}

bool fail(QString* error, const QString& text) {
  *error = text;
  return false;
}
}  // namespace

namespace WavFile {
bool ReadChunks(QIODevice& file, WavLayout* layout) {
  const qint64 size = file.size();
  char riff[12];
  if (!file.seek(0) || file.read(riff, 12) != 12 || memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
    return false;
  WavLayout l;
  bool haveFormat = false;
  for (qint64 pos = 12; pos + 8 <= size;) {
    char head[8];
    if (!file.seek(pos) || file.read(head, 8) != 8) return false;
    const qint64 length = le32(head + 4);
    if (memcmp(head, "fmt ", 4) == 0 && length >= 16) {
      char fmt[16];
      if (file.read(fmt, 16) != 16) return false;
      l.formatTag = le16(fmt);
      l.channels = le16(fmt + 2);
      l.sampleRate = int(le32(fmt + 4));
      l.byteRate = int(le32(fmt + 8));
      l.blockAlign = le16(fmt + 12);
      l.bits = le16(fmt + 14);
      haveFormat = true;
    } else if (memcmp(head, "data", 4) == 0) {
      l.dataOffset = pos + 8;
      const qint64 rest = size - l.dataOffset;
      l.dataBytes = length == 0 || length > rest ? rest : length;
      break;
    }
    pos += 8 + length + (length & 1);
  }
  if (!haveFormat || l.dataOffset == 0) return false;
  *layout = l;
  return true;
}

bool ReadLayout(QIODevice& file, WavLayout* layout, QString* error) {
  WavLayout l;
  if (!ReadChunks(file, &l)) return fail(error, "The file is not a WAV file or has no format or no data.");
  const bool pcm = l.formatTag == 1 || l.formatTag == 0xFFFE;
  if (!pcm || (l.bits != 8 && l.bits != 16) || l.channels > 2 || !PlausibleFormat(l.sampleRate, l.channels) ||
      l.blockAlign != l.channels * l.bits / 8)
    return fail(error, "Only 8- and 16-bit PCM WAV files of one or two channels can be opened.");
  *layout = l;
  return true;
}

bool ReadLayout(const QString& path, WavLayout* layout, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(error, "The file " + path + " cannot be opened.");
  return ReadLayout(file, layout, error);
}

QByteArray Header(int channels, int sampleRate, int bits, uint32_t dataBytes) {
  const int align = channels * bits / 8;
  QByteArray out("RIFF");
  put32(out, 36 + dataBytes);
  out.append("WAVEfmt ");
  put32(out, 16);
  put16(out, 1);
  put16(out, uint16_t(channels));
  put32(out, uint32_t(sampleRate));
  put32(out, uint32_t(sampleRate * align));
  put16(out, uint16_t(align));
  put16(out, uint16_t(bits));
  out.append("data");
  put32(out, dataBytes);
  return out;
}

bool WriteSizes(QIODevice& file, uint32_t dataBytes) {
  char riff[4], data[4];
  qToLittleEndian(36 + dataBytes, riff);
  qToLittleEndian(dataBytes, data);
  return file.seek(4) && file.write(riff, 4) == 4 && file.seek(40) && file.write(data, 4) == 4 &&
         file.seek(file.size());
}
}  // namespace WavFile
