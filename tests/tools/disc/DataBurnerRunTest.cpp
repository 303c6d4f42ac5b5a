// Whole runs of the data-disc window on an image drive, with both engines, in
// copy and convert mode: what the disc holds (Joliet names, bytes equal to
// the staged files, the clamped volume id), what the log says, the end-of-job
// actions, and the hand-over from the main window.
#include <QLabel>
#include <QLineEdit>

#include "platform/UserSettings.h"
#include "platform/XP_ProgressBar.h"
#include "platform/cStatusBar.h"
#include "platform/cTreeView.h"
#include "core/mdlModes.h"
#include "tests/tools/disc/DataBurnerFixture.h"

using namespace AudioFixtures;

using ListFixtures::FileBytes;

namespace {
const QString kLabel = "A list name of sixty characters that no disc can hold whole";  // 60
const QStringList kSources = {"Song 01.wav", "Grüße aus Köln – Ünïcödé.mp3", "c.ogg"};
}  // namespace

TEST_F(DataBurnerTest, BothEnginesWriteTheStagedFilesInCopyAndConvertMode) {
  AddSources(kSources);
  struct Case {
    int engine;
    bool copy;
    QStringList names;  // on the disc, sorted
  };
  const Case cases[] = {
      {0, true, {"Grüße aus Köln – Ünïcödé.mp3", "Song 01.wav", "c.ogg"}},
      {1, true, {"Grüße aus Köln – Ünïcödé.mp3", "Song 01.wav", "c.ogg"}},
      {0, false, {"Grüße aus Köln – Ünïcödé.mp3", "Song 01.mp3", "c.mp3"}},
      {1, false, {"Grüße aus Köln – Ünïcödé.mp3", "Song 01.mp3", "c.mp3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("engine %1, copy %2").arg(c.engine).arg(c.copy).toStdString());
    QFile::remove(iso);
    sounds.clear();
    ScriptedUi::get().reset();
    QMap<QString, QByteArray> staged;
    // The staged files as they are when the question comes.
    OnPrompt("Burn CD?", [&] {
      for (const QString& name : Staged()) staged[name] = FileBytes(staging + name);
      return int(vbOK);
    });
    WithBurner(c.engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(c.copy);
      w.chkUDF->setChecked(c.engine == 1);
      w.txtCDName->setText(kLabel);
      Burn(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
      const QStringList log = Messages(w);
      EXPECT_TRUE(log.contains(c.engine == 0 ? "Finished" : "BurnerEnd.")) << log.join("\n").toStdString();
      EXPECT_EQ(LastMessage(w), "Done.");
      EXPECT_TRUE(log.filter("ISO 9660 is always written").isEmpty());
    });
    EXPECT_EQ(Prompts().filter("Burn CD?").size(), 1);
    EXPECT_EQ(sounds.size(), 1);  // the end-of-job actions ran
    EXPECT_EQ(turnOffShown, 1);
    turnOffShown = 0;
    EXPECT_TRUE(Staged().isEmpty());  // "Erase Temp files" is ticked

    ASSERT_EQ(QStringList(staged.keys()), c.names);
    const QMap<QString, QByteArray> disc = DiscFiles();
    ASSERT_EQ(QStringList(disc.keys()), c.names);
    for (const QString& name : c.names) EXPECT_TRUE(disc[name] == staged[name]) << name.toStdString();
    if (c.copy) {
      for (const QString& source : kSources) EXPECT_TRUE(disc[source] == FileBytes(media + "/" + source));
    } else {
      for (const QString& name : c.names) {
        const QString path = TestEnv::FreshDir("probe") + "/x.mp3";
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(disc[name]) == disc[name].size());
        f.close();
        EXPECT_EQ(ProbeFile(path).codec, "mp3");
        EXPECT_NEAR(double(DecodePcm(path).size()) / 22050, 1.0, 0.15);
      }
    }
    // With UDF (engine 1 here) the label keeps its case and blanks, as UDF holds it.
    const QString volumeId = c.engine == 1 ? "A list name of sixty characters" : "A_LIST_NAME_OF_SIXTY_CHARACTERS_";
    EXPECT_TRUE(VolumeReport().contains("Volume id: " + volumeId + "\n")) << VolumeReport().toStdString();
  }
}

// A second run in the same window stages afresh: the disc holds what that
// run staged, under the names it staged them.
// Abort, off during the write, is usable again after it.
TEST_F(DataBurnerTest, ASecondRunWritesOnlyWhatItStaged) {
  AddSources({"a.wav", "b.wav"});
  WithBurner(1, [&](g_frmDataBurner3& w) {
    w.chkEraseTempfiles->setChecked(false);
    Burn(w);
    EXPECT_EQ(QStringList(DiscFiles().keys()), (QStringList{"a.mp3", "b.mp3"}));
    EXPECT_TRUE(w.cmdAbort->isEnabled());
    w.chkDoNotConvertSource->setChecked(true);
    Burn(w);
    EXPECT_EQ(QStringList(DiscFiles().keys()), (QStringList{"a.wav", "b.wav"}));
    EXPECT_EQ(Staged(), (QStringList{"a.wav", "b.wav"}));
  });
  EXPECT_TRUE(Staged().isEmpty());  // closing empties the staging folder
}

// The boxes choose the disc's file systems; a choice without ISO 9660, which
// every disc here carries, is told in the log before the write.
TEST_F(DataBurnerTest, TheFileSystemBoxesChooseWhatTheDiscGets) {
  AddSources({"a.wav"});
  struct Case {
    bool iso, joliet, udf;
    const char* told;  // "" when the disc is what the boxes say
  } cases[] = {{true, false, true, ""},
               {false, true, true, "ISO 9660 is always written: the disc gets ISO 9660, Joliet and UDF."},
               {false, false, false, "ISO 9660 is always written: the disc gets ISO 9660."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told);
    QFile::remove(iso);
    WithBurner(1, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      w.chkISO->setChecked(c.iso);
      w.chkJOLIET->setChecked(c.joliet);
      w.chkUDF->setChecked(c.udf);
      Burn(w);
      const QStringList log = Messages(w);
      EXPECT_EQ(log.filter("ISO 9660 is always written").join(""), c.told);
      EXPECT_EQ(LastMessage(w), "Done.");
    });
    EXPECT_EQ(VolumeReport().contains("Joliet with UCS level"), c.joliet);
    EXPECT_EQ(QString::fromUtf8(RunTool("udfinfo", {iso})).contains("udfrev=1.02"), c.udf);
    EXPECT_EQ(RunTool("isoinfo", {"-i", iso, "-x", "/A.WAV;1"}), FileBytes(media + "/a.wav"));
  }
}

