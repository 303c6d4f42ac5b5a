// Opening an items list of 5,000 items (WAV, MP3 and OGG files) against
// measuring the same files with the conversion control alone.
//   lists_bench [items]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "lists/ItemRecord.h"
#include "lists/frmMainLists.h"
#include "mainwindow/frmMain.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"

namespace {
// The list half of the main window on its own, without menus, player or tray.
class ListWindow : public frmMainLists {
 public:
  ListWindow() { frmMain::InitItemGrid(*cGrid1, imgGrid); }
  void m_cMenu_Click(long) override {}
  void StopPlay() override {}
  void tlbrPlayButtons_ButtonClick(long) override {}
};

void writeWav(const QString& path, double seconds) {
  const int rate = 44100, channels = 2;
  const qint64 frames = qint64(seconds * rate);
  QByteArray pcm(int(frames * channels * 2), '\0');
  auto* out = reinterpret_cast<qint16*>(pcm.data());
  for (qint64 i = 0; i < frames; ++i)
    out[2 * i] = out[2 * i + 1] = qToLittleEndian(qint16(8000 * std::sin(2 * M_PI * 440.0 * double(i) / rate)));
  QByteArray h("RIFF");
  auto u32 = [&](quint32 v) { h.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { h.append(reinterpret_cast<const char*>(&v), 2); };
  u32(quint32(36 + pcm.size()));
  h.append("WAVEfmt ");
  u32(16), u16(1), u16(channels), u32(rate), u32(rate * channels * 2), u16(channels * 2), u16(16);
  h.append("data");
  u32(quint32(pcm.size()));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h + pcm);
}

double measureWithConverter(const QStringList& files, bool tags) {
  cAudioConverter conv;
  QElapsedTimer t;
  t.start();
  for (const QString& f : files) {
    conv.OpenSource(f);
    if (tags) conv.ReadSourceTags(f);
  }
  return double(t.nsecsElapsed()) / 1e6;
}

double openList(ListWindow& w, bool tags) {
  g_bCopyID3FromSource = tags;
  cTreeNode* node = g_oItemsListsNode->Children().Item(1);
  node->SetSelected(true);
  QElapsedTimer t;
  t.start();
  w.cTreeView1_NodeClick(node);
  return double(t.nsecsElapsed()) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int items = argc > 1 ? std::atoi(argv[1]) : 5000;
  mdlModes::InitAppMode();

  // Three sources, copied under distinct names.
  const QString media = home.path() + "/media";
  QDir().mkpath(media);
  writeWav(media + "/src.wav", 3);
  for (const char* ext : {"mp3", "ogg"}) {
    QProcess p;
    p.start("ffmpeg", {"-y", "-v", "error", "-i", media + "/src.wav", "-metadata", "title=Bench", media + "/src." + ext});
    p.waitForFinished(60000);
  }
  const char* exts[] = {"wav", "mp3", "ogg"};
  QStringList files;
  QString list;
  for (int i = 0; i < items; ++i) {
    const QString ext = exts[i % 3];
    const QString path = media + QString("/item%1.").arg(i, 5, 10, QChar('0')) + ext;
    QFile::copy(media + "/src." + ext, path);
    files << path;
    ItemRecord r;
    r.name = QFileInfo(path).fileName();
    r.file = path;
    list += r.ToText();
  }
  g_sItemsListFolder = home.path() + "/lists/";
  QDir().mkpath(g_sItemsListFolder);
  mdlFunctions::WriteTextFile(list, g_sItemsListFolder + "Bench.flst");
  ListWindow w;
  w.setTree();

  measureWithConverter(files, false);  // warm the file cache
  for (bool tags : {false, true}) {
    // Alternated and the better of two taken, so neither side gains from running second.
    const double ref1 = measureWithConverter(files, tags);
    const double ours1 = openList(w, tags);
    const double ours2 = openList(w, tags);
    const double ref2 = measureWithConverter(files, tags);
    const double ref = std::min(ref1, ref2), ours = std::min(ours1, ours2);
    std::printf("%s: list %.3f ms/item, converter alone %.3f ms/item, ratio %.2f (%ld rows)\n",
                tags ? "tags from the files" : "tags from the list", ours / items, ref / items, ours / ref,
                long(w.cGrid1->Rows()));
  }
  return 0;
}
