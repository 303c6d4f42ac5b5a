#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "FileSizeLimit.h"
#include "ScriptedUi.h"
#include "SmallDisk.h"
#include "TagFixtures.h"
#include "TestEnv.h"
#include "core/mdlModes.h"
#include "platform/cTabControl.h"
#include "tags/g_frmMP3TagsEditor.h"

using namespace TagFixtures;

namespace {
class MP3TagsEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    mdlModes::InitAppMode();
    dir = TestEnv::FreshDir("editor");
  }
  void TearDown() override { unloadForm<g_frmMP3TagsEditor>(); }

  g_frmMP3TagsEditor& open(const QString& path) {
    auto& f = form<g_frmMP3TagsEditor>();
    ScriptedUi::get().dialogAnswers.push_back({path});
    QTest::mouseClick(f.cmdSelectFile, Qt::LeftButton);
    return f;
  }
  void apply(g_frmMP3TagsEditor& f) {
    ScriptedUi::get().shown.clear();
    QTest::mouseClick(f.cmdApply, Qt::LeftButton);
  }
  QString lastMessage() const {
    const auto& shown = ScriptedUi::get().shown;
    return shown.empty() ? QString() : shown.back().prompt;
  }
  QStringList tabs(g_frmMP3TagsEditor& f) {
    QStringList keys;
    for (long i = 1; i <= f.cTabControl1->TabCount(); ++i) keys << f.cTabControl1->TabKey(i);
    return keys;
  }
  // A file with both tags: v2 title "Two" (or none), v1 title "One".
  QString taggedFile(const QByteArray& v2Title, uint8_t v1Genre, const QByteArray& extraFrames = {}) {
    QByteArray frames = extraFrames;
    if (!v2Title.isNull()) frames += Frame("TIT2", '\0' + v2Title);
    const QByteArray tag = frames.isEmpty() ? QByteArray() : Tag(frames, 3, 50);
    return Write(dir, "song.mp3", tag + Audio() + V1Block("One", 4, v1Genre));
  }
  QString dir;
};
}  // namespace

TEST_F(MP3TagsEditor, OpensWithBothVersionsAndTheGenreList) {
  auto& f = form<g_frmMP3TagsEditor>();
  EXPECT_EQ(f.Caption(), "MP3 Tags Editor");
  EXPECT_EQ(f.cboID3->count(), 3);
  EXPECT_EQ(f.cboID3->currentText(), "ID3 v1+v2");
  EXPECT_EQ(tabs(f), QStringList({"General", "Advanced", "Lyrics"}));
  EXPECT_FALSE(f.cmdApply->isEnabled());
  ASSERT_EQ(f.cboGenre->count(), 148);
  EXPECT_EQ(f.cboGenre->itemText(0), "");
  EXPECT_EQ(f.cboGenre->itemData(0).toInt(), 255);
  EXPECT_EQ(f.cboGenre->itemText(1), "Blues");
  EXPECT_EQ(f.cboGenre->itemData(124).toInt(), 124);
  EXPECT_EQ(f.cboGenre->itemText(147), "Synth Pop");
  f.Show();
  f.cTabControl1->Bar()->setCurrentIndex(2);
  EXPECT_TRUE(f.froLyric->isVisible());
  EXPECT_FALSE(f.froGeneral->isVisible());
  // A cancelled dialog changes nothing.
  QTest::mouseClick(f.cmdSelectFile, Qt::LeftButton);
  EXPECT_EQ(f.sSourceFile->text(), "");
  EXPECT_FALSE(f.cmdApply->isEnabled());
}

TEST_F(MP3TagsEditor, NonEmptyVersion2ValuesWin) {
  auto& f = open(taggedFile(QByteArray(), 17));
  EXPECT_EQ(ScriptedUi::get().dialogs.back().title, "Open MP3 audio file");
  EXPECT_TRUE(f.cmdApply->isEnabled());
  EXPECT_EQ(f.txtTitle->text(), "One");
  EXPECT_EQ(f.cboGenre->currentText(), "Rock");
  f.LoadTagsFromFile(taggedFile("Two", 17));
  EXPECT_EQ(f.txtTitle->text(), "Two");
}

TEST_F(MP3TagsEditor, EditAndApplyWritesBothTags) {
  const QByteArray picture = Frame("APIC", QByteArray("\0image/jpeg\0\x03\0JPEGDATA", 22));
  const QString path = taggedFile("Two", 17, picture);
  auto& f = open(path);
  f.txtTitle->setText("New \u0436");
  f.txtTrackNum->setText("9");
  f.txtLyric->setPlainText("la la");
  f.cboGenre->setEditText("Jazz");
  apply(f);
  EXPECT_EQ(lastMessage(), "Done.");
  EXPECT_EQ(ScriptedUi::get().shown.back().title, "Tessory 3.1");
  EXPECT_EQ(ScriptedUi::get().shown.back().buttons, vbInformation);

  cMP3ID3v2 v2;
  v2.SetMP3File(path);
  EXPECT_EQ(v2.Title(), "New \u0436");
  EXPECT_EQ(v2.Track(), "9");
  EXPECT_EQ(v2.Lyrics(), "la la");
  EXPECT_EQ(v2.Genre(), 8);
  EXPECT_EQ(v2.TagsInFrame("APIC"), 1);
  cMP3ID3v1 v1;
  v1.SetMP3File(path);
  EXPECT_EQ(v1.Title(), "New ?");
  EXPECT_EQ(v1.Genre(), 8);
  EXPECT_EQ(v1.Track(), 4);  // the window leaves the ID3v1 track alone
  const QByteArray bytes = Read(path);
  EXPECT_TRUE(bytes.contains(picture));
  EXPECT_EQ(bytes.right(Audio().size() + 128).left(Audio().size()), Audio());
}

