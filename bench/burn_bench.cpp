// Times the disc writers beside the plain tools on the same input, side by
// side in one run (the best of three turns each), and prints each ratio of
// wall time (ours / reference):
//   600 MB data disc (60 files) to a stdio: image  vs  xorriso -as mkisofs -J -o
//   70-minute audio-CD image from 14 WAV items     vs  cat of the WAV files (the I/O floor)
// Targets: <= 1.1 and <= 1.5. Each race is then checked: the two data images
// hold the same files, and the audio image's tracks are the items' samples.
// Needs xorriso (installed for the tests).
// Usage: burn_bench [folder for the files, default a temporary one]
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>

#include "bench/BenchSupport.h"
#include "bench/DiscCompare.h"
#include "platform/burn/cAudioBurner.h"
#include "platform/burn/cAudioDataBurner.h"

namespace {
bool WriteFile(const QString& path, const QByteArray& head, const QByteArray& body) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.write(body) == body.size();
}

// A WAV of a sweep, 44.1 kHz 16-bit stereo.
bool WriteWav(const QString& path, int seconds) {
  const qint64 frames = 44100LL * seconds;
  QByteArray data(int(frames * 4), '\0');
  auto* p = reinterpret_cast<int16_t*>(data.data());
  for (qint64 n = 0; n < frames; ++n) {
    const double t = double(n) / 44100;
    p[2 * n] = int16_t(9000 * std::sin(2 * M_PI * 440 * t));
    p[2 * n + 1] = int16_t(9000 * std::sin(2 * M_PI * (200 + 20 * t) * t));
  }
  QByteArray h("RIFF");
  auto put32 = [&](quint32 v) { char c[4]; qToLittleEndian(v, c); h.append(c, 4); };
  auto put16 = [&](quint16 v) { char c[2]; qToLittleEndian(v, c); h.append(c, 2); };
  put32(quint32(36 + data.size()));
  h.append("WAVEfmt ");
  put32(16); put16(1); put16(2); put32(44100); put32(44100 * 4); put16(4); put16(16);
  h.append("data");
  put32(quint32(data.size()));
  return WriteFile(path, h, data);
}



// The best of three turns of each, taken in turn (reference, ours, ...), so
// that a busy moment of the machine hits both alike; clean() removes the
// outputs before each turn, so the last turn's stay to be compared.
std::pair<double, double> Race(const std::function<bool()>& reference, const std::function<bool()>& ours,
                               const std::function<void()>& clean) {
  double best[2] = {1e9, 1e9};
  for (int turn = 0; turn < 3; ++turn) {
    clean();
    best[0] = std::min(best[0], TimeAfterSync(reference));
    best[1] = std::min(best[1], TimeAfterSync(ours));
  }
  return {best[0], best[1]};
}

// "" when the audio image holds the WAV items' samples as its tracks, in
// order, with the silent 2-second pregaps between them (every item fills
// whole sectors), else what differs.
QString AudioDifference(const QString& bin, const QStringList& wavs) {
  constexpr qint64 kWavHeader = 44, kPregapBytes = 150 * 2352;
  QFile image(bin);
  if (!image.open(QIODevice::ReadOnly)) return "the image cannot be read";
  for (int i = 0; i < wavs.size(); ++i) {
    QFile wav(wavs[i]);
    if (!wav.open(QIODevice::ReadOnly) || !wav.seek(kWavHeader)) return "an item cannot be read";
    if (i > 0 && image.read(kPregapBytes) != QByteArray(kPregapBytes, 0))
      return QString("pregap %1 differs").arg(i + 1);
    if (image.read(wav.size() - kWavHeader) != wav.readAll()) return QString("track %1 differs").arg(i + 1);
  }
  return image.atEnd() ? QString() : QString("the image is longer than its tracks");
}

bool RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, args);
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Serves events, sleeping between them as the program does, until the write ends.
template <typename Burner>
bool WaitForEnd(Burner& b, void (Burner::*finished)()) {
  QEventLoop loop;
  bool ok = false;
  QObject::connect(&b, finished, &loop, [&] {
    ok = true;
    loop.quit();
  });
  QObject::connect(&b, &Burner::Error, &loop, [&](long, const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    loop.quit();
  });
  loop.exec();
  return ok;
}

void Report(const char* what, double ours, double reference, double target) {
  std::printf("%-44s ours %7.2f s  reference %7.2f s  ratio %.2f (target <= %.1f)\n", what, ours, reference,
              ours / reference, target);
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir temp(argc > 1 ? QString(argv[1]) + "/burn_bench-XXXXXX" : QString());
  const QString root = temp.path();
  const QString files = root + "/files", out = root + "/out";
  QDir().mkpath(files);
  QDir().mkpath(out);
  const QString iso = out + "/data.iso", cue = out + "/audio.cue";
  qputenv("TESSORY_CD_IMAGES", (iso + ":" + cue).toLocal8Bit());

  // 600 MB of data in 60 files: random bytes, so nothing compresses or dedups.
  QRandomGenerator g(7);
  QStringList data;
  for (int i = 0; i < 60; ++i) {
    QByteArray body(10 * 1000 * 1000, 0);
    g.fillRange(reinterpret_cast<quint32*>(body.data()), body.size() / 4);
    data << files + QString("/file %1.mp3").arg(i, 2, 10, QChar('0'));
    if (!WriteFile(data.last(), {}, body)) return 1;
  }
  const auto [xorriso, dataOurs] = Race([&] {
    return RunTool("xorriso", {"-as", "mkisofs", "-quiet", "-J", "-o", out + "/ref.iso", files});
  }, [&] {
    cAudioDataBurner b;
    for (const QString& f : data) b.AddFile(f);
    b.SetVolumeLabel("Bench");
    b.Burn(b.GetDriveName(1).left(1), 65535);
    return WaitForEnd(b, &cAudioDataBurner::Finished);
  }, [&] {
    QFile::remove(out + "/ref.iso");
    QFile::remove(iso);
  });
  Report("600 MB data disc to a stdio: image", dataOurs, xorriso, 1.1);
  DiscCompare::ReportSame("600 MB data disc: the two images",
                          DiscCompare::DataDiscDifference(iso, out + "/ref.iso", root));
  QFile::remove(out + "/ref.iso");
  QFile::remove(iso);
  QDir(files).removeRecursively();
  QDir().mkpath(files);

  // 70 minutes of CD audio in 14 WAV items of 5 minutes.
  QStringList wavs;
  for (int i = 0; i < 14; ++i) {
    wavs << files + QString("/track%1.wav").arg(i + 1, 2, 10, QChar('0'));
    if (!WriteWav(wavs.last(), 300)) return 1;
  }
  const auto [cat, audioOurs] = Race([&] {
    return RunTool("sh", QStringList{"-c", "cat \"$@\" > \"$0\"", out + "/cat.bin"} + wavs);
  }, [&] {
    cAudioBurner b;
    for (const QString& w : wavs) b.AddTrack(w);
    b.Burn(b.GetDriveName(1).left(1), 65535);
    return WaitForEnd(b, &cAudioBurner::Finished);
  }, [&] {
    QFile::remove(out + "/cat.bin");
    QFile::remove(cue);
    QFile::remove(out + "/audio.bin");
  });
  Report("70-minute audio-CD image from WAV items", audioOurs, cat, 1.5);
  DiscCompare::ReportSame("70-minute audio CD: its tracks and the items", AudioDifference(out + "/audio.bin", wavs));
  return 0;
}
