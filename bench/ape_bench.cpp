// APE encoder speed and size: a generated 10-minute stereo 16-bit 44.1 kHz
// WAV encoded at each level, timed against FFmpeg's decode of the result and
// sized beside `flac -8` on the same input.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "backend/audio/ApeEncoder.h"

namespace {
constexpr int kRate = 44100;
constexpr int kSeconds = 600;

// Two voices of drifting tones with a slow envelope over filtered noise,
// different per channel: compresses roughly like music.
QByteArray MakePcm() {
  const qint64 blocks = qint64(kRate) * kSeconds;
  QByteArray pcm(blocks * 4, Qt::Uninitialized);
  auto* out = reinterpret_cast<int16_t*>(pcm.data());
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0, 1);
  double lowpass[2] = {};
  for (qint64 n = 0; n < blocks; ++n) {
    const double t = double(n) / kRate;
    const double envelope = 0.55 + 0.35 * std::sin(2 * M_PI * t / 7.3);
    for (int c = 0; c < 2; ++c) {
      const double f = 220 * (1 + c * 0.5) * (1 + 0.01 * std::sin(2 * M_PI * t * 0.2));
      lowpass[c] = 0.9 * lowpass[c] + 0.1 * noise(random);
      const double v = envelope * (0.3 * std::sin(2 * M_PI * f * t) + 0.15 * std::sin(2 * M_PI * 2.01 * f * t) +
                                   0.05 * std::sin(2 * M_PI * 3.02 * f * t)) +
                       0.02 * lowpass[c];
      out[n * 2 + c] = int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
    }
  }
  return pcm;
}

void WriteWav(const QString& path, const QByteArray& pcm) {
  QByteArray h("RIFF....WAVEfmt ");
  auto put32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); h.append(b, 4); };
  auto put16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); h.append(b, 2); };
  put32(16);
  put16(1);
  put16(2);
  put32(kRate);
  put32(kRate * 4);
  put16(4);
  put16(16);
  h.append("data");
  put32(quint32(pcm.size()));
  qToLittleEndian(quint32(h.size() - 8 + pcm.size()), h.data() + 4);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h);
  f.write(pcm);
}

// Runs a program to its end; returns the seconds it took, or -1.
double Timed(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
  QProcess p;
  QElapsedTimer timer;
  timer.start();
  p.start(program, args);
  if (!p.waitForFinished(-1) || p.exitCode() != 0) return -1;
  const double seconds = timer.nsecsElapsed() / 1e9;
  if (output) *output = p.readAllStandardOutput();
  return seconds;
}

double EncodeApe(const QString& path, const QByteArray& pcm, int level) {
  ApeEncoder enc;
  QString error;
  QElapsedTimer timer;
  timer.start();
  bool ok = enc.Open(path, kRate, 2, 16, level, &error);
  for (qint64 at = 0; ok && at < pcm.size(); at += kRate * 4)  // one second per call, as the converter does
    ok = enc.Write(pcm.constData() + at, std::min<qint64>(kRate, (pcm.size() - at) / 4), &error);
  ok = ok && enc.Finish({{"Title", "Bench"}}, &error);
  if (!ok) std::fprintf(stderr, "level %d: %s\n", level, qPrintable(error));
  return ok ? timer.nsecsElapsed() / 1e9 : -1;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QByteArray pcm = MakePcm();
  const QString wav = dir.path() + "/in.wav";
  WriteWav(wav, pcm);
  const double wavBytes = double(QFileInfo(wav).size());
  const QByteArray pcmMd5 = QCryptographicHash::hash(pcm, QCryptographicHash::Md5).toHex();

  std::printf("10-minute stereo 16-bit 44.1 kHz WAV, %.1f MB\n\n", wavBytes / 1e6);
  std::printf("%-12s %9s %10s %12s %15s %9s %6s\n", "encoder", "encode s", "x realtime", "ffmpeg dec s",
              "encode/decode", "size", "exact");
  for (int level = 1000; level <= 5000; level += 1000) {
    const QString ape = dir.path() + QString("/out%1.ape").arg(level);
    const double encode = EncodeApe(ape, pcm, level);
    const double decode = Timed("ffmpeg", {"-v", "error", "-i", ape, "-f", "null", "-"});
    QByteArray md5;
    Timed("ffmpeg", {"-v", "error", "-i", ape, "-f", "md5", "-"}, &md5);
    const bool exact = md5.trimmed() == "MD5=" + pcmMd5;
    std::printf("APE %-8d %9.2f %10.1f %12.2f %15.2f %8.1f%% %6s\n", level, encode, kSeconds / encode, decode,
                encode / decode, 100 * QFileInfo(ape).size() / wavBytes, exact ? "yes" : "NO");
  }
  const QString flac = dir.path() + "/out.flac";
  const double flacEncode = Timed("flac", {"-8", "-s", "-f", "-o", flac, wav});
  const double flacDecode = Timed("ffmpeg", {"-v", "error", "-i", flac, "-f", "null", "-"});
  std::printf("%-12s %9.2f %10.1f %12.2f %15.2f %8.1f%% %6s\n", "flac -8", flacEncode, kSeconds / flacEncode,
              flacDecode, flacEncode / flacDecode, 100 * QFileInfo(flac).size() / wavBytes, "-");
  return 0;
}
