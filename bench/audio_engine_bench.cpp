// Times the audio engine beside the reference tools on the same input, side by
// side in one run, and prints each ratio (ours / reference):
//   MP3 128 kbit/s CBR        vs  lame -b 128 --cbr -q 5 -m j
//   OGG quality 5             vs  oggenc -q 5
//   WMA 128 kbit/s (wmav2)    vs  ffmpeg -c:a wmav2 -b:a 128k
//   probing 1,000 small files vs  ffprobe, one run per file
//   MP3 length count          vs  md5sum of the same file: 250 MB without a
//                                 length frame (LAME CBR frames, and tiny
//                                 Layer I frames), read warm on both sides
// Needs the reference commands: Debian packages lame, vorbis-tools, ffmpeg
// (installed for the benchmark only).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <sys/resource.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "bench/BenchSupport.h"
#include "platform/audio/cAudioConverter.h"

namespace {

void WriteSineWav(const QString& path, int rate, int seconds) {
  const qint64 frames = qint64(rate) * seconds;
  QByteArray data(int(frames * 4), '\0');
  auto* p = reinterpret_cast<int16_t*>(data.data());
  for (qint64 n = 0; n < frames; ++n) {
    // Two tones and a slow sweep, so the encoders have something to work on.
    const double t = double(n) / rate;
    p[2 * n] = int16_t(9000 * std::sin(2 * M_PI * 440 * t) + 4000 * std::sin(2 * M_PI * (200 + 50 * t) * t));
    p[2 * n + 1] = int16_t(9000 * std::sin(2 * M_PI * 660 * t) + 3000 * std::sin(2 * M_PI * 3000 * t));
  }
  QByteArray h("RIFF");
  auto put32 = [&](quint32 v) { char c[4]; qToLittleEndian(v, c); h.append(c, 4); };
  auto put16 = [&](quint16 v) { char c[2]; qToLittleEndian(v, c); h.append(c, 2); };
  put32(quint32(36 + data.size()));
  h.append("WAVEfmt ");
  put32(16); put16(1); put16(2); put32(quint32(rate)); put32(quint32(rate * 4)); put16(4); put16(16);
  h.append("data");
  put32(quint32(data.size()));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h);
  f.write(data);
}

struct Timing {
  double wall = 1e9;
  double cpu = 1e9;  // user + system, of this process or of the tools it ran
};

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

Timing Measure(const std::function<void()>& work, int who) {
  QElapsedTimer t;
  const double cpu = CpuSeconds(who);
  t.start();
  work();
  return {double(t.nsecsElapsed()) / 1e9, CpuSeconds(who) - cpu};
}

// Set when a reference tool did not run (not installed, or it failed): its
// line then compares nothing.
bool referenceFailed = false;

void RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, args);
  if (p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return;
  fprintf(stderr, "%s failed\n", qPrintable(program));
  referenceFailed = true;
}

// Runs one conversion to its end through the control, as the windows do.
void Convert(cAudioConverter& c, const QString& in, const QString& out) {
  bool ended = false;
  auto a = QObject::connect(&c, &cAudioConverter::Done, [&] { ended = true; });
  auto b = QObject::connect(&c, &cAudioConverter::Error, [&](long, const QString& text) {
    fprintf(stderr, "error: %s\n", qPrintable(text));
    ended = true;
  });
  c.SetInputFile(in);
  c.SetOutputFile(out);
  c.StartConvert();
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QObject::disconnect(a);
  QObject::disconnect(b);
}

// The best of a few alternating runs of each, so that a busy machine disturbs
// both sides alike. The target is judged on processor time, which other
// programs on the machine disturb least; wall time is shown beside it.
// byWall judges the wall time instead, for work bound by reading a file.
void Compare(const char* what, const std::function<void()>& ours, const std::function<void()>& reference,
             double target, int runs, bool byWall = false) {
  Timing o, r;
  referenceFailed = false;
  for (int i = 0; i < runs; ++i) {
    const Timing a = Measure(ours, RUSAGE_SELF);
    const Timing b = Measure(reference, RUSAGE_CHILDREN);
    o = {std::min(o.wall, a.wall), std::min(o.cpu, a.cpu)};
    r = {std::min(r.wall, b.wall), std::min(r.cpu, b.cpu)};
  }
  if (referenceFailed) {
    printf("%-32s the reference tool did not run: no comparison | MISSED\n", what);
    return;
  }
  const double cpuRatio = o.cpu / r.cpu;
  const double judged = byWall ? o.wall / r.wall : cpuRatio;
  printf("%-32s cpu ours %7.2f s ref %7.2f s ratio %.3f | wall ours %7.2f s ref %7.2f s ratio %.3f | target %s %.2f %s\n",
         what, o.cpu, r.cpu, cpuRatio, o.wall, r.wall, o.wall / r.wall, byWall ? "wall" : "cpu", target,
         judged <= target ? "ok" : "MISSED");
}

