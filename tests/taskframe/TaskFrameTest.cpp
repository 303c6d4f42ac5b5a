// The task-window frame as the converter carries it: set-up and hand-over,
// output names, the destination history, tabs and the close guard.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/g_frmTurnOff.h"
#include "core/mdlFunctions.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cGrid.h"
#include "platform/cSysTray.h"
#include "platform/cStatusBar.h"
#include "platform/cTabControl.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "TaskFixture.h"
#include "tools/convert/g_frmJoiner.h"

using namespace AudioFixtures;
using TaskFrame = TaskTest;

TEST_F(TaskFrame, ConverterOpensWithTheFrameAndTheHandedOverItems) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 2.0);
  WriteWav(media + "/b.wav", 8000, 1, 16, 3.0);
  AddItems({"a.wav", "b.wav"});
  WithConverter([&](g_frmConverter& w) {
    EXPECT_EQ(w.Caption(), "Audio Converter");
    EXPECT_EQ(w.lblTitle->text(), "Audio Converter");
    EXPECT_EQ(w.cmdConvert->text(), "Convert");
    EXPECT_EQ(w.chkNoticeApp->text(), "Execute external program ");
    ASSERT_EQ(w.cTabControl1->TabCount(), 3);
    EXPECT_EQ(w.cTabControl1->TabKey(1), "Settings");
    EXPECT_EQ(w.cTabControl1->TabKey(3), "Log");
    EXPECT_TRUE(w.TabSettings->isVisible());
    EXPECT_FALSE(w.TabLog->isVisible());
    EXPECT_EQ(w.lblFilesToConvert->text(), "2 items to convert.");
    EXPECT_EQ(w.g_ltmrItemSecsTotal, 5);
    EXPECT_EQ(w.cStatusBar1->PanelKey(1), "Total Size");
    EXPECT_EQ(w.cStatusBar1->PanelText("Total Size"), "Total Time: 0:00:05");
    EXPECT_TRUE(w.cStatusBar1->PanelText("Total Time").startsWith("Total Size: "));
    EXPECT_EQ(w.txtUndeForlder->text(), mdlFunctions::MakeSafeFileName(main->cTreeView1->SelectedItem()->Text()));
    EXPECT_FALSE(w.txtUndeForlder->isEnabled());
    ASSERT_EQ(w.cGrid1->Rows(), 2);
    EXPECT_EQ(ItemRow::Text(*w.cGrid1, 2, "COL_FILE"), media + "/b.wav");
    // No default template: the second built-in one.
    EXPECT_EQ(w.cboFileName->currentText(), "[file_name].[source_extension].[dest_extension]");
  });
  EXPECT_EQ(loadedForm<g_frmConverter>(), nullptr);
}

TEST_F(TaskFrame, OutputNamesFromEveryPlaceholderStaySafeNames) {
  WriteWav(media + "/My.Song.wav", 8000, 1, 16, 0.2);
  WriteWav(media + "/README", 8000, 1, 16, 0.2);
  AddItems({"My.Song.wav", "README"});
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).replace('/', '-');
  struct Case {
    const char* itemName;  // of row 2, whose source has no dot
    const char* name;      // template
    QString expected;      // with the MP3 format; "" when no usable name is left
  } cases[] = {
      {"Intro", "[file_name].[source_extension].[dest_extension]", "README..mp3"},
      {"Intro", "[123]_[item_name].[convert_extension]", "2_Intro.mp3"},
      {"Intro", "[date]_[ITEM_NAME]_[TIME].[dest_extension]", date + "_[ITEM_NAME]_[TIME].mp3"},
      {"../../etc/passwd", "[item_name]", ".._.._etc_passwd"},
      {"..", "[item_name]", ""},
      {"a\x01" "b\nc/d.e", "[item_name].[dest_extension]", "a_b_c_d.e.mp3"},
      {"x[file_name]", "[item_name]", "x[file_name]"},
      {"Intro", "", ""},
  };
  WithConverter([&](g_frmConverter& w) {
    FormControls::SelectText(w.cboTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    EXPECT_EQ(w.GetTargetFileName(1).section('.', 0, 0), "My");
    for (const Case& c : cases) {
      ItemRow::SetText(*w.cGrid1, 2, "Item Name", c.itemName);
      w.cboFileName->clear();
      w.cboFileName->addItem(c.name);
      w.cboFileName->setCurrentIndex(0);
      EXPECT_EQ(w.GetTargetFileName(2), c.expected) << c.name << " / " << c.itemName;
    }
    // The time placeholder: hours, minutes and seconds joined by "-".
    w.cboFileName->clear();
    w.cboFileName->addItem("[time]");
    w.cboFileName->setCurrentIndex(0);
    EXPECT_TRUE(QRegularExpression(R"(^\d\d-\d\d-\d\d$)").match(w.GetTargetFileName(1)).hasMatch());
    EXPECT_EQ(mdlFunctions::RemoveFileExt("My.Song.wav"), "My.Song");
  });
}