TEST_F(DataBurnerTest, HandOverFromTheMainWindow) {
  AddSources({"a.wav", "b.wav", "c.wav"});
  ItemRow::SetIcon(*main->cGrid1, 2, "Inc", 0);
  main->cTreeView1->SelectedItem()->SetText("My Party Songs");
  for (const QString& command : {QString("MP3 CD Maker"), QString("WMA CD Maker")}) {
    SCOPED_TRACE(command.toStdString());
    WithBurner(0, [&](g_frmDataBurner3& w) {
      EXPECT_EQ(w.Caption(), command);
      EXPECT_EQ(w.lblTitle->text(), command);
      const QString format = command.startsWith("MP3") ? "MP3 - MPEG-1 Audio Layer 3 (*.mp3)"
                                                        : "WMA - Windows Media Audio files (*.wma)";
      EXPECT_EQ(w.cboTargetFormat->currentText(), format);
      EXPECT_EQ(w.txtCDName->text(), "My-Party-Songs");
      EXPECT_EQ(w.lblFilesToConvert->text(), "2 items to burn.");
      EXPECT_EQ(w.g_ltmrItemSecsTotal, 2);
      ASSERT_EQ(w.cGrid1->Rows(), 2);
      EXPECT_EQ(ItemRow::Text(*w.cGrid1, 2, "COL_FILE"), media + "/c.wav");
      // The image drive, the highest speed alone, the window's own first template.
      ASSERT_EQ(w.cboDrv->count(), 1);
      EXPECT_TRUE(QRegularExpression("^[A-Z]: Disc image \\(").match(w.cboDrv->currentText()).hasMatch())
          << w.cboDrv->currentText().toStdString();
      EXPECT_EQ(w.cboSpeed->currentText(), "Max.");
      EXPECT_EQ(w.cboSpeed->currentData().toLongLong(), 65535);
      EXPECT_EQ(w.cboFileName->currentText(), "[file_name].[dest_extension]");
      EXPECT_TRUE(w.GetTempBurnFolder().startsWith(ProgramFolder() + "/"));
      // The item's own placeholders belong to the converter: here they stay as typed.
      EXPECT_EQ(w.CreateID3TagsString("[ITEM_NAME] [SOURCE_NAME] [RANGE]"), "[ITEM_NAME] [SOURCE_NAME] [RANGE]");
    }, command);
  }
}

