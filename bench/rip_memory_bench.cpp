// Memory of ripping ahead: the peak resident memory of a rip of every track to
// MP3 128 kbit/s on 8 workers minus that of the same rip on one worker (which
// reads and encodes track by track), on a generated 70-minute disc image (14
// tracks of 5 minutes) and on one of a single 74-minute track. Each rip runs
// in a process of its own, driven as the ripper window drives the control:
// every track's read place reserved, every track queued ahead, then ripped in
// turn. Target: at most 160 MB over one worker on either disc.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/BenchDisc.h"
#include "bench/BenchSupport.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cd/cAudioCDRipper.h"

namespace {
constexpr double kTargetMb = 160;

// The process's peak resident memory in MB, from the kernel's own count.
double PeakMb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
  return -1;
}

// Rips every track of the last drive's disc into out on that many workers;
// prints the peak memory, or nothing when a rip failed.
int RipInThisProcess(const QString& out, int workers) {
  cAudioConverter::SetWorkAheadThreads(workers);
  cAudioCDRipper ripper;
  const long device = ripper.GetDeviceCount() - 1;
  if (!ripper.SelectDevice(device)) return 1;
  Mp3FormatRecord mp3;
  mp3.Bitrate = 128, mp3.SampleRate = 44100, mp3.Mode = 1, mp3.Quality = 5, mp3.WriteVbrTag = -1;
  ripper.SetDestinationFormat(DestMp3);
  ripper.SetMp3Format(mp3);
  ripper.SetDeviceIndex(device);
  QDir().mkpath(out);
  const long tracks = ripper.GetTrackCount();
  auto setUp = [&](long track) {
    ripper.SetTrackNumber(track);
    ripper.SetOutputFile(QString("%1/track%2.mp3").arg(out).arg(track, 2, 10, QChar('0')));
  };
  for (long t = 1; t <= tracks; ++t) ripper.ReserveReadTurn(t);
  for (long t = 1; t <= tracks; ++t) {
    setUp(t);
    if (!ripper.PrepareAhead()) break;
  }
  long track = 1;
  bool ended = false, failed = false;
  QObject::connect(&ripper, &cAudioCDRipper::Done, [&] {
    if (++track > tracks) {
      ended = true;
      return;
    }
    setUp(track);
    ripper.RipTrack();
  });
  QObject::connect(&ripper, &cAudioCDRipper::Error, [&](long, const QString& text) {
    fprintf(stderr, "error: %s\n", qPrintable(text));
    ended = failed = true;
  });
  setUp(track);
  ripper.RipTrack();
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  ripper.EndWorkAhead();
  if (failed) return 1;
  printf("%.1f\n", PeakMb());
  return 0;
}

// The peak of a rip in a process of its own.
double PeakOfRip(const QString& cue, const QString& out, int workers) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TESSORY_CD_IMAGES", cue);
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(), {"--rip", out, QString::number(workers)});
  if (!child.waitForFinished(-1) || child.exitCode() != 0) {
    fprintf(stderr, "the rip on %d workers failed\n", workers);
    std::exit(1);
  }
  QDir(out).removeRecursively();
  return child.readAllStandardOutput().trimmed().toDouble();
}

void Compare(const char* what, const QString& dir, int tracks, int trackSeconds) {
  const QString cue = WriteBenchImage(dir, tracks, trackSeconds);
  const double one = PeakOfRip(cue, dir + "/out", 1);
  const double many = PeakOfRip(cue, dir + "/out", 8);
  QFile::remove(dir + "/disc.bin");
  printf("%-32s peak 8 workers %7.1f MB, 1 worker %7.1f MB, over one %7.1f MB | target %.0f MB %s\n", what, many,
         one, many - one, kTargetMb, many - one <= kTargetMb ? "ok" : "MISSED");
}
}  // namespace

// Arguments pick the discs (disc long); none runs both.
int main(int argc, char** argv) {
  if (argc == 4 && QByteArray(argv[1]) == "--rip") {
    QCoreApplication app(argc, argv);
    return RipInThisProcess(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
  }
  // The ripper's spill folder lives in the program folder: a temporary home.
  QTemporaryDir home;
  UseProgramHome(home.path());
  QCoreApplication app(argc, argv);
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const QStringList picked = app.arguments().mid(1);
  auto wanted = [&](const char* name) { return picked.isEmpty() || picked.contains(name); };
  if (wanted("disc")) Compare("70-minute disc, 14 tracks to MP3", home.path(), 14, 300);
  if (wanted("long")) Compare("one 74-minute track to MP3", home.path(), 1, 74 * 60);
  return 0;
}