TEST_F(TaskFrame, EmptyNameIsAnErrorOfItsItemAndNothingIsWrittenOnTheFolder) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 0.3);
  WriteWav(media + "/b.wav", 8000, 1, 16, 0.3);
  AddItems({"a.wav", "b.wav"});
  ItemRow::SetText(*main->cGrid1, 1, "Item Name", "..");
  g_bTurnOffComputer = true;
  WithConverter([&](g_frmConverter& w) {
    w.cboFileName->clear();
    w.cboFileName->addItem("[item_name]");
    w.cboFileName->setCurrentIndex(0);
    ScriptedUi::get().powerOffRefusal.clear();
    Convert(w);
    const QStringList log = Messages(w);
    EXPECT_EQ(log.filter("Error: The file name template gives no name for this item.").size(), 1);
    EXPECT_EQ(log.filter("Done.").size(), 1);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  EXPECT_EQ(OutFiles(), QStringList{"b.wav"});
  EXPECT_EQ(turnOffShown, 0);  // a skipped item is a failure
}

TEST_F(TaskFrame, EveryRunPutsItsDestinationFirstInTheHistory) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 0.2);
  AddItems({"a.wav"});
  const QStringList folders = {out + "/one/", out + "/two/", out + "/one/", out + "/three/"};
  WithConverter([&](g_frmConverter& w) {
    // No format chosen: WAV is handed over and names the files.
    ASSERT_EQ(w.cboTargetFormat->currentIndex(), -1);
    w.chkOverWrite->setChecked(true);
    for (const QString& f : folders) {
      w.txtToPath->setEditText(f);
      Convert(w);
    }
    EXPECT_EQ(w.txtToPath->currentText(), out + "/three/");
    EXPECT_FALSE(w.lblSetAsDefaultDestination->isEnabled());
    // Picking an older entry offers "Set as default", which moves it first.
    w.txtToPath->setCurrentIndex(2);
    EXPECT_TRUE(w.lblSetAsDefaultDestination->isEnabled());
    emit w.lblSetAsDefaultDestination->Click();
    EXPECT_FALSE(w.lblSetAsDefaultDestination->isEnabled());
  });
  // Each run wrote into its folder and the history holds each folder once, newest first.
  for (const char* f : {"one", "two", "three"}) EXPECT_TRUE(QFileInfo::exists(out + "/" + f + "/a.wav.wav")) << f;
  EXPECT_EQ(mdlFunctions::ReadTextFile(mdlFunctions::PathHistoryFile()).split("\r\n").mid(0, 3),
            QStringList({out + "/two/", out + "/three/", out + "/one/"}));
  // A new window opens on the newest folder.
  QString shown;
  QTimer::singleShot(0, [&] {
    g_frmConverter* w = loadedForm<g_frmConverter>();
    shown = w->txtToPath->currentText();
    w->cmdExit->click();
  });
  main->RunCommand("Audio Converter");
  EXPECT_EQ(shown, out + "/two/");
}

TEST_F(TaskFrame, RunShowsTheLogAndTheWindowRefusesToCloseUntilItEnds) {
  WriteWav(media + "/a.wav", 44100, 2, 16, 3.0);
  AddItems({"a.wav"});
  WithConverter([&](g_frmConverter& w) {
    w.cmdConvert->click();
    EXPECT_TRUE(w.TabLog->isVisible());
    EXPECT_FALSE(w.TabSettings->isVisible());
    EXPECT_FALSE(w.cmdExit->isEnabled());
    EXPECT_FALSE(w.Unload());  // the close box while the job runs
    EXPECT_NE(loadedForm<g_frmConverter>(), nullptr);
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
    const QStringList log = Messages(w);
    EXPECT_EQ(log.mid(0, 4), QStringList({"Preparing to convert: 1 tracks.", "Destination format: WAV",
                                          "Start to convert: a.wav...", "Done."}));
    EXPECT_EQ(w.Caption(), "Done.");
    EXPECT_EQ(w.prgCurrnet->Value(), 100);
    // A second run is set apart from the first by an empty line.
    w.chkOverWrite->setChecked(true);
    Convert(w);
    EXPECT_EQ(Messages(w).indexOf(""), 4);
    w.cmdExit->click();
    EXPECT_EQ(loadedForm<g_frmConverter>(), nullptr);
  });
}

