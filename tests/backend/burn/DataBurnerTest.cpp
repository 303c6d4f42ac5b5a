// Both data-disc engines on an image drive: the image is read back with
// isoinfo (names, Joliet names, volume id, file contents); their events,
// failures and the library check.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include "AudioFixtures.h"
#include "BurnWatcher.h"
#include "TestEnv.h"
#include "platform/burn/cAudioDataBurner.h"
#include "platform/burn/cBurner.h"

using AudioFixtures::FilesIn;
using AudioFixtures::RunTool;

namespace {
// The volume id of the Joliet descriptor (type 2 with a UCS-2 escape), read
// from the image's bytes: no tool here prints it.
QString JolietVolumeId(const QString& image) {
  QFile f(image);
  if (!f.open(QIODevice::ReadOnly)) return "?";
  for (int sector = 16; sector < 32; ++sector) {
    f.seek(qint64(sector) * 2048);
    const QByteArray d = f.read(2048);
    if (d.size() < 2048 || uchar(d[0]) == 255) break;
    if (d[0] != 2 || d.mid(88, 2) != "%/") continue;
    QString id;
    for (int i = 40; i < 72; i += 2) id += QChar(ushort(uchar(d[i]) << 8 | uchar(d[i + 1])));
    return id.trimmed();
  }
  return "?";
}

QByteArray RandomBytes(int size, quint32 seed) {
  QRandomGenerator g(seed);
  QByteArray b(size, 0);
  for (char& c : b) c = char(g.generate());
  return b;
}

// The files of a folder with their bytes.
QMap<QString, QByteArray> FilesWithBytes(const QString& folder) {
  QMap<QString, QByteArray> files;
  for (const QString& name : FilesIn(folder)) {
    QFile f(folder + "/" + name);
    files[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  return files;
}

// True when the program ends well.
bool Succeeds(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

const QString kLabel = "A list name of sixty characters that no disc can hold whole";  // 60

class DataBurnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestEnv::FreshDir("databurn");
    image = dir + "/disc/out.iso";
    QDir().mkpath(dir + "/disc");
    QDir().mkpath(dir + "/staged");
    qputenv("TESSORY_CD_IMAGES", (dir + "/audio.cue:" + image).toLocal8Bit());
    const QStringList names = {"Song 01.mp3", "Grüße aus Köln – Ünïcödé.wav",
                               "A rather long file name that no short name can hold.ogg"};
    for (int i = 0; i < names.size(); ++i) {
      const QString path = dir + "/staged/" + names[i];
      QFile f(path);
      f.open(QIODevice::WriteOnly);
      contents[names[i]] = RandomBytes(70000 + 1000 * i, quint32(i + 1));
      f.write(contents[names[i]]);
      staged << path;
    }
  }
  void TearDown() override {
    qunsetenv("TESSORY_CD_IMAGES");
    qunsetenv("TESSORY_BURN_LIBRARIES");
  }

  void Watch(cAudioDataBurner& b, BurnWatcher& w) {
    QObject::connect(&b, &cAudioDataBurner::BurnStarted, &w.context, [&w] { w.Add("BurnStarted"); });
    QObject::connect(&b, &cAudioDataBurner::ClosingSession, &w.context, [&w] { w.Add("ClosingSession"); });
    QObject::connect(&b, &cAudioDataBurner::Progress, &w.context, [this](int p) { progress.push_back(p); });
    QObject::connect(&b, &cAudioDataBurner::Finished, &w.context, [&w] { w.End("Finished"); });
    QObject::connect(&b, &cAudioDataBurner::Error, &w.context, [&w](long c, const QString& t) { w.Fail(c, t); });
  }
  void Watch(cBurner& b, BurnWatcher& w) {
    QObject::connect(&b, &cBurner::Initializing, &w.context, [&w] { w.Add("Initializing"); });
    QObject::connect(&b, &cBurner::AddingFile, &w.context, [&w](const QString& p) { w.Add("AddingFile " + QFileInfo(p).fileName()); });
    QObject::connect(&b, &cBurner::ItemsCounted, &w.context, [&w](long f, long d) { w.Add(QString("ItemsCounted %1 %2").arg(f).arg(d)); });
    QObject::connect(&b, &cBurner::StartBurning, &w.context, [&w] { w.Add("StartBurning"); });
    QObject::connect(&b, &cBurner::Progress, &w.context, [this](long p) { progress.push_back(int(p)); });
    QObject::connect(&b, &cBurner::Finalization, &w.context, [&w] { w.Add("Finalization"); });
    QObject::connect(&b, &cBurner::DoneBurn, &w.context, [&w] { w.Add("DoneBurn"); });
    QObject::connect(&b, &cBurner::Completed, &w.context, [&w] { w.Add("Completed"); });
    QObject::connect(&b, &cBurner::Canceled, &w.context, [&w] { w.Add("Canceled"); });
    QObject::connect(&b, &cBurner::End, &w.context, [&w] { w.End("End"); });
    QObject::connect(&b, &cBurner::Error, &w.context, [&w](const QString& m, const QString& detail) { w.Fail(0, detail + " (" + m + ")"); });
  }

  // Writes the staged files with the engine; the watcher holds what it raised.
  void WriteWith(int engine, BurnWatcher& w, const QString& label) {
    if (engine == 0) {
      v1 = std::make_unique<cAudioDataBurner>();
      Watch(*v1, w);
      ASSERT_EQ(v1->GetDriveCount(), 1);  // the .cue image takes audio only
      ASSERT_TRUE(v1->GetDriveName(1).startsWith("E: ")) << v1->GetDriveName(1).toStdString();
      ASSERT_TRUE(v1->IsDriveReady("E"));
      ASSERT_TRUE(v1->IsDiscEmpty("E"));
      for (const QString& f : staged) ASSERT_TRUE(v1->AddFile(f));
      v1->SetVolumeLabel(label);
      v1->SetFileSystemName("CDFS");
      v1->SetApplicationName("Tessory");
      v1->SetPublisherName("Tessory");
      v1->SetWriteOption(false);
      v1->Burn("E", 65535);
    } else {
      v2 = std::make_unique<cBurner>();
      Watch(*v2, w);
      ASSERT_EQ(v2->DriveCount(), 1);
      ASSERT_EQ(v2->GetDriveLetter(0), "E:");
      ASSERT_TRUE(v2->GetDriveName(0).contains(image));
      v2->NewCompilation();
      v2->SetUseISO9660(true);
      v2->SetUseJoliet(true);
      v2->SetUseUDF(false);
      v2->SetVolumeLabel(label);
      for (const QString& f : staged) v2->AddFile(f);
      v2->Burn(0);
    }
    EXPECT_TRUE(w.events.isEmpty());  // events come after the call returned
    ASSERT_TRUE(w.Wait());
  }

  QString dir, image;
  QStringList staged;
  QMap<QString, QByteArray> contents;
  std::vector<int> progress;
  std::unique_ptr<cAudioDataBurner> v1;
  std::unique_ptr<cBurner> v2;
};
}  // namespace

TEST_F(DataBurnerTest, BothEnginesWriteTheStagedFilesWithJolietNames) {
  for (int engine : {0, 1}) {
    SCOPED_TRACE(engine);
    QFile::remove(image);
    progress.clear();
    BurnWatcher w;
    WriteWith(engine, w, kLabel);
    if (engine == 0) {
      EXPECT_EQ(w.events, (QStringList{"BurnStarted", "ClosingSession", "Finished"})) << w.errorText.toStdString();
    } else {
      EXPECT_EQ(w.events, (QStringList{"Initializing", "AddingFile Song 01.mp3",
                                       "AddingFile Grüße aus Köln – Ünïcödé.wav",
                                       "AddingFile A rather long file name that no short name can hold.ogg",
                                       "ItemsCounted 3 0", "StartBurning", "Finalization", "DoneBurn", "Completed",
                                       "End"}))
          << w.errorText.toStdString();
    }
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(FilesIn(dir + "/disc"), QStringList{"out.iso"});  // no temporary file left

    // Joliet: the names as staged, and each file's bytes (xorriso reads the Joliet tree).
    const QString out = TestEnv::FreshDir("extracted" + QString::number(engine));
    RunTool("xorriso", {"-joliet", "on", "-osirrox", "on", "-indev", image, "-extract", "/", out});
    EXPECT_EQ(FilesIn(out), QStringList(contents.keys())) << FilesIn(out).join(" | ").toStdString();
    for (const QString& name : contents.keys()) {
      QFile f(out + "/" + name);
      EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == contents[name]) << name.toStdString();
    }
    // ISO 9660: short upper-case names for the same three files and bytes.
    const QStringList iso = QString::fromLatin1(RunTool("isoinfo", {"-i", image, "-f"})).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(iso, (QStringList{"/A_RATHER.OGG;1", "/GR__E_AU.WAV;1", "/SONG_01.MP3;1"}));
    EXPECT_TRUE(RunTool("isoinfo", {"-i", image, "-x", "/SONG_01.MP3;1"}) == contents["Song 01.mp3"]);

    // The 60-character label is clamped, never refused: 32 characters for ISO 9660, 16 for Joliet.
    const QString pvd = QString::fromLatin1(RunTool("isoinfo", {"-d", "-i", image}));
    EXPECT_TRUE(pvd.contains("Volume id: A_LIST_NAME_OF_SIXTY_CHARACTERS_\n")) << pvd.toStdString();
    EXPECT_EQ(JolietVolumeId(image), kLabel.left(16));
  }
}