// A file of size bytes at least: one's bytes over and over.
void WriteRepeated(const QString& path, const QByteArray& one, qint64 size) {
  QFile f(path);
  bool ok = f.open(QIODevice::WriteOnly);
  for (qint64 written = 0; ok && written < size; written += one.size()) ok = f.write(one) == one.size();
  if (!ok) fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// Silent mono Layer I frames, MPEG-1 at 48 kHz and 32 kbit/s: 32 bytes and
// 8 ms each, the most frames a byte count can hold.
QByteArray TinyLayerOneFrames(int frames) {
  QByteArray frame(32, '\0');
  frame[0] = char(0xFF), frame[1] = char(0xFF), frame[2] = char(0x14), frame[3] = char(0xC0);
  return frame.repeated(frames);
}

// The length count of an MP3 stating no length against md5sum reading the
// same file; both read it warm (it was just written, and is read once before).
// The count must give the length the part repeated has, times the repeats.
void CompareMp3Count(const char* what, const QString& path, const QByteArray& part, int runs) {
  constexpr qint64 kSize = qint64(250) << 20;
  const QString one = path + ".part.mp3";
  WriteRepeated(one, part, part.size());
  WriteRepeated(path, part, kSize);
  const qint64 repeats = QFileInfo(path).size() / part.size();
  RunTool("md5sum", {path});
  // A converter of its own each time: one keeps the probe of a file unchanged.
  auto length = [](const QString& file) {
    cAudioConverter probe;
    return probe.OpenSource(file) == 0 ? probe.Duration() : -1;
  };
  const long partMs = length(one);
  long ms = -1;
  Compare(
      what, [&] { ms = length(path); }, [&] { RunTool("md5sum", {path}); }, 0.35, runs, true);
  const bool same = partMs > 0 && std::abs(double(ms) - double(partMs) * double(repeats)) <= double(repeats);
  printf("%-32s %ld ms counted, %lld x %ld ms %s\n", "", ms, repeats, partMs, same ? "ok" : "MISSED");
  QFile::remove(path);
}

}  // namespace

// Arguments pick comparisons (mp3 ogg wma mp3count probe); none runs all.
int main(int argc, char** argv) {
  OffscreenUnlessChosen();
  QApplication app(argc, argv);
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const QStringList picked = app.arguments().mid(1);
  auto wanted = [&](const char* name) { return picked.isEmpty() || picked.contains(name); };
  const int runs = 5;
  QTemporaryDir tmp;
  const QString dir = tmp.path();
  const QString wav = dir + "/ten_minutes.wav";
  WriteSineWav(wav, 44100, 600);
  cAudioConverter c;

  Mp3FormatRecord mp3;
  mp3.Bitrate = 128;
  mp3.SampleRate = 44100;
  mp3.Mode = 1;
  mp3.Quality = 5;
  mp3.WriteVbrTag = -1;
  c.SetDestinationFormat(DestMp3);
  c.SetMp3Format(mp3);
  if (wanted("mp3"))
    Compare(
        "MP3 128 kbit/s CBR vs lame", [&] { Convert(c, wav, dir + "/ours.mp3"); },
        [&] { RunTool("lame", {"--quiet", "-b", "128", "--cbr", "-q", "5", "-m", "j", wav, dir + "/ref.mp3"}); }, 1.05,
        runs);

  c.SetDestinationFormat(DestOgg);
  c.SetOggFormat({0, 0, 50});
  if (wanted("ogg"))
    Compare(
        "OGG quality 5 vs oggenc", [&] { Convert(c, wav, dir + "/ours.ogg"); },
        [&] { RunTool("oggenc", {"--quiet", "-q", "5", "-o", dir + "/ref.ogg", wav}); }, 1.05, runs);

  c.SetDestinationFormat(DestWma);
  int format128 = 0;
  while (!c.GetWmaFormatName(0, format128).startsWith("128 kbit/s, 44100 Hz, Stereo")) ++format128;
  c.SetWmaFormat({0, format128});
  if (wanted("wma"))
    Compare(
        "WMA 128 kbit/s vs ffmpeg", [&] { Convert(c, wav, dir + "/ours.wma"); },
        [&] { RunTool("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2", "-b:a", "128k", dir + "/ref.wma"}); },
        1.10, runs);
  if (wanted("mp3count")) {
    RunTool("lame", {"--quiet", "-t", "-b", "128", wav, dir + "/no_length.mp3"});
    QFile part(dir + "/no_length.mp3");
    part.open(QIODevice::ReadOnly);
    CompareMp3Count("MP3 length count vs md5sum", dir + "/count.mp3", part.readAll(), 3);
    CompareMp3Count("tiny Layer I count vs md5sum", dir + "/tiny.mp3", TinyLayerOneFrames(1 << 15), 3);
  }
  if (!wanted("probe")) return 0;

  // 1,000 small files: a quarter each of WAV, MP3, OGG and WMA.
  const QString small = dir + "/small.wav";
  WriteSineWav(small, 44100, 2);
  QStringList templates = {small};
  for (auto [dest, ext] : {std::pair{DestMp3, "mp3"}, std::pair{DestOgg, "ogg"}, std::pair{DestWma, "wma"}}) {
    c.SetDestinationFormat(dest);
    Convert(c, small, dir + "/small." + ext);
    templates << dir + "/small." + ext;
  }
  QDir().mkpath(dir + "/many");
  QStringList files;
  for (int i = 0; i < 1000; ++i) {
    const QString& t = templates[i % 4];
    files << dir + QString("/many/f%1.%2").arg(i).arg(QFileInfo(t).suffix());
    QFile::copy(t, files.back());
  }
  long total = 0;
  Compare(
      "probing 1,000 files vs ffprobe",
      [&] {
        cAudioConverter probe;
        for (const QString& f : files) {
          if (probe.OpenSource(f) == 0) total += probe.Duration() + probe.SampleRate() + probe.Channels();
          probe.CloseSource();
        }
      },
      [&] {
        for (const QString& f : files)
          RunTool("ffprobe",
                  {"-v", "error", "-show_entries", "stream=sample_rate,channels:format=duration", "-of", "csv=p=0", f});
      },
      1.0, 1);
  return total > 0 ? 0 : 1;
}
