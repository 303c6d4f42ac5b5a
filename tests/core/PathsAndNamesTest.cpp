#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "core/mdlFunctions.h"

using namespace mdlFunctions;

TEST(PathPieces, NameFolderAndFolderOfFile) {
  struct Case {
    const char* path;
    const char* name;
    const char* folder;  // GetFolderPath and GetFolderOfFile agree
  } cases[] = {
      {"/a/b.mp3", "b.mp3", "/a/"},
      {"b.mp3", "b.mp3", ""},
      {"/a/", "", "/a/"},
      {"", "", ""},
      {"/", "", "/"},
      {"//srv/share/b.mp3", "b.mp3", "//srv/share/"},
      {"/Music/Music", "Music", "/Music/"},
      {"/a.b/file", "file", "/a.b/"},
      {"C:\\Music\\a.mp3", "C:\\Music\\a.mp3", ""},  // a backslash is part of a Linux name
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetFileNameFromPath(c.path), c.name) << c.path;
    EXPECT_EQ(GetFolderPath(c.path), c.folder) << c.path;
    EXPECT_EQ(GetFolderOfFile(c.path), c.folder) << c.path;
  }
}

TEST(PathPieces, ExtensionsAndNamesWithoutThem) {
  struct Case {
    const char* text;
    const char* fileExt;
    const char* extension;
    const char* withoutExt;
  } cases[] = {
      {"song.mp3", "mp3", "mp3", "song"},
      {"song", "", "", "song"},
      {"README", "", "", "README"},
      {"", "", "", ""},
      {"a.tar.gz", "gz", "gz", "a.tar"},
      {"My.Songs.flst", "flst", "flst", "My.Songs"},
      {"A.B.flst", "flst", "flst", "A.B"},
      {"name.", "", "", "name"},
      {".hidden", "hidden", "hidden", ".hidden"},
      {"/a.b/file", "b/file", "b/file", "/a"},
      {"x.abcdefghijklmnop", "abcdefghijkl", "abcdefghijklmnop", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetFileExt(c.text), c.fileExt) << c.text;
    EXPECT_EQ(GetExtension(c.text), c.extension) << c.text;
    EXPECT_EQ(RemoveFileExt(c.text), c.withoutExt) << c.text;
  }
}

