// Opening an items list of 5,000 items (WAV, MP3 and OGG files) against
// measuring the same files with the conversion control alone.
//   lists_bench [items]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "bench/ListBench.h"
#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "lists/ItemRecord.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OptionValues.h"


namespace {
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
  UseHome(home.path());
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
