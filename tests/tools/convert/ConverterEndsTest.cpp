// How a converter run ends: abort, a damaged source, existing outputs and an
// output that is a source, and the end-of-job actions each end runs or not.
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "platform/Timer.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OutputFormatStore.h"
#include "platform/cSysTray.h"
#include "settings/FormControls.h"
#include "tests/taskframe/TaskFixture.h"
#include "tools/convert/g_frmACMConverter.h"

using namespace AudioFixtures;
using ListFixtures::FileBytes;
using ListFixtures::WriteBytes;

namespace {
class ConverterEnds : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
    g_lWavSampleRate = 44100, g_lWavChannelsIndex = 1, g_lWavBits = 16;
  }
  // Items a.wav, b.wav, ... of the given seconds, 44100 Hz stereo.
  QStringList MakeItems(int count, double seconds) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
      names << QString("%1.wav").arg(QChar('a' + i));
      WriteWav(media + "/" + names.last(), 44100, 2, 16, seconds);
    }
    AddItems(names);
    return names;
  }
  static void TickEndActions(TaskWindow& w) {
    for (QCheckBox* box : {w.chkPlaySound, w.chkOpenDestFolder, w.chkNoticeApp, w.chkTurnOffComputer})
      box->setChecked(true);
    if (w.cboTargetFormat) FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)");
  }
  QList<ShellCall> Calls(ShellCall::Kind kind) const {
    QList<ShellCall> out;
    for (const ShellCall& c : ScriptedUi::get().shellCalls)
      if (c.kind == kind) out << c;
    return out;
  }
};
}  // namespace

TEST_F(ConverterEnds, AbortInTheSecondItemLeavesNoPartialFileAndRunsNoEndAction) {
  MakeItems(3, 3.0);
  WithConverter([&](g_frmConverter& w) {
    TickEndActions(w);
    bool asked = false;
    QObject::connect(w.cAudioConverter1, &cAudioConverter::Progress, &w, [&](long percent) {
      if (w.m_lCurrentRow != 2 || percent < 1 || asked) return;
      asked = true;
      ScriptedUi::get().answers.push_back(vbYes);
      w.cmdAbort->click();
    });
    Convert(w);
    ASSERT_TRUE(asked);
    EXPECT_EQ(ScriptedUi::get().prompts().last(), "Abort operation?" + QString(38, ' '));
    EXPECT_EQ(Messages(w).filter(QRegularExpression("\\S")).last(), "Aborted.");
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(w.Caption(), "Aborted.");
    EXPECT_TRUE(w.cmdExit->isEnabled());
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Aborted.");
  });
  // The first item stays; nothing of the second (no hidden part file either),
  // no third, once the jobs stopped by the abort have ended.
  EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(30000));
  EXPECT_EQ(OutFiles(), QStringList{"a.wav"});
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_TRUE(ScriptedUi::get().shellCalls.empty());
  EXPECT_EQ(turnOffShown, 0);
}

TEST_F(ConverterEnds, AbortConfirmedBeforeTheItemStartsEndsTheRunAsAborted) {
  MakeItems(2, 0.5);
  WriteWav(out + "/b.wav", 8000, 1, 16, 0.2);
  const QByteArray before = FileBytes(out + "/b.wav");
  // The overwrite question of the second item is open when the user aborts.
  WithConverter([&](g_frmConverter& w) {
    TickEndActions(w);
    AbortAtEachQuestion(w, vbYes);
    Convert(w);
    ScriptedUi::get().install();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    const QStringList log = Messages(w);
    EXPECT_TRUE(log.contains("Overwrite it..."));
    EXPECT_EQ(log.filter(QRegularExpression("\\S")).last(), "Aborted.");
  });
  EXPECT_EQ(FileBytes(out + "/b.wav"), before);
  EXPECT_EQ(OutFiles(), QStringList({"a.wav", "b.wav"}));
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_EQ(turnOffShown, 0);
}

