// The waveform control on generated WAV files: what it reports, what its
// saves hold (compared byte for byte with the source's range), that a save
// never damages the target, and that the view draws from the peak summary.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QtEndian>

#include "AudioFixtures.h"
#include "TestEnv.h"
#include "backend/audio/WavFile.h"
#include "platform/audio/cAudioEditor.h"

namespace {
QByteArray readAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

// The sample bytes of a WAV file.
QByteArray samples(const QString& path) {
  WavLayout l;
  QString error;
  EXPECT_TRUE(WavFile::ReadLayout(path, &l, &error)) << error.toStdString();
  return readAll(path).mid(int(l.dataOffset), int(l.dataBytes));
}

struct Loaded {
  cAudioEditor editor;
  QList<QVariantList> info;
  QList<long> progress;
  bool done = false;
  explicit Loaded(const QString& path) {
    QObject::connect(&editor, &cAudioEditor::Progress, [this](long p) { progress << p; });
    QObject::connect(&editor, &cAudioEditor::FileInfo, [this](long a, long b, long c, long d, long e) {
      info.append({qlonglong(a), qlonglong(b), qlonglong(c), qlonglong(d), qlonglong(e)});
    });
    QObject::connect(&editor, &cAudioEditor::LoadDone, [this] { done = true; });
    editor.OpenWaveFile(path);
    EXPECT_TRUE(TestEnv::WaitUntil([this] { return done; }, 10000));
  }
  // Saves a millisecond range of source into target; the events seen.
  QStringList Save(const QString& source, const QString& target, long startMs, long lengthMs) {
    QStringList events;
    auto a = QObject::connect(&editor, &cAudioEditor::SaveDone, [&] { events << "SaveDone"; });
    auto b = QObject::connect(&editor, &cAudioEditor::Error, [&](long, const QString& t) { events << "Error: " + t; });
    editor.SetSaveSource(source);
    editor.SetOutputFile(target);
    editor.SetSelectionStart(startMs);
    editor.SetSelectionLength(lengthMs);
    editor.SaveSelection();
    TestEnv::WaitUntil([&] { return !events.isEmpty(); }, 10000);
    QObject::disconnect(a);
    QObject::disconnect(b);
    return events;
  }
};
}  // namespace

TEST(AudioEditor, ReportsTheFileAndSavesRangesFrameForFrame) {
  const QString dir = TestEnv::FreshDir("editor-ranges");
  struct Case {
    int rate, channels, bits;
    long startMs, lengthMs;
    qint64 firstFrame, frames;  // expected
  } cases[] = {
      {44100, 2, 16, 0, 3000, 0, 132300},        // the whole file
      {44100, 2, 16, 1500, 1000, 66150, 44100},  // a range inside
      {8000, 1, 8, 2500, 4000, 20000, 4000},     // running past the end: clamped
      {22050, 1, 16, 5000, 1000, 66150, 0},      // starting past the end: empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startMs);
    const QString src = AudioFixtures::WriteWav(dir + "/src.wav", c.rate, c.channels, c.bits, 3.0,
                                                AudioFixtures::Signal::Ramp);
    Loaded l(src);
    ASSERT_EQ(l.info.size(), 1);
    EXPECT_EQ(l.progress.value(l.progress.size() - 1), 100);
    EXPECT_EQ(l.info[0], (QVariantList{qlonglong(c.rate), qlonglong(c.bits), qlonglong(c.channels), 3LL, qlonglong(c.rate) * 3}));
    const QString out = dir + "/out.wav";
    EXPECT_EQ(l.Save(src, out, c.startMs, c.lengthMs), QStringList{"SaveDone"});
    WavLayout layout;
    QString error;
    ASSERT_TRUE(WavFile::ReadLayout(out, &layout, &error));
    EXPECT_EQ(layout.sampleRate, c.rate);
    EXPECT_EQ(layout.channels, c.channels);
    EXPECT_EQ(layout.bits, c.bits);
    const int frameBytes = c.channels * c.bits / 8;
    EXPECT_EQ(samples(out), samples(src).mid(int(c.firstFrame * frameBytes), int(c.frames * frameBytes)));
    EXPECT_EQ(AudioFixtures::DecodePcm(out).size(), size_t(c.frames * c.channels));
  }
}