// Every failed write ends with one Error, no Finished or End, and leaves the
// image as it was, whether it fails before or during the write.
TEST_F(DataBurnerTest, FailuresEndWithOneErrorAndKeepTheOldImage) {
  QFile old(image);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("an earlier image");
  old.close();
  struct Case {
    const char* name;
    int engine;
    QString letter;   // engine 0
    long index;       // engine 1
    bool removeOne;   // a staged file vanishes after it was added
    bool addNothing;
  };
  const Case cases[] = {
      {"v1 unknown writer", 0, "Q", 0, false, false},
      {"v1 file gone", 0, "E", 0, true, false},
      {"v1 nothing added", 0, "E", 0, false, true},
      {"v2 no such writer", 1, "", 3, false, false},
      {"v2 file gone", 1, "", 0, true, false},
      {"v2 nothing added", 1, "", 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString gone = dir + "/staged/gone.mp3";
    QFile g(gone);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("x");
    g.close();
    const QStringList files = c.addNothing ? QStringList() : QStringList{staged[0], gone};
    BurnWatcher w;
    if (c.engine == 0) {
      cAudioDataBurner b;
      Watch(b, w);
      for (const QString& f : files) ASSERT_TRUE(b.AddFile(f));
      if (c.removeOne) QFile::remove(gone);
      b.Burn(c.letter, 65535);
      ASSERT_TRUE(w.Wait());
      EXPECT_EQ(w.Count("Finished"), 0);
    } else {
      cBurner b;
      Watch(b, w);
      b.NewCompilation();
      for (const QString& f : files) b.AddFile(f);
      if (c.removeOne) QFile::remove(gone);
      b.Burn(c.index);
      ASSERT_TRUE(w.Wait());
      EXPECT_EQ(w.Count("End"), 0);
      EXPECT_EQ(w.Count("StartBurning"), 0);  // reported before writing begins
      if (c.removeOne) {
        EXPECT_TRUE(w.errorText.contains("gone.mp3")) << w.errorText.toStdString();
      }
    }
    EXPECT_EQ(w.ends, QStringList{"Error"});
    EXPECT_EQ(FilesIn(dir + "/disc"), QStringList{"out.iso"});
    QFile check(image);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "an earlier image");
  }
}