TEST_F(ConverterEnds, DamagedSourceIsLoggedTheOthersConvertAndTheComputerStaysOn) {
  MakeItems(3, 0.5);
  WriteBytes(media + "/b.wav", QByteArray(4000, 'z'));
  g_sPlayAtEndFile = "/sounds/end.wav";
  g_sAppNotice = R"(notify-tool --item "[FILE_RECORDED]" --by [PROG_NAME])";
  ItemRow::SetText(*main->cGrid1, 3, "Item Name", "c; rm -rf $HOME.wav");
  WithConverter([&](g_frmConverter& w) {
    TickEndActions(w);
    Convert(w);
    const QStringList log = Messages(w);
    const QStringList errors = log.filter("Error: ");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].endsWith("(1)")) << errors[0].toStdString();
    EXPECT_EQ(log[log.indexOf(errors[0]) - 1], "Start to convert: b.wav...");
    EXPECT_EQ(log.filter("Done.").size(), 2);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(main->cSysTray1->LastBalloonText(), "Done.");
    EXPECT_EQ(main->cSysTray1->LastBalloonTimeout(), 30000);
  });
  EXPECT_EQ(OutFiles(), QStringList({"a.wav", "c.wav"}));
  // Sound, folder and program follow; the turn-off does not.
  EXPECT_EQ(sounds, QStringList{"/sounds/end.wav"});
  const auto opened = Calls(ShellCall::Open);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].target, out + "/");
  const auto started = Calls(ShellCall::Run);
  ASSERT_EQ(started.size(), 1);
  EXPECT_EQ(started[0].target, "notify-tool");
  EXPECT_EQ(started[0].args, QStringList({"--item", "c; rm -rf $HOME.wav", "--by", "Tessory"}));
  EXPECT_TRUE(started[0].minimised);
  EXPECT_EQ(turnOffShown, 0);
}

TEST_F(ConverterEnds, TurnOffCountDownOnlyAfterARunWithoutFailure) {
  MakeItems(1, 0.5);
  WithConverter([&](g_frmConverter& w) {
    TickEndActions(w);
    w.chkPlaySound->setChecked(false);
    Convert(w);
    EXPECT_EQ(turnOffShown, 1);
    // A second run whose only item fails: no count-down.
    WriteBytes(media + "/a.wav", QByteArray(4000, 'z'));
    w.chkOverWrite->setChecked(true);
    Convert(w);
    EXPECT_EQ(Messages(w).filter("Error: ").size(), 1);
    EXPECT_EQ(turnOffShown, 1);
  });
  EXPECT_EQ(ScriptedUi::get().powerOffRequests, 0);
}

TEST_F(ConverterEnds, ExistingOutputsAskEvenWhenHiddenAndAnOutputThatIsASourceIsRefused) {
  const QStringList names = {"h.wav", "b.wav", "c.wav"};
  for (const QString& n : names) WriteWav(media + "/" + n, 44100, 2, 16, 0.5);
  AddItems(names);
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  // A list may hold a hidden file; its output is hidden too.
  QFile::rename(media + "/h.wav", media + "/.hidden.wav");
  ItemRow::SetText(*main->cGrid1, 1, "COL_FILE", media + "/.hidden.wav");
  WriteWav(out + "/.hidden.wav", 8000, 1, 16, 0.1);
  WriteWav(out + "/b.wav", 8000, 1, 16, 0.1);
  const QByteArray hiddenBefore = FileBytes(out + "/.hidden.wav");
  const QByteArray sourceBefore = FileBytes(media + "/c.wav");
  WithConverter([&](g_frmConverter& w) {
    FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)");
    // No for the hidden file, Yes for b.wav.
    ScriptedUi::get().answers = {vbNo, vbYes};
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
    EXPECT_EQ(ScriptedUi::get().prompts(),
              QStringList({"The file: '" + out + "/.hidden.wav' already exists.\r\n\r\nOverwrite it?",
                           "The file: '" + out + "/b.wav' already exists.\r\n\r\nOverwrite it?"}));
    // Every item goes into its source's own folder: the engine refuses each, and the run ends failed.
    w.txtToPath->setEditText(media + "/");
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
    EXPECT_EQ(Messages(w).filter("Error: ").size(), 3);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Failed: no item could be converted.");
  });
  EXPECT_EQ(FileBytes(out + "/.hidden.wav"), hiddenBefore);
  EXPECT_EQ(ProbeFile(out + "/b.wav").sampleRate, 44100);
  EXPECT_EQ(FileBytes(media + "/c.wav"), sourceBefore);
}

