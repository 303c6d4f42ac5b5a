// Small fixtures of the item-list tests: generated audio files, a two-track
// BIN/CUE image, and the main window started as a user starts it.
#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>

#include "DiscImage.h"
#include "core/mdlMain.h"
#include "lists/ItemRow.h"
#include "mainwindow/frmMain.h"
#include "tests/mainwindow/MainWindowFixture.h"

namespace ListFixtures {
// A sine of the given length as 16-bit PCM samples.
inline QByteArray SinePcm(double seconds, int rate, int channels) {
  const qint64 frames = qint64(seconds * rate);
  QByteArray pcm(int(frames * channels * 2), '\0');
  auto* out = reinterpret_cast<qint16*>(pcm.data());
  for (qint64 i = 0; i < frames; ++i) {
    const auto v = qint16(8000 * std::sin(2 * M_PI * 440.0 * double(i) / rate));
    for (int c = 0; c < channels; ++c) out[i * channels + c] = qToLittleEndian(v);
  }
  return pcm;
}

inline QString WriteWav(const QString& path, double seconds, int rate = 8000, int channels = 1) {
  const QByteArray pcm = SinePcm(seconds, rate, channels);
  QByteArray h;
  auto u32 = [&](quint32 v) { h.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { h.append(reinterpret_cast<const char*>(&v), 2); };
  h.append("RIFF");
  u32(quint32(36 + pcm.size()));
  h.append("WAVEfmt ");
  u32(16);
  u16(1);
  u16(quint16(channels));
  u32(quint32(rate));
  u32(quint32(rate * channels * 2));
  u16(quint16(channels * 2));
  u16(16);
  h.append("data");
  u32(quint32(pcm.size()));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h + pcm);
  return path;
}

// Encodes a WAV with the ffmpeg command; extra arguments go before the output.
inline QString Encode(const QString& wav, const QString& out, const QStringList& extra = {}) {
  QProcess p;
  p.start("ffmpeg", QStringList{"-y", "-v", "error", "-i", wav} + extra + QStringList{out});
  p.waitForFinished(30000);
  return out;
}

inline QString WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  return path;
}

// A disc image of two tracks of sine, 3 and 2 seconds; the second one's
// pregap (1 second) belongs to the first track's length. The second track is
// a data track when asked.
inline QString WriteBinCue(const QString& dir, bool dataSecondTrack = false) {
  return DiscImage::Write(dir, {{2, 440}, {2, 440, 1, dataSecondTrack}}).cue;
}

// Two-second files of the four common types in turn (WAV, MP3, OGG, WMA),
// each with a title of its own: "Title <n>"; the file names in order.
inline QStringList WriteMixedFiles(const QString& dir, int count) {
  const char* exts[] = {"wav", "mp3", "ogg", "wma"};
  const QString source = WriteWav(dir + "/source.wav", 2);
  QStringList names;
  for (int i = 0; i < count; ++i) {
    const QString name = QString("f%1.%2").arg(i, 2, 10, QChar('0')).arg(exts[i % 4]);
    Encode(source, dir + "/" + name, {"-metadata", QString("title=Title %1").arg(i)});
    names << name;
  }
  QFile::remove(source);
  return names;
}

inline QString Cell(frmMain* m, long row, const QString& key) { return ItemRow::Text(*m->cGrid1, row, key); }
inline long Mark(frmMain* m, long row) { return ItemRow::Icon(*m->cGrid1, row, "Inc"); }

// The list file's text as bytes.
inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace ListFixtures

// The main window after the start-up sequence, with its first list open.
class ListsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    qunsetenv("TESSORY_CD_IMAGES");
    media = TestEnv::FreshDir("media");
    ASSERT_TRUE(mdlMain::StartUp());
    main = loadedForm<frmMain>();
    ASSERT_NE(main, nullptr);
    g_bCopyID3FromSource = false;
    g_bSelectTheLastItem = false;
    g_bDisplayMSGWhenErase = false;
  }
  void TearDown() override {
    qunsetenv("TESSORY_CD_IMAGES");
    MainWindowTest::TearDown();
  }
  // The open list's file.
  QString ListPath() const { return main->cTreeView1->SelectedItem()->Key(); }
  // "Add Files" with the open dialog answering these files of the media folder.
  void AddFromDialog(const QStringList& names) {
    QStringList paths;
    for (const QString& n : names) paths << media + "/" + n;
    ScriptedUi::get().dialogAnswers.push_back(paths);
    main->RunCommand("Add Files");
  }
  // Writes a disc image, lists it as the last drive and opens that drive: its
  // tracks are the grid's rows.
  DiscImage::Image OpenDiscImage(const std::vector<DiscImage::Track>& tracks, const QString& name = "disc") {
    DiscImage::Image image = DiscImage::Write(TestEnv::FreshDir("img-" + name), tracks, name);
    qputenv("TESSORY_CD_IMAGES", image.cue.toLocal8Bit());
    main->setTree();
    cTreeNode* drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
    drive->SetSelected(true);
    main->cTreeView1_NodeClick(drive);
    return image;
  }
  QString media;
  frmMain* main = nullptr;
};