TEST(AudioEditor, SavingOntoTheSourceKeepsItWholeUntilTheNewFileIsComplete) {
  const QString dir = TestEnv::FreshDir("editor-onto-source");
  const QString src = AudioFixtures::WriteWav(dir + "/a.wav", 44100, 2, 16, 3.0, AudioFixtures::Signal::Ramp);
  const QByteArray before = samples(src);
  Loaded l(src);
  EXPECT_EQ(l.Save(src, src, 1000, 1000), QStringList{"SaveDone"});
  EXPECT_EQ(samples(src), before.mid(44100 * 4, 44100 * 4));
  EXPECT_EQ(AudioFixtures::FilesIn(dir), QStringList{"a.wav"});
}

TEST(AudioEditor, AnAbortedSaveLeavesTheTargetAsItWasAndNoPartialFile) {
  const QString dir = TestEnv::FreshDir("editor-abort");
  const QString src = AudioFixtures::WriteWav(dir + "/long.wav", 44100, 2, 16, 20.0);
  const QString target = dir + "/kept.wav";
  QFile old(target);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("an older file");
  old.close();
  Loaded l(src);
  QList<long> progress;
  // Abort once the save is a tenth of the way: pieces are written between events.
  QObject::connect(&l.editor, &cAudioEditor::Progress, [&](long p) {
    progress << p;
    if (p >= 10) l.editor.AbortEditor();
  });
  const QStringList events = l.Save(src, target, 0, 20000);
  ASSERT_EQ(events.size(), 1);
  EXPECT_TRUE(events[0].startsWith("Error")) << events[0].toStdString();
  EXPECT_LT(progress.last(), 100);
  EXPECT_EQ(readAll(target), QByteArray("an older file"));
  EXPECT_EQ(AudioFixtures::FilesIn(dir), (QStringList{"kept.wav", "long.wav"}));
  // A save into a folder that does not exist fails and creates nothing.
  EXPECT_TRUE(l.Save(src, dir + "/missing/x.wav", 0, 1000).value(0).startsWith("Error"));
}

TEST(AudioEditor, RefusesWhatIsNotPcmWav) {
  const QString dir = TestEnv::FreshDir("editor-refuse");
  QFile f(dir + "/text.wav");
  f.open(QIODevice::WriteOnly);
  f.write("RIFF....WAVEnothing here");
  f.close();
  cAudioEditor editor;
  QSignalSpy errors(&editor, &cAudioEditor::Error);
  QSignalSpy loads(&editor, &cAudioEditor::LoadDone);
  for (const QString& path : {dir + "/text.wav", dir + "/none.wav"}) {
    editor.OpenWaveFile(path);
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return !errors.isEmpty(); }, 5000));
    errors.clear();
  }
  EXPECT_TRUE(loads.isEmpty());
  EXPECT_EQ(editor.Play(), 1);
}

// Columns of the image that hold the wave colour, and how tall the tallest is.
static std::pair<int, int> waveColumns(const QImage& img, int fromX, int toX, QRgb wave) {
  int columns = 0, tallest = 0;
  for (int x = fromX; x < toX; ++x) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += img.pixel(x, y) == wave;
    columns += n > 0;
    tallest = std::max(tallest, n);
  }
  return {columns, tallest};
}

