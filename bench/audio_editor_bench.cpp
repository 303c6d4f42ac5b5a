// Times the waveform editor on a 60-minute 44.1 kHz stereo WAV beside FFmpeg
// decoding the same file to nothing (the floor of reading it), side by side in
// one run, and prints:
//   load + whole-file view   ours / ffmpeg -f null   (target <= 1.5)
//   peak memory of the load above the program's idle size (target < 64 MB)
//   median repaint after a zoom in and after a restore (target < 20 ms)
// Needs the ffmpeg command. Usage: audio_editor_bench [minutes] (default 60).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "backend/audio/WavFile.h"
#include "bench/BenchSupport.h"
#include "platform/audio/cAudioEditor.h"

namespace {
// A sweep with a slow swell, written a minute at a time.
void writeWav(const QString& path, int minutes) {
  const int rate = 44100;
  const qint64 frames = qint64(rate) * 60 * minutes;
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(WavFile::Header(2, rate, 16, uint32_t(frames * 4)));
  std::vector<int16_t> minute(size_t(rate) * 60 * 2);
  for (qint64 done = 0; done < frames; done += rate * 60) {
    for (size_t i = 0; i < minute.size() / 2; ++i) {
      const double t = double(done + qint64(i)) / rate;
      const double swell = 0.2 + 0.8 * std::fabs(std::sin(t / 30));
      minute[2 * i] = int16_t(20000 * swell * std::sin(2 * M_PI * 440 * t));
      minute[2 * i + 1] = int16_t(12000 * swell * std::sin(2 * M_PI * 660 * t));
    }
    f.write(reinterpret_cast<const char*>(minute.data()), qint64(minute.size() * 2));
  }
}

long statusKb(const char* field) {
  QFile f("/proc/self/status");
  f.open(QIODevice::ReadOnly);
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(field)) return line.mid(int(strlen(field))).trimmed().split(' ').value(0).toLong();
  return 0;
}

void resetPeak() {
  QFile f("/proc/self/clear_refs");
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double ffmpegSeconds(const QString& path) {
  QElapsedTimer t;
  t.start();
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
  p.waitForFinished(-1);
  return t.nsecsElapsed() / 1e9;
}

// Loads the file and draws the whole-file view; seconds.
double editorSeconds(cAudioEditor& editor, const QString& path) {
  QElapsedTimer t;
  t.start();
  QEventLoop loop;
  auto c = QObject::connect(&editor, &cAudioEditor::LoadDone, &loop, &QEventLoop::quit);
  editor.OpenWaveFile(path);
  loop.exec();
  QObject::disconnect(c);
  editor.grab();
  return t.nsecsElapsed() / 1e9;
}

double repaintMs(cAudioEditor& editor) {
  QElapsedTimer t;
  t.start();
  editor.grab();
  return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessChosen();
  QApplication app(argc, argv);
  const int minutes = argc > 1 ? atoi(argv[1]) : 60;
  QTemporaryDir dir;
  const QString path = dir.path() + "/long.wav";
  writeWav(path, minutes);
  cAudioEditor editor;
  editor.resize(1000, 300);
  editor.grab();
  ffmpegSeconds(path);  // both runs then read from a warm cache

  std::vector<double> ours, floor;
  long peakKb = 0, idleKb = 0;
  for (int run = 0; run < 3; ++run) {
    floor.push_back(ffmpegSeconds(path));
    editor.CloseEditor();
    idleKb = statusKb("VmRSS:");
    resetPeak();
    ours.push_back(editorSeconds(editor, path));
    peakKb = std::max(peakKb, statusKb("VmHWM:") - idleKb);
  }
  const double oursS = median(ours), floorS = median(floor);
  printf("waveform editor, %d-minute 44.1 kHz stereo WAV (%.0f MB)\n", minutes, QFile(path).size() / 1e6);
  printf("  load + whole view: %.2f s   ffmpeg decode to null: %.2f s   ratio %.2f (target <= 1.5)\n", oursS,
         floorS, oursS / floorS);
  printf("  peak memory above idle: %.1f MB (target < 64)\n", peakKb / 1024.0);

  const qint64 frames = qint64(44100) * 60 * minutes;
  std::vector<double> zoomIn, zoomOut;
  for (int i = 0; i < 21; ++i) {
    // Selections from a few seconds to a few minutes, spread over the file.
    const qint64 length = qint64(44100) * (2 + (i * 37) % 300);
    const qint64 start = (frames - length) * i / 21;
    editor.SetSelection(start, start + length);
    editor.ZoomToSelection();
    zoomIn.push_back(repaintMs(editor));
    editor.RestoreZoom();
    zoomOut.push_back(repaintMs(editor));
  }
  printf("  repaint after zoom in: median %.2f ms, after restore: median %.2f ms (target < 20)\n", median(zoomIn),
         median(zoomOut));
  return 0;
}