TEST_F(DataBurnerTest, FirstEngineTakesOnlyReadableFilesOnce) {
  cAudioDataBurner b;
  EXPECT_FALSE(b.AddFile(dir + "/staged/missing.mp3"));
  EXPECT_FALSE(b.AddFile(dir + "/staged"));  // a folder
  EXPECT_TRUE(b.AddFile(staged[0]));
  EXPECT_FALSE(b.AddFile(staged[0]));  // the same name twice cannot be on one disc
  QDir().mkpath(dir + "/other");
  QFile::copy(staged[0], dir + "/other/Song 01.mp3");
  EXPECT_FALSE(b.AddFile(dir + "/other/Song 01.mp3"));  // not even from another folder
  EXPECT_TRUE(b.AddFile(staged[1]));
  // An empty letter names no writer: the tray calls do nothing.
  b.OpenTray("");
  b.CloseTray("");
  EXPECT_FALSE(b.IsDriveReady(""));
  EXPECT_EQ(b.GetSpeedCount("E"), 0);
}

TEST_F(DataBurnerTest, SecondEngineWithoutJolietWritesIsoOnly) {
  cBurner b;
  BurnWatcher w;
  Watch(b, w);
  b.NewCompilation();
  b.SetUseISO9660(false);
  b.SetUseJoliet(false);
  b.SetUseUDF(false);
  b.SetVolumeLabel("Short");
  for (const QString& f : staged) b.AddFile(f);
  b.Burn(0);
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"End"}) << w.errorText.toStdString();
  EXPECT_EQ(JolietVolumeId(image), "?");
  EXPECT_EQ(QString::fromLatin1(RunTool("isoinfo", {"-i", image, "-f"})).count('\n'), 3);
}

