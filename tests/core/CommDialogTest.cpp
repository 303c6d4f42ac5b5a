#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWidget>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "core/mdlCommDialog.h"
#include "platform/UserSettings.h"

using namespace mdlCommDialog;

namespace {
class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  "/Tessory/user-settings.ini");
    FileDialogRecord = OPENFILENAME();
    FileDialogRecord.lpstrTitle = "Add audio files";
    FileDialogRecord.lpstrFilter = QString("Wav Audio Files (*.wav)") + QChar(0) + "*.wav" + QChar(0);
  }
  ScriptedUi& ui = ScriptedUi::get();
};
}  // namespace

TEST_F(Dialogs, OpenSinglePick) {
  ui.dialogAnswers.push_back({"/music/a.mp3"});
  FileDialogResult r = ShowOpenDialog(nullptr, false);
  EXPECT_FALSE(r.Cancelled);
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Folder, "/music");
  ASSERT_EQ(r.Files.size(), 2);
  EXPECT_EQ(r.Files[0], "/music/a.mp3");
  EXPECT_EQ(r.Files[1], "a.mp3");

  ASSERT_EQ(ui.dialogs.size(), 1u);
  const DialogCall& call = ui.dialogs[0];
  EXPECT_EQ(call.kind, DialogCall::OpenFiles);
  EXPECT_TRUE(call.multiSelect);
  EXPECT_EQ(call.title, "Add audio files");
  EXPECT_EQ(call.filter, "Wav Audio Files (*.wav)");
  EXPECT_EQ(call.folder, QDir::homePath());  // nothing remembered yet
}

TEST_F(Dialogs, OpenSeveralFiles) {
  ui.dialogAnswers.push_back({"/music/c.mp3", "/music/a.wav", "/music/b.ogg"});
  FileDialogResult r = ShowOpenDialog(nullptr, false);
  EXPECT_EQ(r.Count, 3);
  EXPECT_EQ(r.Folder, "/music");
  EXPECT_EQ(r.Files.mid(1), (QStringList{"c.mp3", "a.wav", "b.ogg"}));
}

TEST_F(Dialogs, OpenAtTheRootJoinsToFullPaths) {
  ui.dialogAnswers.push_back({"/a.mp3"});
  ui.dialogAnswers.push_back({"/a.mp3", "/b.mp3"});
  FileDialogResult one = ShowOpenDialog(nullptr, false);
  EXPECT_EQ(one.Folder, "");
  EXPECT_EQ(one.Folder + "/" + one.Files[1], "/a.mp3");
  FileDialogResult two = ShowOpenDialog(nullptr, false);
  EXPECT_EQ(two.Folder, "/");
  EXPECT_EQ(two.Files.mid(1), (QStringList{"a.mp3", "b.mp3"}));
}

TEST_F(Dialogs, OpenRemembersTheLastFolderForTheNextDialogs) {
  ui.dialogAnswers.push_back({"/music/sub/a.mp3"});
  ShowOpenDialog(nullptr, false);
  EXPECT_EQ(GetSetting(kSettingsApp, "path", "last_path"), "/music/sub");
  ShowOpenDialog(nullptr, false);  // cancelled
  ShowSaveDialog(nullptr, "", false);
  ASSERT_EQ(ui.dialogs.size(), 3u);
  EXPECT_EQ(ui.dialogs[1].folder, "/music/sub");
  EXPECT_EQ(ui.dialogs[2].folder, "/music/sub");
}

TEST_F(Dialogs, CancelGivesTheCancelledResult) {
  for (bool save : {false, true}) {
    FileDialogResult r = save ? ShowSaveDialog(nullptr, "", false) : ShowOpenDialog(nullptr, false);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_EQ(r.Count, 0);
    EXPECT_EQ(r.Folder, "");
    EXPECT_TRUE(r.Files.isEmpty());
  }
  EXPECT_EQ(GetSetting(kSettingsApp, "path", "last_path", "none"), "none");
  EXPECT_EQ(BrowseForFolder("Choose", "/music", nullptr), "");
  ColorDialogResult c = ShowColorDialog(nullptr, false);
  EXPECT_TRUE(c.Cancelled);
  EXPECT_EQ(c.Color, -1);
}

TEST_F(Dialogs, SaveGivesTheFullPathAndItsFolder) {
  ui.dialogAnswers.push_back({"/out/x.wav"});
  FileDialogResult r = ShowSaveDialog(nullptr, "", false);
  EXPECT_FALSE(r.Cancelled);
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Folder, "/out/");
  EXPECT_EQ(r.Files.value(1), "/out/x.wav");
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::SaveFile);
}

