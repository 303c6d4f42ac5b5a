// The staging run's questions and failures: two rows staged under one name in
// both modes with each answer, and a conversion that fails on the last row.
#include <QLabel>

#include "platform/audio/cAudioConverter.h"
#include "platform/cSysTray.h"
#include "tests/tools/disc/DataBurnerFixture.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;

// Row 1 is a second long, row 2 two seconds, so the staged file shows which
// row it came from.
TEST_F(DataBurnerTest, TwoRowsOfOneNameAskBeforeTheSecondIsStaged) {
  WriteWav(media + "/a.wav", 22050, 1, 16, 1.0);
  WriteWav(media + "/b.wav", 22050, 1, 16, 2.0);
  AddItems({"a.wav", "b.wav"});
  struct Case {
    bool copy;
    int answer;
    const char* fromRow;  // the source of x on the disc; "" no disc
  };
  const Case cases[] = {
      {false, vbYes, "b.wav"}, {false, vbNo, "a.wav"}, {false, vbCancel, ""},
      {true, vbYes, "b.wav"},  {true, vbNo, "a.wav"},  {true, vbCancel, "a.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("copy %1, answer %2").arg(c.copy).arg(c.answer).toStdString());
    QFile::remove(iso);
    ScriptedUi::get().reset();
    ScriptedUi::get().answers = {c.answer};
    WithBurner(0, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(c.copy);
      w.cboFileName->addItem("x.[dest_extension]");
      w.cboFileName->setCurrentIndex(w.cboFileName->count() - 1);
      Burn(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), *c.fromRow ? "Done." : "Aborted.");
    });
    const QString staged = staging + (c.copy ? "x.wav" : "x.mp3");
    const QString question = c.copy
                                 ? "The file name x.wav is already existed in the list to be burn. \r\n\r\nOverwtie it?"
                                 : "The file: '" + staged + "' already exists.\r\n\r\nOverwrite it?";
    ASSERT_FALSE(Prompts().isEmpty());
    EXPECT_EQ(Prompts()[0], question);
    EXPECT_EQ(Asked("Burn CD?"), *c.fromRow != 0);
    if (!*c.fromRow) {
      EXPECT_FALSE(QFileInfo::exists(iso));
      continue;
    }
    const QMap<QString, QByteArray> disc = DiscFiles();
    ASSERT_EQ(QStringList(disc.keys()), QStringList{QFileInfo(staged).fileName()});
    if (c.copy) {
      EXPECT_TRUE(disc.first() == FileBytes(media + "/" + c.fromRow));
      continue;
    }
    const QString path = TestEnv::FreshDir("probe") + "/x.mp3";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(disc.first()) == disc.first().size());
    f.close();
    const double seconds = QString(c.fromRow) == "a.wav" ? 1.0 : 2.0;
    EXPECT_NEAR(double(DecodePcm(path).size()) / 22050, seconds, 0.15);
  }
}

// The failed row is logged and left off; the disc is still offered and
// written, and the end-of-job actions run, all but the turn-off.
TEST_F(DataBurnerTest, AConversionErrorOnTheLastRowStillOffersTheDisc) {
  AddSources({"a.wav", "b.wav"});
  ListFixtures::WriteBytes(media + "/b.wav", QByteArray(4000, 'z'));
  WithBurner(1, [&](g_frmDataBurner3& w) {
    w.chkOpenDestFolder->setChecked(true);
    Burn(w);
    const QStringList log = Messages(w);
    const QStringList errors = log.filter("Error: ");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(log[log.indexOf(errors[0]) - 1], "Start to convert: b.wav...");
    EXPECT_TRUE(log.filter("Couldn't add the file").isEmpty());
    EXPECT_EQ(LastMessage(w), "Done.");
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Done.");
  });
  EXPECT_TRUE(Asked("Burn CD?"));
  EXPECT_EQ(QStringList(DiscFiles().keys()), QStringList{"a.mp3"});
  EXPECT_EQ(sounds.size(), 1);
  EXPECT_EQ(turnOffShown, 0);
  // The image drive's folder is what "Open destination folder" opens.
  const auto& calls = ScriptedUi::get().shellCalls;
  ASSERT_EQ(calls.size(), 1);
  EXPECT_EQ(calls[0].target, QFileInfo(iso).absolutePath() + "/");
}