TEST_F(DataBurnerTest, ClosingDuringAWriteRaisesNothingMore) {
  {
    cAudioDataBurner b;
    BurnWatcher w;
    Watch(b, w);
    for (const QString& f : staged) b.AddFile(f);
    b.Burn("E", 65535);
    b.CloseBurner();
    EXPECT_FALSE(w.Wait(300));
    EXPECT_TRUE(w.events.isEmpty());
  }
  BurnWatcher w2;
  {
    cBurner b;
    Watch(b, w2);
    for (const QString& f : staged) b.AddFile(f);
    b.Burn(0);
  }  // the engine has no close: letting it go stops the write
  EXPECT_FALSE(w2.Wait(300));
  EXPECT_TRUE(w2.events.isEmpty());
  EXPECT_TRUE(FilesIn(dir + "/disc").filter(".part").isEmpty());
}

TEST_F(DataBurnerTest, LibraryCheckNamesWhatIsMissing) {
  EXPECT_TRUE(cBurner::MissingLibraries().isEmpty()) << cBurner::MissingLibraries().join(",").toStdString();
  const QString libisofs = dir + "/libisofs.so.6";
  QFile f(libisofs);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  qputenv("TESSORY_BURN_LIBRARIES", (dir + "/gone/libburn.so.4:" + libisofs).toLocal8Bit());
  EXPECT_EQ(cBurner::MissingLibraries(), QStringList{"libburn.so.4"});
  qputenv("TESSORY_BURN_LIBRARIES", libisofs.toLocal8Bit());
  EXPECT_EQ(cBurner::MissingLibraries(), QStringList{"libburn.so"});
}

