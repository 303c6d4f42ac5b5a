// Times the converter window's run beside the lame command run on every core
// (xargs -P), side by side in one run, and prints the ratio of the median wall
// times (ours / lame): 200 ten-second stereo WAV items to MP3 128 kbit/s CBR,
// the window shown offscreen and driven as a user drives it (format, template,
// Convert). ReplayGain analysis is off on both sides: the lame command does it
// unless told not to, our encoder never does. A second line gives the
// one-at-a-time run (a single worker) against the same reference.
// Needs the lame command (Debian package lame).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "lists/ItemRow.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "platform/audio/cAudioConverter.h"
#include "tools/convert/g_frmConverter.h"

namespace {
constexpr int kItems = 200;
constexpr int kSeconds = 10;
constexpr int kRuns = 3;
constexpr double kTarget = 1.25;
constexpr int kRate = 44100;

void WriteStereoWav(const QString& path, int variant) {
  const qint64 frames = qint64(kRate) * kSeconds;
  QByteArray data(int(frames * 4), '\0');
  auto* p = reinterpret_cast<int16_t*>(data.data());
  for (qint64 n = 0; n < frames; ++n) {
    const double t = double(n) / kRate;
    p[2 * n] = int16_t(9000 * std::sin(2 * M_PI * (330 + 20 * variant) * t) + 4000 * std::sin(2 * M_PI * (200 + 50 * t) * t));
    p[2 * n + 1] = int16_t(9000 * std::sin(2 * M_PI * 660 * t) + 3000 * std::sin(2 * M_PI * 3000 * t));
  }
  QByteArray h("RIFF");
  auto put32 = [&](quint32 v) { char c[4]; qToLittleEndian(v, c); h.append(c, 4); };
  auto put16 = [&](quint16 v) { char c[2]; qToLittleEndian(v, c); h.append(c, 2); };
  put32(quint32(36 + data.size()));
  h.append("WAVEfmt ");
  put32(16); put16(1); put16(2); put32(kRate); put32(kRate * 4); put16(4); put16(16);
  h.append("data");
  put32(quint32(data.size()));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h);
  f.write(data);
}

// The converter run over the items into out, as a user starts it; true when it ended "Done.".
bool ConvertThroughWindow(const QStringList& items, const QString& out) {
  g_frmConverter& w = form<g_frmConverter>();
  for (long r = 1; r <= long(items.size()); ++r) {
    ItemRow::SetText(*w.cGrid1, r, "Item Name", QFileInfo(items[r - 1]).fileName());
    ItemRow::SetText(*w.cGrid1, r, "COL_FILE", items[r - 1]);
    ItemRow::SetText(*w.cGrid1, r, "Time", ItemRow::TimeText(kSeconds));
    ItemRow::SetText(*w.cGrid1, r, "Range", "All");
    ItemRow::SetText(*w.cGrid1, r, "COL_RANGE_ALL", "1");
  }
  w.g_ltmrItemSecsTotal = kSeconds * kItems;
  w.Show();
  FormControls::SelectText(w.cboTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  w.cboFileName->setCurrentIndex(0);  // [file_name].[dest_extension]
  w.txtToPath->setEditText(out + "/");
  for (QCheckBox* box : {w.chkPlaySound, w.chkOpenDestFolder, w.chkNoticeApp, w.chkTurnOffComputer})
    box->setChecked(false);
  w.cmdConvert->click();
  while (!w.cmdConvert->isEnabled()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  const bool done = w.lblCurrentTrack->text() == "Done.";
  if (!done) fprintf(stderr, "the run ended with: %s\n", qPrintable(w.lblCurrentTrack->text()));
  w.cmdExit->click();
  return done && QDir(out).entryList({"*.mp3"}, QDir::Files).size() == kItems;
}

// lame on every core, one process per item, with the window's settings.
bool LameOnEveryCore(const QString& in, const QString& out) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start("sh", {"-c",
                 "ls \"$1\"/*.wav | xargs -P\"$(nproc)\" -I{} sh -c "
                 "'lame --quiet --noreplaygain -b 128 --cbr -q 5 -m j -t \"$1\" \"$2/$(basename \"$1\" .wav).mp3\"' sh {} \"$2\"",
                 "sh", in, out});
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
         QDir(out).entryList({"*.mp3"}, QDir::Files).size() == kItems;
}

// The median wall time of kRuns runs, each into a fresh folder.
double Median(const QString& base, const std::function<bool(const QString&)>& run) {
  std::vector<double> walls;
  for (int i = 0; i < kRuns; ++i) {
    const QString out = base + QString::number(i);
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    walls.push_back(TimeAfterSync([&] { return run(out); }));
    QDir(out).removeRecursively();
  }
  std::sort(walls.begin(), walls.end());
  return walls[walls.size() / 2];
}

// The one-worker line is there to show what working ahead gains; only the
// run as users get it is held to the target.
void PrintRatio(const char* side, double ours, double reference, bool judged) {
  const double ratio = ours / reference;
  printf("%-32s %7.2f s | xargs -P%d lame %7.2f s | ratio %.3f", side, ours, QThread::idealThreadCount(), reference,
         ratio);
  if (judged) printf(" | target %.2f %s", kTarget, ratio <= kTarget ? "ok" : "MISSED");
  printf("\n");
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  UseProgramHome(home.path());
  QApplication app(argc, argv);
  if (!InstallProgramSettings(home.path())) return 1;
  // MP3 128 kbit/s CBR, joint stereo, quality 5, no tag frame: what the lame loop writes.
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128;
  g_tMp3Settings.SampleRate = kRate;
  g_tMp3Settings.Mode = 1;
  g_tMp3Settings.Quality = 5;
  g_bMp3Abr = false;

  const QString in = home.path() + "/in";
  QDir().mkpath(in);
  QStringList items;
  for (int i = 0; i < kItems; ++i) {
    items << in + QString("/item%1.wav").arg(i + 1, 2, 10, QChar('0'));
    WriteStereoWav(items.last(), i);
  }
  printf("%d items of %d s stereo 44100 Hz WAV to MP3 128 kbit/s CBR, median of %d runs, %d workers\n", kItems,
         kSeconds, kRuns, cAudioConverter::WorkAheadThreads());
  const double reference = Median(home.path() + "/ref", [&](const QString& out) { return LameOnEveryCore(in, out); });
  const double window = Median(home.path() + "/ours", [&](const QString& out) { return ConvertThroughWindow(items, out); });
  cAudioConverter::SetWorkAheadThreads(1);
  const double single = Median(home.path() + "/one", [&](const QString& out) { return ConvertThroughWindow(items, out); });
  PrintRatio("converter window run", window, reference, true);
  PrintRatio("one at a time (1 worker)", single, reference, false);
  return 0;
}
