// APE encoder speed: ten minutes and one hour of generated stereo 16-bit
// 44.1 kHz audio, read from a WAV file and written to APE at "Normal" (level
// 2000) on every core, timed beside `flac -8` on the same WAV (a peer doing
// the same job: a lossless file from a WAV). The target is ours/flac at most
// 0.4 on 8 cores for each length. The same encode on one thread must give the
// same bytes, and FFmpeg must decode the file to the input's samples.
// Threads: a job per core (and two more) worked ahead into APE, each coding
// its frames on the cores it can get, must keep the process within two
// threads per core and eight more; an APE file written alone must code on
// every core.
//   ape_bench [minutes...]     (default 10 60)
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <atomic>
#include <thread>

#include "backend/audio/ApeEncoder.h"
#include "backend/audio/ThreadBudget.h"
#include "backend/audio/WorkAhead.h"
#include "bench/BenchSupport.h"

namespace {
constexpr int kRate = 44100;
constexpr int kLevel = 2000;  // "Normal"
constexpr int kPieceSeconds = 600;
constexpr double kTarget = 0.4;
constexpr int kHeaderBytes = 44;

// Ten minutes of two voices of drifting tones with a slow envelope over
// filtered noise, different per channel: compresses roughly like music. Longer
// inputs repeat it.
QByteArray MakePiece() {
  const qint64 blocks = qint64(kRate) * kPieceSeconds;
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
      out[n * 2 + c] = qToLittleEndian(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767)));
    }
  }
  return pcm;
}

