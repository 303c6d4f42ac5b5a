// How soon a conversion stops after Abort, in every output format, beside
// ffmpeg stopped by SIGTERM while it encodes the same input (a converter
// stopping on request). Ours is timed from AbortConvert to the Aborted event,
// ffmpeg from the signal to its exit. The slowest APE level is stopped while
// a frame of 27 s of audio is being coded. Target: every abort within 1 s.
//   abort_bench        (needs ffmpeg)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "platform/audio/cAudioConverter.h"

namespace {
constexpr double kTargetMs = 1000;

struct AbortCase {
  const char* name;
  long dest, apeLevel, atPercent, pauseMs;
};

// Milliseconds from AbortConvert to the Aborted event; -1 when the job ended otherwise.
double OursMs(const AbortCase& ac, const QString& in, const QString& out) {
  cAudioConverter c;
  c.SetDestinationFormat(ac.dest);
  c.SetAcmFormat("IMA ADPCM", "44100 Hz, 4 Bit, Stereo");
  c.SetApeLevel(ac.apeLevel);
  c.SetInputFile(in);
  c.SetOutputFile(out);
  QElapsedTimer t;
  bool aborted = false, ended = false;
  double ms = -1;
  QObject::connect(&c, &cAudioConverter::Progress, [&](long percent) {
    if (aborted || percent < ac.atPercent) return;
    QThread::msleep(ac.pauseMs);
    aborted = true;
    t.start();
    c.AbortConvert();
  });
  QObject::connect(&c, &cAudioConverter::Aborted, [&] {
    ms = t.nsecsElapsed() / 1e6;
    ended = true;
  });
  QObject::connect(&c, &cAudioConverter::Done, [&] { ended = true; });
  QObject::connect(&c, &cAudioConverter::Error, [&] { ended = true; });
  c.StartConvert();
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return ms;
}

// Milliseconds from SIGTERM to the exit of ffmpeg encoding the input to MP3.
double FfmpegMs(const QString& in, const QString& out) {
  QProcess p;
  p.start("ffmpeg", {"-v", "quiet", "-y", "-i", in, "-c:a", "libmp3lame", out});
  if (!p.waitForStarted()) return -1;
  p.waitForFinished(300);
  QElapsedTimer t;
  t.start();
  p.terminate();
  p.waitForFinished(-1);
  return t.nsecsElapsed() / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  setvbuf(stdout, nullptr, _IOLBF, 0);
  QTemporaryDir tmp;
  const QString in = tmp.path() + "/in.wav";
  QProcess gen;
  gen.start("ffmpeg", {"-v", "quiet", "-f", "lavfi", "-i", "sine=frequency=440:duration=60", "-ac", "2", in});
  if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
    fprintf(stderr, "ffmpeg cannot make the input\n");
    return 1;
  }
  const double reference = FfmpegMs(in, tmp.path() + "/ref.mp3");
  printf("ffmpeg stopped by SIGTERM: %.1f ms; target: every abort within %.0f ms\n", reference, kTargetMs);
  const AbortCase cases[] = {{"WAV", DestWav, 0, 2, 0},      {"ACM", DestAcm, 0, 2, 0},
                             {"MP3", DestMp3, 0, 2, 0},      {"WMA", DestWma, 0, 2, 0},
                             {"OGG", DestOgg, 0, 2, 0},      {"APE fast", DestApe, 0, 2, 0},
                             {"APE slow", DestApe, 4, 44, 100}};
  bool missed = false;
  for (const AbortCase& ac : cases) {
    const double ms = OursMs(ac, in, tmp.path() + "/out.bin");
    const bool ok = ms >= 0 && ms <= kTargetMs;
    missed = missed || !ok;
    printf("%-10s abort %8.1f ms  ratio to ffmpeg %6.2f  %s\n", ac.name, ms, ms / reference, ok ? "ok" : "MISSED");
  }
  return missed ? 1 : 0;
}