TEST(AudioEditor, DrawsLoudAndSilentStretchesAndZoomsToTheSelection) {
  const QString dir = TestEnv::FreshDir("editor-view");
  // Two seconds of silence, then two of a loud sine, mono.
  const QString silent = AudioFixtures::WriteWav(dir + "/s.wav", 8000, 1, 16, 2.0, AudioFixtures::Signal::Silence);
  const QString loud = AudioFixtures::WriteWav(dir + "/l.wav", 8000, 1, 16, 2.0);
  QByteArray joined = samples(silent) + samples(loud);
  QFile f(dir + "/both.wav");
  f.open(QIODevice::WriteOnly);
  f.write(WavFile::Header(1, 8000, 16, uint32_t(joined.size())) + joined);
  f.close();
  Loaded l(dir + "/both.wav");
  l.editor.resize(400, 200);
  l.editor.SetViewBackColor(0);
  l.editor.SetViewForeColor(0x00FF00);  // green
  const QRgb green = qRgb(0, 255, 0);
  QImage img = l.editor.grab().toImage();
  auto [silentCols, silentTall] = waveColumns(img, 0, 195, green);
  auto [loudCols, loudTall] = waveColumns(img, 205, 400, green);
  EXPECT_LE(silentTall, 2);  // the flat line
  EXPECT_EQ(loudCols, 195);
  EXPECT_GT(loudTall, 80);  // half of full scale in a 200-pixel lane
  // Selecting the silent half with the mouse and zooming shows only silence.
  QSignalSpy changes(&l.editor, &cAudioEditor::SelectionChanged);
  l.editor.SetSelection(0, 16000);
  ASSERT_EQ(changes.size(), 1);
  QStringList got;
  for (const QVariant& v : changes[0]) got << v.toString();
  EXPECT_EQ(got, (QStringList{"0", "16000", "0", "2000"}));
  l.editor.ZoomToSelection();
  img = l.editor.grab().toImage();
  EXPECT_LE(waveColumns(img, 0, 390, green).second, 2);  // the last block reaches the loud half
  l.editor.RestoreZoom();
  img = l.editor.grab().toImage();
  EXPECT_GT(waveColumns(img, 205, 400, green).second, 80);
}

TEST(AudioEditor, PlaysTheSelectionToItsEnd) {
  const QString dir = TestEnv::FreshDir("editor-play");
  Loaded l(AudioFixtures::WriteWav(dir + "/p.wav", 8000, 1, 16, 3.0));
  QSignalSpy done(&l.editor, &cAudioEditor::PlayDone);
  l.editor.SetSelection(0, 800);  // a tenth of a second
  ASSERT_EQ(l.editor.Play(), 0);
  l.editor.PausePlay();
  EXPECT_TRUE(l.editor.IsPaused());
  l.editor.ResumePlay();
  EXPECT_FALSE(l.editor.IsPaused());
  EXPECT_TRUE(TestEnv::WaitUntil([&] { return !done.isEmpty(); }, 5000));
}

// Sizes in a WAV header are never trusted: a data size of 0 (a recording cut
// short), one past the end or a RIFF size of 0 leave the samples running to
// the end of the file, for the view and for a saved selection.
TEST(AudioEditor, UntrustedHeaderSizesMeanTheSamplesRunToTheEnd) {
  for (const AudioFixtures::WavSizes& sizes : AudioFixtures::kUntrustedWavSizes) {
    SCOPED_TRACE(sizes.name);
    const QString dir = TestEnv::FreshDir("editor-sizes");
    const QString src = AudioFixtures::WriteWav(dir + "/src.wav", 8000, 1, 16, 2.0, AudioFixtures::Signal::Ramp);
    const QByteArray pcm = readAll(src).mid(44);
    AudioFixtures::SetWavSizes(src, sizes);
    Loaded l(src);
    ASSERT_EQ(l.info.size(), 1);
    EXPECT_EQ(l.info[0][4].toLongLong(), 16000);
    EXPECT_EQ(l.Save(src, dir + "/part.wav", 500, 1000), QStringList{"SaveDone"});
    EXPECT_EQ(samples(dir + "/part.wav"), pcm.mid(4000 * 2, 8000 * 2));
  }
}