// The engine chosen when the window closes is chosen again at its next
// opening; the second engine lists its writers as letter, " - " and name and
// shows its file-system boxes.
TEST_F(DataBurnerTest, TheEngineChoiceIsKeptAndSwitchesTheControls) {
  AddSources({"a.wav"});
  WithBurner(1, [&](g_frmDataBurner3& w) {
    EXPECT_TRUE(w.chkUDF->isVisibleTo(&w));
    EXPECT_EQ(w.cboDrv->currentText().mid(1), ": - Disc image (" + iso + ")");
  });
  EXPECT_EQ(GetSetting(g_sAppName, "BurnerEngine", "cmbEngine"), "1");
  bool opened = false;
  QTimer::singleShot(0, [&] {
    g_frmDataBurner3* w = loadedForm<g_frmDataBurner3>();
    ASSERT_NE(w, nullptr);
    opened = true;
    EXPECT_EQ(w->cmbEngine->currentIndex(), 1);
    w->cmbEngine->setCurrentIndex(0);
    EXPECT_FALSE(w->chkUDF->isVisibleTo(w));
    EXPECT_EQ(w->cboDrv->currentText().mid(1), ": Disc image (" + iso + ")");
    w->cmdExit->click();
  });
  main->RunCommand("MP3 CD Maker");
  EXPECT_TRUE(opened);
  EXPECT_EQ(GetSetting(g_sAppName, "BurnerEngine", "cmbEngine"), "0");
}

// Without the libraries of the second engine the window says which are
// missing here and stays with the first engine.
TEST_F(DataBurnerTest, TheSecondEngineNeedsItsLibraries) {
  AddSources({"a.wav"});
  qputenv("TESSORY_BURN_LIBRARIES", "/nowhere/libburn.so.4:/nowhere/libisofs.so.6");
  ScriptedUi::get().answers = {vbYes};
  WithBurner(1, [&](g_frmDataBurner3& w) {
    EXPECT_EQ(w.cmbEngine->currentIndex(), 0);
    EXPECT_FALSE(w.chkUDF->isVisibleTo(&w));
    EXPECT_EQ(w.cboDrv->currentText().mid(1), ": Disc image (" + iso + ")");
  });
  const QStringList asked = Prompts().filter("Continue?");
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0], "The CD/DVD engine needs the disc-writing libraries, and these are missing here: "
                      "libburn.so.4, libisofs.so.6.\r\n\r\nContinue?");
  EXPECT_FALSE(asked[0].contains("Windows") || asked[0].contains("Microsoft") || asked[0].contains("IMAPI"));
  ASSERT_EQ(ScriptedUi::get().shellCalls.size(), 1);  // after Yes, where to get them
  EXPECT_TRUE(ScriptedUi::get().shellCalls[0].target.contains("libburn"));
}
