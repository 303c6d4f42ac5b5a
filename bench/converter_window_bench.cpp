// Times the converter window's run beside a shell loop of the lame command,
// side by side in one run, and prints the ratio of wall times (ours / lame):
// twenty 3-minute stereo WAV items to MP3 128 kbit/s CBR, the window shown
// offscreen and driven as a user drives it (format, template, Convert).
// Needs the lame command (Debian package lame).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "lists/ItemRow.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tools/convert/g_frmConverter.h"

namespace {
constexpr int kItems = 20;
constexpr int kSeconds = 180;
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

double Seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

// The converter run over the items into out, as a user starts it.
double ConvertThroughWindow(const QStringList& items, const QString& out) {
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
  QElapsedTimer t;
  t.start();
  w.cmdConvert->click();
  while (!w.cmdConvert->isEnabled()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  const double wall = Seconds(t);
  if (w.lblCurrentTrack->text() != "Done.") fprintf(stderr, "the run ended with: %s\n", qPrintable(w.lblCurrentTrack->text()));
  w.cmdExit->click();
  return wall;
}

double LameLoop(const QString& in, const QString& out) {
  QElapsedTimer t;
  t.start();
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start("sh", {"-c", "for f in \"$1\"/*.wav; do lame --quiet -b 128 --cbr -q 5 -m j -t \"$f\" \"$2/$(basename \"$f\" .wav).mp3\" || exit 1; done",
                 "sh", in, out});
  if (!p.waitForFinished(-1) || p.exitCode() != 0) fprintf(stderr, "the lame loop failed\n");
  return Seconds(t);
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

  const QString in = home.path() + "/in", ours = home.path() + "/ours", ref = home.path() + "/ref";
  for (const QString& d : {in, ours, ref}) QDir().mkpath(d);
  QStringList items;
  for (int i = 0; i < kItems; ++i) {
    items << in + QString("/item%1.wav").arg(i + 1, 2, 10, QChar('0'));
    WriteStereoWav(items.last(), i);
  }
  printf("%d items of %d s stereo 44100 Hz WAV to MP3 128 kbit/s CBR\n", kItems, kSeconds);
  const double reference = LameLoop(in, ref);
  const double window = ConvertThroughWindow(items, ours);
  const int written = QDir(ours).entryList({"*.mp3"}, QDir::Files).size();
  printf("converter window run %8.2f s (%d files) | shell loop of lame %8.2f s | wall ratio %.3f | target 1.10 %s\n",
         window, written, reference, window / reference, window / reference <= 1.10 ? "ok" : "MISSED");
  return written == kItems ? 0 : 1;
}