// The Abort question is left open until the run has ended, then answered
// Yes: the run stays done, with its file, its balloon and its end action.
TEST_F(TaskFrame, AbortAnsweredAfterTheRunEndedChangesNothing) {
  g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
  WriteWav(media + "/a.wav", 44100, 2, 16, 10.0);
  AddItems({"a.wav"});
  WithConverter([&](g_frmConverter& w) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    w.chkPlaySound->setChecked(true);
    bool clicked = false, asked = false;
    QObject::connect(w.cAudioConverter1, &cAudioConverter::Progress, &w, [&] {
      if (clicked) return;
      clicked = true;
      // An open box serves the run's events until it is answered.
      SetMsgBoxHandler([&](const MsgBoxCall&) {
        asked = true;
        EXPECT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
        return int(vbYes);
      });
      w.cmdAbort->click();
    });
    Convert(w);
    ScriptedUi::get().install();
    ASSERT_TRUE(asked);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(LastMessage(w), "Done.");
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Done.");
  });
  EXPECT_EQ(OutFiles(), QStringList({"a.mp3"}));
  EXPECT_EQ(sounds.size(), 1);
}

TEST_F(TaskFrame, ADestinationTypedWithoutItsClosingSlashIsStillTheFolder) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 0.2);
  AddItems({"a.wav"});
  QDir().mkpath(out + "/music");
  WithConverter([&](g_frmConverter& w) {
    w.chkOverWrite->setChecked(true);
    for (bool subFolder : {false, true}) {
      w.txtToPath->setEditText(out + "/music");
      w.chkCreateSubFolder->setChecked(subFolder);
      w.txtUndeForlder->setText("E-");
      Convert(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    }
  });
  EXPECT_TRUE(QFileInfo::exists(out + "/music/a.wav.wav"));
  EXPECT_TRUE(QFileInfo::exists(out + "/music/E-/a.wav.wav"));
  EXPECT_TRUE(OutFiles().isEmpty());  // nothing beside the folder
  EXPECT_FALSE(QFileInfo::exists(out + "/musicE-"));
}

// Ranges as list files of other tools hold them: seconds with a fraction, cut
// at the sample, in the converter and in the joiner.
TEST_F(TaskFrame, RangesWithAFractionAreCutAtTheirSample) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 3.0, Signal::Ramp);
  WriteWav(media + "/b.wav", 8000, 1, 16, 3.0, Signal::Ramp);
  AddItems({"a.wav", "b.wav"});
  const struct {
    const char* start;
    const char* length;
  } ranges[] = {{"0.5", "1.25"}, {"1.5 s", "1"}};
  for (long row = 1; row <= 2; ++row) {
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_ALL", "0");
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_START_TIME", ranges[row - 1].start);
    ItemRow::SetText(*main->cGrid1, row, "COL_RANGE_LENGTH_TIME", ranges[row - 1].length);
  }
  g_lWavSampleRate = 8000, g_lWavChannelsIndex = 0, g_lWavBits = 16;
  const std::vector<int16_t> source = DecodePcm(media + "/a.wav");
  auto cut = [&](int from, int count) {
    return std::vector<int16_t>(source.begin() + from, source.begin() + from + count);
  };
  WithConverter([&](g_frmConverter& w) {
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  EXPECT_TRUE(DecodePcm(out + "/a.wav.wav") == cut(4000, 10000));
  EXPECT_TRUE(DecodePcm(out + "/b.wav.wav") == cut(12000, 8000));
  WithTask<g_frmJoiner>("Audio Joiner", [&](g_frmJoiner& w) {
    w.txtJoinedFileName->setText("joined.wav");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  std::vector<int16_t> joined = cut(4000, 10000);
  const std::vector<int16_t> second = cut(12000, 8000);
  joined.insert(joined.end(), second.begin(), second.end());
  EXPECT_TRUE(DecodePcm(out + "/joined.wav") == joined);
}

// The destination list holds exactly the history: Enter on a typed folder
// neither adds it nor offers "Set as default", here as in the options window.
TEST_F(TaskFrame, EnterOnATypedDestinationLeavesTheListAndTheLink) {
  WriteWav(media + "/a.wav", 8000, 1, 16, 0.2);
  AddItems({"a.wav"});
  ASSERT_TRUE(mdlFunctions::WriteTextFile(out + "/one/\r\n" + out + "/two/", mdlFunctions::PathHistoryFile()));
  WithConverter([&](g_frmConverter& w) {
    w.txtToPath->setCurrentIndex(0);
    ASSERT_EQ(w.txtToPath->count(), 2);
    EXPECT_FALSE(w.lblSetAsDefaultDestination->isEnabled());
    w.txtToPath->lineEdit()->selectAll();
    QTest::keyClicks(w.txtToPath->lineEdit(), out + "/typed/");
    QTest::keyClick(w.txtToPath->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(w.txtToPath->count(), 2);
    EXPECT_EQ(w.txtToPath->currentText(), out + "/typed/");
    EXPECT_FALSE(w.lblSetAsDefaultDestination->isEnabled());
  });
}
