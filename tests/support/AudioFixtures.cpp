#include "AudioFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "backend/audio/SdlPlayback.h"

namespace AudioFixtures {

QByteArray RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LANG", "C.UTF-8");  // xorriso names files in the locale's character set
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(60000);
  return p.readAllStandardOutput();
}

namespace {

void Put16(QByteArray& b, quint16 v) {
  char c[2];
  qToLittleEndian(v, c);
  b.append(c, 2);
}
void Put32(QByteArray& b, quint32 v) {
  char c[4];
  qToLittleEndian(v, c);
  b.append(c, 4);
}
}  // namespace

QString WriteWav(const QString& path, int rate, int channels, int bits, double seconds, Signal signal) {
  const qint64 frames = qint64(std::llround(seconds * rate));
  QByteArray data;
  data.reserve(int(frames * channels * bits / 8));
  for (qint64 n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      double v = 0;
      if (signal == Signal::Sine) v = 0.5 * std::sin(2 * M_PI * (440.0 + 220 * c) * double(n) / rate);
      int s16 = signal == Signal::Ramp ? int(n % 30000) : int(std::lround(v * 32767));
      if (bits == 8) {
        data.append(char(uint8_t((s16 >> 8) + 128)));
      } else if (bits == 16) {
        Put16(data, quint16(int16_t(s16)));
      } else {
        const int s24 = signal == Signal::Ramp ? s16 << 8 : int(std::lround(v * 8388607));
        for (int shift : {0, 8, 16}) data.append(char(s24 >> shift));
      }
    }
  }
  QByteArray out("RIFF");
  Put32(out, quint32(36 + data.size()));
  out.append("WAVEfmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, quint16(channels));
  Put32(out, quint32(rate));
  Put32(out, quint32(rate * channels * bits / 8));
  Put16(out, quint16(channels * bits / 8));
  Put16(out, quint16(bits));
  out.append("data");
  Put32(out, quint32(data.size()));
  out.append(data);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(out);
  return path;
}

QString WriteVox(const QString& path, double seconds) {
  static const int steps[49] = {16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,  45,  50,  55,  60,  66,  73,
                                80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371,
                                408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
  static const int indexShift[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
  int predictor = 0, index = 0;
  auto encode = [&](int sample12) {
    const int step = steps[index];
    int diff = sample12 - predictor;
    int nibble = diff < 0 ? 8 : 0;
    diff = std::abs(diff);
    if (diff >= step) nibble |= 4, diff -= step;
    if (diff >= step / 2) nibble |= 2, diff -= step / 2;
    if (diff >= step / 4) nibble |= 1;
    const int delta = ((2 * (nibble & 7) + 1) * step) >> 3;
    predictor = std::clamp(predictor + ((nibble & 8) ? -delta : delta), -2048, 2047);
    index = std::clamp(index + indexShift[nibble & 7], 0, 48);
    return nibble;
  };
  QByteArray data;
  const int frames = int(seconds * 8000) & ~1;
  for (int n = 0; n < frames; n += 2) {
    auto s12 = [](int i) { return int(std::lround(1000 * std::sin(2 * M_PI * 440.0 * i / 8000))); };
    const int high = encode(s12(n));
    data.append(char(high << 4 | encode(s12(n + 1))));
  }
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(data);
  return path;
}

QString Encode(const QString& input, const QString& output, const QStringList& args) {
  RunTool("ffmpeg", QStringList{"-v", "error", "-y", "-i", input} + args + QStringList{output});
  return output;
}

Probe ProbeFile(const QString& path) {
  const QByteArray json = RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,sample_rate,channels,sample_fmt:format_tags:stream_tags",
                                          "-of", "json", path});
  const QJsonObject root = QJsonDocument::fromJson(json).object();
  Probe p;
  const QJsonArray streams = root["streams"].toArray();
  if (streams.isEmpty()) return p;
  const QJsonObject s = streams[0].toObject();
  p.codec = s["codec_name"].toString();
  p.sampleRate = s["sample_rate"].toString().toInt();
  p.channels = s["channels"].toInt();
  p.sampleFormat = s["sample_fmt"].toString();
  for (const QJsonObject& tags : {s["tags"].toObject(), root["format"].toObject()["tags"].toObject()})
    for (auto it = tags.begin(); it != tags.end(); ++it) p.tags.insert(it.key().toLower(), it.value().toString());
  return p;
}

std::vector<int16_t> DecodePcm(const QString& path) {
  const QByteArray raw = RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-c:a", "pcm_s16le", "-"});
  std::vector<int16_t> pcm(size_t(raw.size()) / 2);
  if (!pcm.empty()) memcpy(pcm.data(), raw.constData(), pcm.size() * 2);
  return pcm;
}

Decoded DecodeExact(const QString& path, int bits) {
  const char* format = bits == 8 ? "u8" : bits == 16 ? "s16le" : "s24le";
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-xerror", "-err_detect", "crccheck+explode", "-i", path, "-f", format, "-"});
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

double Rms(const std::vector<int16_t>& pcm) {
  if (pcm.empty()) return 0;
  double sum = 0;
  for (int16_t s : pcm) sum += double(s) * s;
  return std::sqrt(sum / double(pcm.size()));
}

QStringList FilesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

DiskAudio::DiskAudio(const QString& dir, const QByteArray& input) {
  QFile in(dir + "/capture.raw");
  in.open(QIODevice::WriteOnly);
  in.write(input);
  in.close();
  qputenv("SDL_AUDIODRIVER", "disk");
  qputenv("SDL_DISKAUDIOFILEIN", (dir + "/capture.raw").toUtf8());
  qputenv("SDL_DISKAUDIOFILE", (dir + "/played.raw").toUtf8());
  qputenv("SDL_DISKAUDIODELAY", "2");
  SdlAudioRestart();
}

DiskAudio::~DiskAudio() {
  qputenv("SDL_AUDIODRIVER", "dummy");
  SdlAudioRestart();
}

NoAudio::NoAudio() {
  qputenv("SDL_AUDIODRIVER", "no-such-driver");
  SdlAudioRestart();
}

NoAudio::~NoAudio() {
  qputenv("SDL_AUDIODRIVER", "dummy");
  SdlAudioRestart();
}

const WavSizes kUntrustedWavSizes[3] = {
    {"data size 0", -1, 0}, {"data size past the end", -1, 0x7FFFFFF0}, {"RIFF size 0", 0, -1}};

QString SetWavSizes(const QString& path, const WavSizes& sizes) {
  QFile f(path);
  f.open(QIODevice::ReadWrite);
  QByteArray field;
  for (const auto& [offset, value] : {std::pair{4, sizes.riff}, std::pair{40, sizes.data}}) {
    if (value < 0) continue;
    field.clear();
    Put32(field, quint32(value));
    f.seek(offset);
    f.write(field);
  }
  return path;
}

QString WriteWavHeaderClaiming(const QString& path, uint32_t rate, int channels) {
  WriteWav(path, 8000, 1, 16, 1.0);
  QFile f(path);
  f.open(QIODevice::ReadWrite);
  QByteArray format;
  Put16(format, quint16(channels));
  Put32(format, rate);
  Put32(format, quint32(uint64_t(rate) * uint32_t(channels) * 2));
  Put16(format, quint16(channels * 2));
  f.seek(22);
  f.write(format);
  return path;
}

QByteArray Pattern(int bytes) {
  QByteArray b(bytes, Qt::Uninitialized);
  for (int i = 0; i < bytes; ++i) b[i] = char((i * 7 + i / 251) & 0xFF);
  return b;
}

}  // namespace AudioFixtures