// The WAV holds the piece pieces times; returns the MD5 of its samples.
QByteArray WriteWav(const QString& path, const QByteArray& piece, int pieces) {
  const quint32 dataBytes = quint32(piece.size()) * quint32(pieces);
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
  put32(dataBytes);
  qToLittleEndian(quint32(h.size() - 8) + dataBytes, h.data() + 4);
  QFile f(path);
  QCryptographicHash md5(QCryptographicHash::Md5);
  bool ok = f.open(QIODevice::WriteOnly) && f.write(h) == h.size();
  for (int i = 0; ok && i < pieces; ++i) {
    ok = f.write(piece) == piece.size();
    md5.addData(piece);
  }
  if (!ok || !f.flush()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
  return md5.result().toHex();
}

bool Run(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
  if (output) *output = p.readAllStandardOutput();
  return true;
}

// The WAV's samples in one-second pieces, as the converter hands them over.
bool EncodeApe(const QString& wav, const QString& ape) {
  QFile in(wav);
  if (!in.open(QIODevice::ReadOnly) || !in.seek(kHeaderBytes)) return false;
  ApeEncoder enc;
  QString error;
  bool ok = enc.Open(ape, kRate, 2, 16, kLevel, &error);
  while (ok && !in.atEnd()) {
    const QByteArray pcm = in.read(kRate * 4);
    ok = !pcm.isEmpty() && enc.Write(pcm.constData(), pcm.size() / 4, &error);
  }
  ok = ok && enc.Finish({{"Title", "Bench"}}, &error);
  if (!ok) std::fprintf(stderr, "APE: %s\n", qPrintable(error));
  return ok;
}

// CPU seconds of this process (every thread) or of its finished children.
double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Wall and CPU seconds of one side; other programs on the machine show as
// CPU seconds below cores x wall seconds.
Timing Timed(int who, const std::function<bool()>& run) {
  const double cpu = CpuSeconds(who);
  const double wall = TimeAfterSync(run);
  return {wall, CpuSeconds(who) - cpu};
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}


int ThreadsNow() { return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

// The most threads the process had while run ran (the counting one included).
int PeakThreads(const std::function<void()>& run) {
  std::atomic<bool> done{false};
  std::atomic<int> most{0};
  std::thread watch([&] {
    while (!done) most = std::max(most.load(), ThreadsNow());
  });
  run();
  done = true;
  watch.join();
  return most;
}

std::shared_ptr<AheadJob> ApeJob(const QString& wav, const QString& ape) {
  AudioJobSettings settings;
  settings.destinationFormat = DestApe;
  settings.apeLevel = kLevel / 1000 - 1;
  settings.outputFile = ape;
  auto job = FileJob(settings, wav);
  job->temp = HiddenTemp(ape);
  return job;
}

// Jobs worked ahead, each taken in turn as the converter does.
bool WorkAhead(const QString& wav, const QString& dir, int jobs) {
  WorkAheadPool pool;
  std::vector<std::shared_ptr<AheadJob>> queued;
  for (int i = 0; i < jobs; ++i) {
    queued.push_back(ApeJob(wav, dir + QString("/ahead%1.ape").arg(i)));
    pool.Add(queued.back());
  }
  bool ok = true;
  for (const auto& job : queued) {
    bool claimed = false;
    if (pool.Take(*job, &claimed) != job) return false;
    if (claimed)
      job->Run([](int, int) {});
    else
      job->Follow([](int, int) {});
    ok = ok && job->Outcome().code == 0;
    job->temp.Remove();
  }
  return ok;
}

// Speed beside flac, bytes beside a one-thread encode, samples through FFmpeg.
bool CompareSpeed(const QString& dir, const QByteArray& piece, int minutes) {
  const int pieces = (minutes * 60 + kPieceSeconds - 1) / kPieceSeconds;
  const double seconds = double(pieces) * kPieceSeconds;
  const QString wav = dir + "/in.wav", ape = dir + "/out.ape", one = dir + "/one.ape", flac = dir + "/out.flac";
  const QByteArray pcmMd5 = WriteWav(wav, piece, pieces);
  const double wavBytes = double(QFileInfo(wav).size());
  const unsigned cores = std::thread::hardware_concurrency();
  std::printf("%.0f minutes of stereo 16-bit 44.1 kHz WAV (%.0f MB), %u cores; target: APE \"Normal\" / flac -8 "
              "<= %.2f on 8 cores\n",
              seconds / 60, wavBytes / 1e6, cores, kTarget);

  const Timing flacTime = Timed(RUSAGE_CHILDREN, [&] { return Run("flac", {"-8", "-s", "-f", "-o", flac, wav}); });
  const Timing apeTime = Timed(RUSAGE_SELF, [&] { return EncodeApe(wav, ape); });
  qputenv("TESSORY_APE_THREADS", "1");
  const Timing oneTime = Timed(RUSAGE_SELF, [&] { return EncodeApe(wav, one); });
  qunsetenv("TESSORY_APE_THREADS");

  const bool same = ReadAll(ape) == ReadAll(one);
  QByteArray decoded;
  const bool exact = Run("ffmpeg", {"-v", "error", "-i", ape, "-f", "md5", "-"}, &decoded) &&
                     decoded.trimmed() == "MD5=" + pcmMd5;
  auto line = [&](const char* what, const Timing& t, const QString& file) {
    std::printf("%-26s %8.2f s (CPU %7.2f s) %7.0f x realtime %7.1f%% of the WAV\n", what, t.wall, t.cpu,
                seconds / t.wall, 100 * double(QFileInfo(file).size()) / wavBytes);
  };
  line("flac -8", flacTime, flac);
  line("APE Normal, every core", apeTime, ape);
  line("APE Normal, one thread", oneTime, one);
  const double ratio = apeTime.wall / flacTime.wall;
  std::printf("ratio APE/flac %.3f (target <= %.2f%s) %s\n", ratio, kTarget, cores == 8 ? "" : ", set for 8 cores",
              ratio <= kTarget ? "ok" : "MISSED");
  std::printf("one thread / every core: %.2f; cores busy on average: %.1f\n", oneTime.wall / apeTime.wall,
              apeTime.cpu / apeTime.wall);
  std::printf("bytes equal to the one-thread encode: %s\n", same ? "yes" : "NO, MISSED");
  std::printf("FFmpeg decodes the input's samples: %s\n\n", exact ? "yes" : "NO, MISSED");
  for (const QString& f : {wav, ape, one, flac}) QFile::remove(f);
  return same && exact;
}

// Threads of a work-ahead run of APE jobs, and of one APE file alone.
bool CompareThreads(const QString& dir, const QByteArray& piece) {
  const QString wav = dir + "/threads.wav";
  WriteWav(wav, piece.left(piece.size() / 10), 1);  // one minute
  const int cores = ThreadBudget::Cores();
  const int budget = 2 * cores + 8;
  const int before = ThreadsNow();
  bool ok = true;
  const int ahead = PeakThreads([&] { ok = WorkAhead(wav, dir, cores + 2); });
  const int alone = PeakThreads([&] { ok = EncodeApe(wav, dir + "/alone.ape") && ok; });
  std::printf("threads, %d APE jobs worked ahead: peak %d (target <= 2 x %d cores + 8 = %d) %s\n", cores + 2, ahead,
              cores, budget, ahead <= budget ? "ok" : "MISSED");
  // Beside the caller's thread and the counting one, a coder for every other core.
  const int coders = alone - before - 1;
  std::printf("threads, one APE file alone: %d coders beside the caller (target %d: every core) %s\n", coders,
              cores - 1, coders >= cores - 1 ? "ok" : "MISSED");
  QFile::remove(wav);
  return ok;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<int> lengths;
  for (int i = 1; i < argc; ++i) lengths.push_back(std::max(10, std::atoi(argv[i])));
  if (lengths.empty()) lengths = {10, 60};
  QTemporaryDir dir;
  const QByteArray piece = MakePiece();
  bool ok = CompareThreads(dir.path(), piece);
  std::printf("\n");
  for (int minutes : lengths) ok = CompareSpeed(dir.path(), piece, minutes) && ok;
  return ok ? 0 : 1;
}
