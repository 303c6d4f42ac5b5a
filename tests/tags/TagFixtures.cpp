#include "TagFixtures.h"

#include <QFile>

#include "backend/audio/MpegFrames.h"

namespace TagFixtures {

QByteArray Audio(int frames, uint32_t header) {
  MpegFrame stated;
  if (!ReadMpegHeader(header, &stated)) return {};
  QByteArray out;
  for (int f = 0; f < frames; ++f) {
    QByteArray frame;
    for (int shift : {24, 16, 8, 0}) frame.append(char(header >> shift));
    for (int i = 4; i < stated.bytes; ++i) frame.append(char((i * 7 + f * 13) & 0xFF));
    out += frame;
  }
  return out;
}

static QByteArray be32(uint32_t v) {
  QByteArray b;
  b.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
  return b;
}

static QByteArray synchsafe(uint32_t v) {
  QByteArray b;
  b.append(char((v >> 21) & 0x7F)).append(char((v >> 14) & 0x7F)).append(char((v >> 7) & 0x7F)).append(char(v & 0x7F));
  return b;
}

QByteArray Frame(const QByteArray& id, const QByteArray& body, int version, uint16_t flags) {
  QByteArray f = id + (version == 4 ? synchsafe(body.size()) : be32(body.size()));
  f.append(char(flags >> 8)).append(char(flags & 0xFF));
  return f + body;
}

QByteArray Tag(const QByteArray& frames, int version, int padding, uint8_t flags) {
  QByteArray t("ID3");
  t.append(char(version)).append('\0').append(char(flags));
  return t + synchsafe(frames.size() + padding) + frames + QByteArray(padding, '\0');
}

QByteArray LegacyTag(const QByteArray& frames) {
  const int length = 10 + frames.size() + 4;
  const int size = (length / 2048 + 1) * 2048;
  QByteArray t("ID3\x03\x00\x00", 6);
  t += be32(size) + frames;
  return t + QByteArray(size - t.size(), '\0');
}

QByteArray V1Block(const QByteArray& title, uint8_t track, uint8_t genre) {
  QByteArray b("TAG");
  b += title.leftJustified(30, '\0', true) + QByteArray(30 + 30 + 4 + 28, '\0');
  b.append('\0').append(char(track)).append(char(genre));
  return b;
}

QString Write(const QString& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir + "/" + name;
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
  return path;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

}  // namespace TagFixtures