// The user aborts while the last item's overwrite question is open, then
// answers No: the run still ends aborted, with no end-of-job action.
TEST_F(ConverterEnds, AbortBehindTheLastItemsQuestionAnsweredNoEndsAborted) {
  MakeItems(2, 0.5);
  ListFixtures::WriteBytes(out + "/b.wav", "old");
  auto check = [&](TaskWindow& w) {
    ScriptedUi::get().install();
    EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
    EXPECT_EQ(LastMessage(w), "Aborted.");
    EXPECT_FALSE(Messages(w).mid(Messages(w).lastIndexOf("Start to convert: b.wav...")).contains("Done."));
  };
  WithConverter([&](g_frmConverter& w) {
    TickEndActions(w);
    AbortAtEachQuestion(w, vbNo);
    Convert(w);
    check(w);
    EXPECT_EQ(w.Caption(), "Aborted.");
  });
  QFile::remove(out + "/a.wav");
  WithTask<g_frmACMConverter>("ACM Converter", [&](g_frmACMConverter& w) {
    TickEndActions(w);
    AbortAtEachQuestion(w, vbNo);
    Convert(w);
    check(w);
  });
  EXPECT_EQ(FileBytes(out + "/b.wav"), "old");
  EXPECT_TRUE(sounds.isEmpty());
  EXPECT_TRUE(ScriptedUi::get().shellCalls.empty());
  EXPECT_EQ(turnOffShown, 0);
}

// Two items of one name from two folders (two CDs' "01.wav") never share an
// output, "Overwrite" ticked or not: the later one gets " (2)" and nothing is
// asked. A file there from before is still the user's to keep or replace.
TEST_F(ConverterEnds, ItemsOfOneNameNeverShareAnOutput) {
  QDir().mkpath(media + "/cd1");
  QDir().mkpath(media + "/cd2");
  WriteWav(media + "/cd1/01.wav", 44100, 2, 16, 0.5, Signal::Ramp);
  WriteWav(media + "/cd2/01.wav", 44100, 2, 16, 0.3);
  WriteWav(media + "/cd2/01 (2).wav", 44100, 2, 16, 0.2, Signal::Silence);
  AddItems({"cd1/01.wav"});  // a dialog's files are of one folder
  AddItems({"cd2/01.wav", "cd2/01 (2).wav"});
  ASSERT_EQ(main->cGrid1->Rows(), 3);
  const QStringList sources = {media + "/cd1/01.wav", media + "/cd2/01.wav", media + "/cd2/01 (2).wav"};
  for (bool overwrite : {true, false}) {
    SCOPED_TRACE(overwrite);
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    WithConverter([&](g_frmConverter& w) {
      FormControls::SelectText(w.cboTargetFormat, "WAV - Waveform Audio Format (*.wav)");
      w.chkOverWrite->setChecked(overwrite);
      Convert(w);
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    });
    EXPECT_TRUE(ScriptedUi::get().prompts().isEmpty()) << ScriptedUi::get().prompts().join('|').toStdString();
    ScriptedUi::get().install();
    ASSERT_EQ(OutFiles(), (QStringList{"01 (2) (2).wav", "01 (2).wav", "01.wav"}));
    EXPECT_TRUE(DecodePcm(out + "/01.wav") == DecodePcm(sources[0]));
    EXPECT_TRUE(DecodePcm(out + "/01 (2).wav") == DecodePcm(sources[1]));
    EXPECT_TRUE(DecodePcm(out + "/01 (2) (2).wav") == DecodePcm(sources[2]));
  }
}