// "Erase temp files now." empties the staging folder of a ready window, but
// for hidden files, and says so.
TEST_F(DataBurnerTest, EraseNowEmptiesTheStagingFolderButHiddenFiles) {
  AddSources({"a.wav"});
  ScriptedUi::get().answers = {vbCancel};  // "Burn CD?"
  WithBurner(0, [&](g_frmDataBurner3& w) {
    w.chkDoNotConvertSource->setChecked(true);
    Burn(w);
    ListFixtures::WriteBytes(staging + ".keep", "x");
    EXPECT_EQ(Staged(), (QStringList{".keep", "a.wav"}));
    emit w.lblErasetempfilesnow->Click();
    EXPECT_EQ(Staged(), QStringList{".keep"});
    EXPECT_EQ(Prompts().last(), "Done." + QString(28, u' '));
  });
  EXPECT_FALSE(QFileInfo::exists(iso));
}

// A second window (of this program or of another one) stages and closes
// between the first window's staging and its write: the first window's staged
// files stay, and its disc gets them all.
TEST_F(DataBurnerTest, AnotherWindowsRunAndCloseLeaveTheStagedFilesAlone) {
  AddSources({"a.wav", "b.wav"});
  QStringList otherStaged;
  bool otherOpened = false;
  OnPrompt("Burn CD?", [&] {
    if (otherOpened) return int(vbCancel);  // the second window's question
    otherOpened = true;
    auto* other = new g_frmDataBurner3;
    other->Load();
    main->CopyGridRows(*main->cGrid1, *other->cGrid1, true);
    other->cmbEngine->setCurrentIndex(0);
    other->chkDoNotConvertSource->setChecked(true);
    Burn(*other);
    otherStaged = FilesIn(other->GetTempBurnFolder());
    EXPECT_NE(other->GetTempBurnFolder(), staging);
    EXPECT_TRUE(other->Unload());
    return int(vbOK);
  });
  WithBurner(1, [&](g_frmDataBurner3& w) {
    w.chkDoNotConvertSource->setChecked(true);
    Burn(w);
    EXPECT_EQ(LastMessage(w), "Done.");
  });
  EXPECT_EQ(otherStaged, (QStringList{"a.wav", "b.wav"}));
  const QMap<QString, QByteArray> disc = DiscFiles();
  ASSERT_EQ(QStringList(disc.keys()), (QStringList{"a.wav", "b.wav"}));
  EXPECT_TRUE(disc["a.wav"] == FileBytes(media + "/a.wav"));
  EXPECT_TRUE(disc["b.wav"] == FileBytes(media + "/b.wav"));
}

// Staging on several workers stages what one worker stages, byte for byte,
// with the same log; a damaged row among good ones is an error of its own.
TEST_F(DataBurnerTest, ManyWorkersStageTheFilesAndLogOfOne) {
  AddSources({"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"});
  ListFixtures::WriteBytes(media + "/c.wav", QByteArray(3000, 'z'));
  const auto seen = RunOnWorkers({1, 4}, [&](int, RunSeen& s) {
    ScriptedUi::get().reset();
    OnPrompt("Burn CD?", [&] {
      for (const QString& name : Staged()) s.bytes[name] = ListFixtures::FileBytes(staging + name);
      return int(vbCancel);
    });
    WithBurner(0, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(false);
      Burn(w);
      s.log = Messages(w);
    });
  });
  ExpectWhatOneWorkerGives(seen);
  const RunSeen& four = seen.at(4);
  QStringList staged;
  for (const auto& [name, bytes] : four.bytes) staged << name;
  EXPECT_EQ(staged, QStringList({"a.mp3", "b.mp3", "d.mp3", "e.mp3"}));
  EXPECT_EQ(four.bytes.size(), seen.at(1).bytes.size());
  EXPECT_EQ(four.log.filter("Error: ").size(), 1);
}