TEST_F(MP3TagsEditor, ApplyWithoutEditsKeepsEveryGenre) {
  for (int genre : {17, 80, 9, 13, 0, 147}) {
    const QString path = taggedFile("Two", uint8_t(genre));
    auto& f = open(path);
    apply(f);
    ASSERT_EQ(lastMessage(), "Done.");
    EXPECT_EQ(f.cboGenre->currentText(), cMP3ID3v1::GenreName(uint8_t(genre)));
    cMP3ID3v1 v1;
    v1.SetMP3File(path);
    EXPECT_EQ(v1.Genre(), genre);
    cMP3ID3v2 v2;
    v2.SetMP3File(path);
    EXPECT_EQ(v2.Genre(), genre);
    const QByteArray once = Read(path);
    apply(f);
    EXPECT_EQ(Read(path), once) << genre;
  }
}

TEST_F(MP3TagsEditor, TypedGenres) {
  const QString path = taggedFile("Two", 17);
  auto& f = open(path);
  f.cboGenre->setEditText("rock");  // another case matches no entry: kept as typed
  apply(f);
  EXPECT_EQ(f.cboGenre->currentIndex(), 0);
  EXPECT_EQ(f.cboGenre->currentText(), "rock");
  cMP3ID3v2 v2;
  v2.SetMP3File(path);
  EXPECT_EQ(v2.Genre(), 255);
  EXPECT_EQ(v2.OtherGenreName(), "rock");
  f.cboGenre->setEditText("Ambi");  // a piece of a name takes that entry
  apply(f);
  EXPECT_EQ(f.cboGenre->currentText(), "Ambient");
  // A free genre text of another writer is shown and kept.
  const QString free = Write(dir, "free.mp3", Tag(Frame("TCON", QByteArray("\0Synthwave", 10))) + Audio());
  f.cboID3->setCurrentIndex(1);
  f.LoadTagsFromFile(free);
  EXPECT_EQ(f.cboGenre->currentText(), "Synthwave");
}

TEST_F(MP3TagsEditor, ApplyKeepsAFreeGenreText) {
  const struct { QByteArray tcon; QString typed; } cases[] = {
      {QByteArray("\0Synthwave", 10), QString()},  // as read
      {QByteArray("\0(17)", 5), "Synthwave"},      // typed over a listed genre
      {QByteArray("\0(17)", 5), "rock"},           // another case than the list's
  };
  for (const auto& c : cases) {
    const QString path = Write(dir, "free.mp3", Tag(Frame("TCON", c.tcon), 3, 50) + Audio() + V1Block("One", 4, 17));
    auto& f = open(path);
    if (!c.typed.isNull()) f.cboGenre->setEditText(c.typed);
    const QString shown = f.cboGenre->currentText();
    apply(f);
    ASSERT_EQ(lastMessage(), "Done.");
    EXPECT_EQ(f.cboGenre->currentText(), shown);
    cMP3ID3v2 v2;
    v2.SetMP3File(path);
    EXPECT_EQ(v2.OtherGenreName(), shown);
    EXPECT_EQ(v2.Genre(), 255);
    cMP3ID3v1 v1;
    v1.SetMP3File(path);
    EXPECT_EQ(v1.Genre(), 255);
    // Loaded again, the box shows the same text.
    f.LoadTagsFromFile(path);
    EXPECT_EQ(f.cboGenre->currentText(), shown);
  }
}

TEST_F(MP3TagsEditor, TagWhoseEndIsNotKnownIsRefusedBeforeAnythingIsWritten) {
  QByteArray tag = Tag(Frame("TIT2", QByteArray("\0Kept", 5)), 3, 100);
  tag.replace(6, 4, QByteArray("\x7f\x7f\x7f\x7f", 4));
  const QByteArray original = tag + Audio() + V1Block("One", 4, 17);
  const QString path = Write(dir, "damaged.mp3", original);
  auto& f = open(path);
  EXPECT_EQ(f.txtTitle->text(), "Kept");
  f.txtTitle->setText("New");
  apply(f);
  EXPECT_TRUE(lastMessage().contains(path));
  EXPECT_TRUE(lastMessage().endsWith("(" + QString::number(tagErrDamagedTag) + ")")) << lastMessage().toStdString();
  EXPECT_EQ(Read(path), original);
}

