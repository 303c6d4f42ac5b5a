// Ripping speed beside cd-paranoia on the same generated 70-minute disc image
// (14 tracks of 5 minutes), side by side in one run, as ratios of wall time
// (ours / reference):
//   all tracks to WAV            vs  cd-paranoia -B (its default, full paranoia)
//   all tracks to MP3 128 kbit/s vs  cd-paranoia | lame -b 128 --cbr -q 5 -m j, track by track
// The ripper reads an image through paranoia as it reads a real drive, so
// both sides do the same checked reads. Needs the Debian packages cd-paranoia
// and lame.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench/BenchDisc.h"
#include "bench/BenchSupport.h"
#include "platform/cd/cAudioCDRipper.h"

namespace {
constexpr int kTracks = 14;
constexpr int kTrackSeconds = 300;

double Seconds(const std::function<void()>& work) {
  return TimeAfterSync([&] {
    work();
    return true;
  });
}

// Rips every track in turn, the next one started from the Done event as the
// ripper window does.
void RipAll(cAudioCDRipper& ripper, long device, const QString& out, const QString& ext) {
  QDir().mkpath(out);
  long track = 1;
  bool ended = false;
  auto start = [&] {
    ripper.SetDeviceIndex(device);
    ripper.SetTrackNumber(track);
    ripper.SetOutputFile(QString("%1/track%2.%3").arg(out).arg(track, 2, 10, QChar('0')).arg(ext));
    ripper.RipTrack();
  };
  auto a = QObject::connect(&ripper, &cAudioCDRipper::Done, [&] {
    if (++track > kTracks) ended = true; else start();
  });
  auto b = QObject::connect(&ripper, &cAudioCDRipper::Error, [&](long, const QString& text) {
    fprintf(stderr, "error: %s\n", qPrintable(text));
    ended = true;
  });
  start();
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QObject::disconnect(a);
  QObject::disconnect(b);
}

void Run(const QString& program, const QStringList& args, const QString& workDir) {
  QProcess p;
  p.setWorkingDirectory(workDir);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(program, args);
  if (!p.waitForFinished(-1) || p.exitCode() != 0) fprintf(stderr, "%s failed\n", qPrintable(program));
}

// cd-paranoia's WAV of one track on stdout, piped into lame.
void ParanoiaIntoLame(const QString& cue, int track, const QString& mp3) {
  QProcess reader, encoder;
  reader.setStandardOutputProcess(&encoder);
  reader.setStandardErrorFile(QProcess::nullDevice());
  encoder.setStandardErrorFile(QProcess::nullDevice());
  encoder.start("lame", {"--quiet", "-b", "128", "--cbr", "-q", "5", "-m", "j", "-", mp3});
  reader.start("cd-paranoia", {"-d", cue, QString::number(track), "-"});
  if (!reader.waitForFinished(-1) || !encoder.waitForFinished(-1) || encoder.exitCode() != 0)
    fprintf(stderr, "cd-paranoia | lame failed\n");
}

void Report(const char* what, double ours, double reference, double target) {
  printf("%-40s wall ours %7.2f s ref %7.2f s ratio %.3f | target %.2f %s\n", what, ours, reference,
         ours / reference, target, ours / reference <= target ? "ok" : "MISSED");
}
}  // namespace

// Arguments pick comparisons (wav mp3); none runs both.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const QStringList picked = app.arguments().mid(1);
  auto wanted = [&](const char* name) { return picked.isEmpty() || picked.contains(name); };
  QTemporaryDir tmp;
  const QString dir = tmp.path();
  const QString cue = WriteBenchImage(dir, kTracks, kTrackSeconds);
  qputenv("TESSORY_CD_IMAGES", cue.toLocal8Bit());
  cAudioCDRipper ripper;
  const long device = ripper.GetDeviceCount() - 1;
  printf("image: %d tracks, %d minutes, %.0f MB\n", kTracks, kTracks * kTrackSeconds / 60,
         double(QFile(dir + "/disc.bin").size()) / 1e6);

  if (wanted("wav")) {
    ripper.SetDestinationFormat(DestWav);
    ripper.SetWavFormat({44100, 2, 16});
    // Alternating runs, the best of each, so the page cache and a busy machine treat both alike.
    double ours = 1e9, ref = 1e9;
    for (int i = 0; i < 2; ++i) {
      ours = std::min(ours, Seconds([&] { RipAll(ripper, device, dir + "/ours", "wav"); }));
      QDir(dir + "/ref").removeRecursively();
      QDir().mkpath(dir + "/ref");
      ref = std::min(ref, Seconds([&] { Run("cd-paranoia", {"-d", cue, "-B", "1-"}, dir + "/ref"); }));
    }
    Report("70 min to WAV vs cd-paranoia", ours, ref, 1.0);
    QDir(dir + "/ours").removeRecursively();
    QDir(dir + "/ref").removeRecursively();
  }

  if (wanted("mp3")) {
    Mp3FormatRecord mp3;
    mp3.Bitrate = 128;
    mp3.SampleRate = 44100;
    mp3.Mode = 1;
    mp3.Quality = 5;
    mp3.WriteVbrTag = -1;
    ripper.SetDestinationFormat(DestMp3);
    ripper.SetMp3Format(mp3);
    const double ours = Seconds([&] { RipAll(ripper, device, dir + "/ours", "mp3"); });
    QDir().mkpath(dir + "/ref");
    const double ref = Seconds([&] {
      for (int t = 1; t <= kTracks; ++t) ParanoiaIntoLame(cue, t, QString("%1/ref/track%2.mp3").arg(dir).arg(t));
    });
    Report("70 min to MP3 128k vs cd-paranoia | lame", ours, ref, 1.05);
  }
  return 0;
}