TEST_F(Dialogs, SaveAsksBeforeReplacingAFileItNamed) {
  const QString dir = TestEnv::FreshDir("save");
  QFile existing(dir + "/x.wav");
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  FileDialogRecord.lpstrDefExt = "wav";

  ui.dialogAnswers.push_back({dir + "/x"});
  ui.dialogAnswers.push_back({dir + "/x"});
  ui.answers.push_back(vbNo);
  ui.answers.push_back(vbYes);
  FileDialogResult r = ShowSaveDialog(nullptr, "", false);
  EXPECT_EQ(ui.dialogs.size(), 2u);  // "No" shows the dialog again
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_TRUE(ui.shown[0].prompt.contains(dir + "/x.wav"));
  EXPECT_EQ(r.Files.value(1), dir + "/x.wav");

  ui.dialogAnswers.push_back({dir + "/new"});
  EXPECT_EQ(ShowSaveDialog(nullptr, "", false).Files.value(1), dir + "/new.wav");
  EXPECT_EQ(ui.shown.size(), 2u);  // nothing to replace, nothing asked
}

TEST_F(Dialogs, OwnerCentresTheDialogOnlyWhenAsked) {
  QWidget owner;
  ShowOpenDialog(&owner, true);
  ShowOpenDialog(&owner, false);
  ShowColorDialog(&owner, true);
  EXPECT_EQ(ui.dialogs[0].owner, &owner);
  EXPECT_EQ(ui.dialogs[1].owner, nullptr);
  EXPECT_EQ(ui.dialogs[2].owner, &owner);
}

TEST_F(Dialogs, FolderPickerStartsInTheFolderAndTrimsTheClosingSlash) {
  ui.dialogAnswers.push_back({"/music/"});
  ui.dialogAnswers.push_back({"/"});
  EXPECT_EQ(BrowseForFolder("Choose", "/start", nullptr), "/music");
  EXPECT_EQ(BrowseForFolder("Choose", "/start", nullptr), "/");
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::Folder);
  EXPECT_EQ(ui.dialogs[0].title, "Choose");
  EXPECT_EQ(ui.dialogs[0].folder, "/start");
}

// The filter position the user leaves a dialog at is where the next open or
// save dialog starts; a cancelled dialog changes nothing.
TEST_F(Dialogs, TheNextFileDialogStartsAtTheFilterChosenLast) {
  FileDialogRecord.lpstrFilter = QString("Wav (*.wav)") + QChar(0) + "*.wav" + QChar(0) + "Mp3 (*.mp3)" + QChar(0) +
                                 "*.mp3" + QChar(0) + "All (*.*)" + QChar(0) + "*.*" + QChar(0);
  ui.dialogAnswers.push_back({"/music/a.mp3"});
  ui.filterAnswers.push_back(3);
  ShowOpenDialog(nullptr, false);
  ShowSaveDialog(nullptr, "", false);  // cancelled
  ui.dialogAnswers.push_back({"/out/x.wav"});
  ui.filterAnswers.push_back(2);
  ShowSaveDialog(nullptr, "", false);
  ShowOpenDialog(nullptr, false);
  ASSERT_EQ(ui.dialogs.size(), 4u);
  const int started[] = {0, 3, 3, 2};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(ui.dialogs[i].filterIndex, started[i]) << i;
  EXPECT_EQ(FileDialogRecord.nFilterIndex, 2);
}

TEST_F(Dialogs, TheFolderPickerHasItsStatusLineWhenAskedFor) {
  BrowseForFolder("Choose", "/start", nullptr);
  BrowseForFolder("Choose", "/start", nullptr, false);
  ASSERT_EQ(ui.dialogs.size(), 2u);
  EXPECT_EQ(ui.dialogs[0].statusPrefix, "Auswahl: ");
  EXPECT_EQ(ui.dialogs[1].statusPrefix, "");
}

TEST_F(Dialogs, ColourDialogStartsOnWhiteWithThePresets) {
  ui.dialogAnswers.push_back({QString::number(0x336699)});
  ColorDialogResult r = ShowColorDialog(nullptr, false);
  EXPECT_FALSE(r.Cancelled);
  EXPECT_EQ(r.Color, 0x336699);
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::Color);
  EXPECT_EQ(ui.dialogs[0].color, 0xFFFFFF);
  EXPECT_EQ(QColorDialog::customColor(0), QColor(139, 155, 184));
  EXPECT_EQ(QColorDialog::customColor(7), QColor(236, 164, 236));
  EXPECT_EQ(QColorDialog::customColor(15), QColor(160, 160, 160));

  QColorDialog::setCustomColor(3, Qt::red);  // the user's edit stays for the run
  ShowColorDialog(nullptr, false);
  EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::red));
  QColorDialog::setCustomColor(3, QColor(200, 249, 198));
}

TEST(UserSettings, SavedValuesReadBackAndMissingOnesGiveTheDefault) {
  SaveSetting("TessoryTest", "TTS", "Voice", "en");
  EXPECT_EQ(GetSetting("TessoryTest", "TTS", "Voice", "x"), "en");
  EXPECT_EQ(GetSetting("TessoryTest", "TTS", "Format", "x"), "x");
  EXPECT_EQ(GetSetting("TessoryTest", "Other", "Voice"), "");
}