TEST_F(MP3TagsEditor, OneVersionLeavesTheOtherTagAlone) {
  const QString path = taggedFile("Two", 17);
  auto& f = open(path);
  f.cboID3->setCurrentIndex(0);
  EXPECT_EQ(tabs(f), QStringList({"General"}));
  EXPECT_EQ(f.txtTitle->text(), "One");
  EXPECT_EQ(f.txtTrackNum->text(), "");
  const QByteArray before = Read(path);
  f.txtTitle->setText("V1 only");
  apply(f);
  QByteArray after = Read(path);
  EXPECT_EQ(after.left(after.size() - 128), before.left(before.size() - 128));
  EXPECT_NE(after.right(128), before.right(128));

  f.cboID3->setCurrentIndex(1);
  f.txtTitle->setText("V2 only");
  apply(f);
  EXPECT_EQ(Read(path).right(128), after.right(128));
  cMP3ID3v2 v2;
  v2.SetMP3File(path);
  EXPECT_EQ(v2.Title(), "V2 only");
}

TEST_F(MP3TagsEditor, SwitchingTheVersionDropsEdits) {
  auto& f = open(taggedFile("Two", 17));
  f.txtTitle->setText("edited");
  f.cboID3->setCurrentIndex(1);
  EXPECT_EQ(f.txtTitle->text(), "Two");
}

TEST_F(MP3TagsEditor, FailuresAreShownWithTheirNumber) {
  const QString empty = Write(dir, "empty.mp3", {});
  auto& f = open(empty);
  apply(f);
  EXPECT_EQ(lastMessage(), empty + " is not a valid MP3 file.(-2147217407)");
  EXPECT_EQ(ScriptedUi::get().shown.back().title, AppTitle());
  EXPECT_EQ(Read(empty).size(), 0);

  const QString small = Write(dir, "small.mp3", QByteArray(100, 'a'));
  f.cboID3->setCurrentIndex(0);
  f.LoadTagsFromFile(small);
  f.sSourceFile->setText(small);
  apply(f);
  EXPECT_EQ(lastMessage(), "Done.");

  // A rewrite that finds no room fails before either tag is written: ID3v2
  // alone (1), and both (2).
  for (int version : {1, 2}) {
    const QString path = taggedFile("Two", 17);
    f.cboID3->setCurrentIndex(version);
    f.sSourceFile->setText(path);
    f.LoadTagsFromFile(path);
    f.txtTitle->setText("New");
    f.txtLyric->setPlainText(QString(5000, 'x'));
    const QByteArray before = Read(path);
    {
      FileSizeLimit limit(before.size());
      apply(f);
    }
    EXPECT_TRUE(lastMessage().endsWith(")")) << version;
    EXPECT_NE(lastMessage(), "Done.");
    EXPECT_EQ(Read(path), before) << version;
  }
}

TEST_F(MP3TagsEditor, FullDiskLeavesBothTagsAsTheyWere) {
  const SmallDisk small(dir, 16 << 10);
  if (!small.Mounted()) GTEST_SKIP() << "no small disk can be mounted here";
  const QString path = Write(dir, "song.mp3", Tag(Frame("TIT2", QByteArray("\0Two", 4)), 3, 50) + Audio(20) +
                                                  V1Block("One", 4, 17));
  const QByteArray before = Read(path);
  ASSERT_EQ(before.size(), 74 + 20 * 417 + 128);
  auto& f = open(path);
  f.txtTitle->setText("New");
  apply(f);
  EXPECT_TRUE(lastMessage().endsWith(")")) << lastMessage().toStdString();
  EXPECT_EQ(Read(path), before);
}

TEST_F(MP3TagsEditor, ApplyWithoutEditsKeepsMultiValuedTexts) {
  // Version 2.4 text frames hold several values, NUL between them; the
  // frame is written back as its version 2.3 form.
  const QByteArray utf16("\x01\xff\xfe" "A\0l\0p\0h\0a\0\0\0\xff\xfe" "B\0e\0t\0a\0", 25);
  const struct { QByteArray body; QByteArray written; } cases[] = {
      {QByteArray("\0Alpha\0Beta", 11), QByteArray("\0Alpha\0Beta", 11)},
      {utf16, utf16},
      {QByteArray("\x03" "Alpha\0Beta", 11), utf16},
  };
  for (const auto& c : cases) {
    const QByteArray frames = Frame("TPE1", c.body, 4) + Frame("TIT2", QByteArray("\0Two", 4), 4);
    const QString path = Write(dir, "multi.mp3", Tag(frames, 4, 50) + Audio() + V1Block("One", 4, 17));
    auto& f = open(path);
    EXPECT_EQ(f.txtArtist->text(), "Alpha / Beta");
    apply(f);
    ASSERT_EQ(lastMessage(), "Done.");
    EXPECT_TRUE(Read(path).contains(Frame("TPE1", c.written))) << c.written.toHex().toStdString();
    EXPECT_EQ(Read(path).right(Audio().size() + 128).left(Audio().size()), Audio());
  }
}

TEST_F(MP3TagsEditor, CloseUnloads) {
  auto& f = form<g_frmMP3TagsEditor>();
  QTest::mouseClick(f.cmdClose, Qt::LeftButton);
  EXPECT_EQ(loadedForm<g_frmMP3TagsEditor>(), nullptr);
}
