// Times the data-disc window beside xorriso on the same files, side by side in
// one run (the best of three turns each), and prints the ratio of wall times
// (ours / reference):
//   600 MB of files (60 items) staged in copy mode and written to a stdio:
//   image through the window, shown offscreen and driven as a user drives it
//   vs  xorriso -as mkisofs -J -o on the folder of the same files.
// The window stages every file before it writes them: a second link to a
// file on the staging folder's file system, a copy across file systems.
// Then both images are unpacked and compared: the same files, byte for byte.
// Needs xorriso (installed for the tests).
// Usage: data_burn_bench [folder for the files, default a temporary one]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>

#include "bench/BenchSupport.h"
#include "bench/DiscCompare.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/cGrid.h"
#include "tools/disc/g_frmDataBurner3.h"

namespace {
constexpr int kFiles = 60;
constexpr int kFileBytes = 10 * 1000 * 1000;


bool Xorriso(const QString& folder, const QString& image) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start("xorriso", {"-as", "mkisofs", "-quiet", "-J", "-o", image, folder});
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// One run of the window over the files in copy mode; "Burn CD?" is answered OK.
bool BurnThroughWindow(const QStringList& files) {
  g_frmDataBurner3& w = form<g_frmDataBurner3>();
  for (long r = 1; r <= long(files.size()); ++r) {
    ItemRow::SetText(*w.cGrid1, r, "Item Name", QFileInfo(files[r - 1]).fileName());
    ItemRow::SetText(*w.cGrid1, r, "COL_FILE", files[r - 1]);
    ItemRow::SetText(*w.cGrid1, r, "COL_RANGE_ALL", "1");
  }
  w.Show();
  w.cmbEngine->setCurrentIndex(0);
  w.chkDoNotConvertSource->setChecked(true);
  w.txtCDName->setText("Bench");
  for (QCheckBox* box : {w.chkPlaySound, w.chkOpenDestFolder, w.chkNoticeApp, w.chkTurnOffComputer, w.chkOpenCDdrive})
    box->setChecked(false);
  w.cmdConvert->click();
  while (!w.cmdConvert->isEnabled()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  const bool done = w.lblCurrentTrack->text() == "Done.";
  if (!done) std::fprintf(stderr, "the run ended with: %s\n", qPrintable(w.lblCurrentTrack->text()));
  w.cmdExit->click();
  return done;
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home(argc > 1 ? QString(argv[1]) + "/data_burn_bench-XXXXXX" : QString());
  UseProgramHome(home.path());
  QApplication app(argc, argv);
  if (!InstallProgramSettings(home.path())) return 1;
  SetMsgBoxHandler([](const MsgBoxCall& c) { return c.prompt.startsWith("Burn CD?") ? int(vbOK) : int(vbCancel); });
  const QString files = home.path() + "/files", out = home.path() + "/out";
  QDir().mkpath(files);
  QDir().mkpath(out);
  const QString iso = out + "/data.iso", ref = out + "/ref.iso";
  qputenv("TESSORY_CD_IMAGES", iso.toLocal8Bit());

  // Random bytes, so nothing compresses or dedups.
  QRandomGenerator g(7);
  QStringList items;
  for (int i = 0; i < kFiles; ++i) {
    QByteArray body(kFileBytes, 0);
    g.fillRange(reinterpret_cast<quint32*>(body.data()), body.size() / 4);
    items << files + QString("/file %1.mp3").arg(i, 2, 10, QChar('0'));
    QFile f(items.last());
    if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size()) return 1;
  }
  // The last turn's images stay to be compared.
  double best[2] = {1e9, 1e9};
  for (int turn = 0; turn < 3; ++turn) {
    QFile::remove(ref);
    QFile::remove(iso);
    best[0] = std::min(best[0], TimeAfterSync([&] { return Xorriso(files, ref); }));
    best[1] = std::min(best[1], TimeAfterSync([&] { return BurnThroughWindow(items); }));
  }
  std::printf("%d files of %d MB, copy mode, staged and written to a stdio: image\n", kFiles, kFileBytes / 1000000);
  std::printf("data-disc window %8.2f s | xorriso -as mkisofs -J -o %8.2f s | wall ratio %.2f\n", best[1], best[0],
              best[1] / best[0]);
  return DiscCompare::ReportSame("the two images", DiscCompare::DataDiscDifference(iso, ref, home.path())) ? 0 : 1;
}