// Each choice of the three file-system boxes, read back by tools that are not
// ours: the disc has every file, byte for byte, in each file system it gets.
// ISO 9660 comes with every choice (Joliet lives inside it, and the UDF tool
// always adds it), as DiscFileSystems tells the window.
TEST_F(DataBurnerTest, EachChoiceOfFileSystemsReadsBackWithOtherTools) {
  QMap<QByteArray, int> bytes;
  for (const QByteArray& b : contents) bytes[b] += 1;
  for (int choice = 0; choice < 8; ++choice) {
    const bool iso = choice & 1, joliet = choice & 2, udf = choice & 4;
    SCOPED_TRACE(QString("ISO %1, Joliet %2, UDF %3").arg(iso).arg(joliet).arg(udf).toStdString());
    QFile::remove(image);
    BurnWatcher w;
    cBurner b;
    Watch(b, w);
    b.NewCompilation();
    b.SetUseISO9660(iso);
    b.SetUseJoliet(joliet);
    b.SetUseUDF(udf);
    b.SetVolumeLabel("Mix");
    for (const QString& f : staged) b.AddFile(f);
    b.Burn(0);
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"End"}) << w.errorText.toStdString();
    EXPECT_EQ(FilesIn(dir + "/disc"), QStringList{"out.iso"});

    QMap<QByteArray, int> isoBytes;
    const QString isoList = QString::fromLatin1(RunTool("isoinfo", {"-i", image, "-f"}));
    for (const QString& name : isoList.split('\n', Qt::SkipEmptyParts))
      isoBytes[RunTool("isoinfo", {"-i", image, "-x", name})] += 1;
    EXPECT_TRUE(isoBytes == bytes);

    const QString pvd = QString::fromLatin1(RunTool("isoinfo", {"-d", "-i", image}));
    EXPECT_EQ(pvd.contains("Joliet with UCS level"), joliet) << pvd.toStdString();
    if (joliet) {
      const QString out = TestEnv::FreshDir("joliet");
      RunTool("xorriso", {"-joliet", "on", "-osirrox", "on", "-indev", image, "-extract", "/", out});
      EXPECT_TRUE(FilesWithBytes(out) == contents);
    }

    EXPECT_EQ(Succeeds("udfinfo", {image}), udf);
    if (udf) {
      EXPECT_TRUE(QString::fromUtf8(RunTool("udfinfo", {image})).contains("\nudfrev=1.02\n"));
      const QString out = TestEnv::FreshDir("udf");
      EXPECT_TRUE(Succeeds("7zz", {"x", "-tudf", "-o" + out, image}));
      EXPECT_TRUE(FilesWithBytes(out) == contents);
    }
    const char* const gets[] = {"ISO 9660", "ISO 9660 and Joliet", "ISO 9660 and UDF", "ISO 9660, Joliet and UDF"};
    EXPECT_EQ(cBurner::DiscFileSystems(iso, joliet, udf), gets[choice / 2]);
  }
}

// The UDF tool counts the label in bytes: a label of fewer than 32 characters
// may hold more than 32 bytes of UTF-8. It is cut to 32 bytes on a character's
// first byte, and each file system of the disc carries the cut label.
TEST_F(DataBurnerTest, UdfLabelIsCutToThirtyTwoBytes) {
  const QString oe(u'\u00f6');
  struct Case {
    QString label, kept;
  } cases[] = {
      {"Größe Sommerhits Ärzte Ölfeld", "Größe Sommerhits Ärzte Ölfel"},  // 29 characters, 33 bytes
      {"x" + oe.repeated(20), "x" + oe.repeated(15)},                     // byte 32 is half an "ö"
      {QString(40, u'a'), QString(32, u'a')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label.toStdString());
    QFile::remove(image);
    BurnWatcher w;
    cBurner b;
    Watch(b, w);
    b.NewCompilation();
    b.SetUseISO9660(true);
    b.SetUseJoliet(false);
    b.SetUseUDF(true);
    b.SetVolumeLabel(c.label);
    for (const QString& f : staged) b.AddFile(f);
    b.Burn(0);
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"End"}) << w.errorText.toStdString();
    const QString udf = QString::fromUtf8(RunTool("udfinfo", {image}));
    EXPECT_TRUE(udf.contains("\nlabel=" + c.kept + "\n")) << udf.toStdString();
    const QString pvd = QString::fromUtf8(RunTool("isoinfo", {"-d", "-i", image}));
    EXPECT_TRUE(pvd.contains("Volume id: " + c.kept + "\n")) << pvd.toStdString();
  }
}