// A click served inside a path helper could land between preparing a job and
// starting it, where it would be lost.
TEST(PathPieces, PathHelpersLetNoEventThrough) {
  int ticks = 0;
  QMetaObject::invokeMethod(qApp, [&] { ++ticks; }, Qt::QueuedConnection);
  GetFileNameFromPath("/a/b/c.mp3");
  GetFolderOfFile("/a/b/c.mp3");
  EXPECT_EQ(ticks, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(ticks, 1);
}

TEST(SafeNames, TableCharactersBecomeHyphens) {
  struct Case {
    QString text;
    QString safe;
  } cases[] = {
      {"12:30:45_08/03/2010.wav", "12-30-45_08-03-2010.wav"},
      {"My List (2)", "My-List--2-"},
      {QString::fromUtf8("Caf\u00e9 \u00c0-b_c.9"), QString::fromUtf8("Caf\u00e9-\u00c0-b_c.9")},
      {QString::fromUtf8("a\u20acb\u00a3c\u05d6\u05d9\uf893"), "a-b-c---"},
      {"!\\;,$+&[]{}?*|<>@~`=%#'\"", QString(24, u'-')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeSafeFileName(c.text), c.safe) << c.text.toStdString();
    EXPECT_EQ(MakeSafeFileName(c.text).size(), c.text.size());
  }
}

TEST(SafeNames, ResultIsAlwaysOnePieceOfAPath) {
  struct Case {
    QString text;
    QString safe;
  } cases[] = {
      {"", "-"},
      {".", "-"},
      {"..", "-."},
      {"../../etc/passwd", "-.--.-etc-passwd"},
      {"a...b.mp3", "a--.b.mp3"},
      {QString("tab\there\nnul") + QChar(0) + "x\x7f", "tab-here-nul-x-"},
  };
  for (const Case& c : cases) {
    const QString s = MakeSafeFileName(c.text);
    EXPECT_EQ(s, c.safe) << c.text.toStdString();
    EXPECT_FALSE(s.contains('/') || s.contains("..") || s.isEmpty());
  }
}

// A name longer than a file system takes is cut, its extension kept and no
// character split; the result can be created as a file.
TEST(SafeNames, LongNamesAreCutToTheCap) {
  const QString e(u'\u00e9'), clef = QString::fromUtf8("\xf0\x9d\x84\x9e");  // 2 and 4 bytes (a surrogate pair)
  struct Case {
    QString name;
    QString capped;
  } cases[] = {
      {"short.mp3", "short.mp3"},
      {QString(200, u'a'), QString(200, u'a')},
      {QString(201, u'a'), QString(200, u'a')},
      {QString(1000, u'a') + ".mp3", QString(196, u'a') + ".mp3"},
      {e.repeated(1000) + ".wav", e.repeated(98) + ".wav"},
      {clef.repeated(100) + ".ogg", clef.repeated(49) + ".ogg"},
      {QString(300, u'a') + "." + QString(20, u'b'), QString(200, u'a')},
  };
  const QString dir = TestEnv::FreshDir("long-names");
  for (const Case& c : cases) {
    const QString capped = CapFileNameLength(c.name);
    EXPECT_EQ(capped, c.capped) << c.name.left(20).toStdString();
    QFile f(dir + "/" + capped);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << capped.left(20).toStdString();
  }
}

// A title of megabytes, as a CD database may send, is cut like a short one:
// its extension kept, the cut on a character's first byte, and the numbered
// form within the cap as well.
TEST(SafeNames, NamesOfMegabytesAreCutLikeShortOnes) {
  const QString e(u'\u00e9'), clef = QString::fromUtf8("\xf0\x9d\x84\x9e");
  const QString piece = QString("ab") + e + clef;  // 8 bytes
  const QString huge = piece.repeated(1 << 20) + ".flac";
  EXPECT_EQ(CapFileNameLength(huge), piece.repeated(24) + "ab.flac");
  EXPECT_EQ(NumberedFileName(huge, 12), piece.repeated(23) + "ab" + e + " (12).flac");
  const QString odd = "x" + clef.repeated(3 << 20);  // the 200th UTF-16 unit is half a pair
  EXPECT_EQ(CapFileNameLength(odd), "x" + clef.repeated(49));
}

TEST(LegalNames, NineCharactersAreIllegal) {
  for (QChar c : QString("/\\:?*<>\"|")) EXPECT_FALSE(IsLegalName(QString("a") + c + "b")) << c.toLatin1();
  EXPECT_TRUE(IsLegalName(""));
  EXPECT_TRUE(IsLegalName("My list-1_(x).flst"));
}

namespace {
QWidget* balloonOn(QWidget* box) {
  for (QObject* child : box->children())
    if (auto* w = qobject_cast<QWidget*>(child); w && w->objectName() == "cBalloonTip" && w->isVisible())
      return w;
  return nullptr;
}
}  // namespace

TEST(LegalNames, IllegalKeyIsRefusedWithABalloon) {
  QLineEdit box;
  box.show();
  int key = '?';
  CheckIllegalNameChar(&box, key);
  EXPECT_EQ(key, 0);
  QWidget* balloon = balloonOn(&box);
  ASSERT_NE(balloon, nullptr);
  auto* text = balloon->findChild<QLabel*>("text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "Illegal name.\n\nThe chars:   /\\:?*<>\"|   are not legal.");
  EXPECT_TRUE(box.text().isEmpty());
  balloon->close();
}

TEST(LegalNames, OtherKeysPassWithoutBalloon) {
  QLineEdit box;
  box.show();
  for (int key : {int('-'), int('a'), int('.'), 0x00e9, 0x1002F}) {
    int k = key;
    CheckIllegalNameChar(&box, k);
    EXPECT_EQ(k, key);
  }
  EXPECT_EQ(balloonOn(&box), nullptr);
}

TEST(Folders, CreateFolderPathCreatesMissingLevelsOnly) {
  const QString base = TestEnv::FreshDir("folders");
  EXPECT_EQ(CreateFolderPath(base), 0);
  EXPECT_EQ(CreateFolderPath(base + "/new1/new2/"), 0);
  EXPECT_TRUE(IsFolder(base + "/new1/new2"));
  QFile marker(base + "/new1/keep.txt");
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  EXPECT_EQ(CreateFolderPath(base + "/new1/new3"), 0);
  EXPECT_TRUE(QFile::exists(base + "/new1/keep.txt"));
}

TEST(Folders, CreateFolderPathStopsAtTheFirstFailure) {
  const QString base = TestEnv::FreshDir("blocked");
  QDir().mkpath(base + "/made");
  QFile file(base + "/made/file");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_NE(CreateFolderPath(base + "/made/file/sub"), 0);
  EXPECT_FALSE(IsFolder(base + "/made/file/sub"));
  // A name too long for the file system: the level before it stays.
  EXPECT_NE(CreateFolderPath(base + "/level/" + QString(300, 'x')), 0);
  EXPECT_TRUE(IsFolder(base + "/level"));
}

TEST(Folders, IsFolderOnlyForExistingFolders) {
  const QString base = TestEnv::FreshDir("isfolder");
  QFile f(base + "/f.txt");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(IsFolder(base));
  EXPECT_FALSE(IsFolder(base + "/f.txt"));
  EXPECT_FALSE(IsFolder(base + "/missing"));
  EXPECT_FALSE(IsFolder(""));
}

TEST(Shell, ShellOpenHandsThePathToTheShell) {
  ShellOpen(nullptr, "/tmp/out");
  ASSERT_EQ(ScriptedUi::get().shellCalls.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shellCalls[0].kind, ShellCall::Open);
  EXPECT_EQ(ScriptedUi::get().shellCalls[0].target, "/tmp/out");
}
