#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <functional>
#include <map>
#include <optional>

#include "SettingsFixture.h"
#include "core/mdlFunctions.h"
#include "core/mdlRunOnStart.h"
#include "settings/OptionValues.h"
#include "settings/frmOptions.h"

namespace {
const QString kMp3 = "MP3 - MPEG-1 Audio Layer 3 (*.mp3)";
const QString kWav = "WAV - Waveform Audio Format (*.wav)";

QString flag(bool b) { return b ? "1" : "0"; }

// The process-wide value each stored value ends in, as text.
const std::map<QString, std::function<QString()>> kValue = {
    {"chkDisplayTitle", [] { return flag(g_bDisplayTitle); }},
    {"chkPlaySound", [] { return flag(g_bPlaySound); }},
    {"chkCopyID3FromSource", [] { return flag(g_bCopyID3FromSource); }},
    {"picColor", [] { return QString::number(g_lTitleBackColor); }},
    {"picTextColor", [] { return QString::number(g_lTitleForeColor); }},
    {"cboTargetFormat", [] { return g_sDefaultTargetFormat; }},
    {"cboFileName", [] { return g_sDefaultFileNameFormat; }},
    {"cboDevices", [] { return QString::number(g_lAudioDevice); }},
    {"txtAppNotice", [] { return g_sAppNotice; }},
    {"txtTagArtist", [] { return g_sTagArtist; }},
};

struct LoadCase {
  const char* section;
  const char* name;
  QString prior;                  // stored and read first
  std::optional<QString> stored;  // then this (nullopt: the value is removed)
  QString expected;
};

const LoadCase kLoadCases[] = {
    // Check boxes: missing and empty clear, greyed counts as set, other texts are refused.
    {"General", "chkDisplayTitle", "1", "0", "0"},
    {"General", "chkDisplayTitle", "1", std::nullopt, "0"},
    {"General", "chkDisplayTitle", "1", "", "0"},
    {"General", "chkDisplayTitle", "1", "yes", "1"},
    {"General", "chkDisplayTitle", "0", "2", "1"},
    {"Events", "chkPlaySound", "0", "1", "1"},
    {"Events", "chkPlaySound", "1", std::nullopt, "0"},
    // Copying tags from the source is on unless "0" is stored.
    {"ID3 Tags", "chkCopyID3FromSource", "0", std::nullopt, "1"},
    {"ID3 Tags", "chkCopyID3FromSource", "0", "", "1"},
    {"ID3 Tags", "chkCopyID3FromSource", "1", "0", "0"},
    {"ID3 Tags", "chkCopyID3FromSource", "0", "x", "0"},
    // Colours: missing and empty are black, a text that is no number is refused.
    {"General", "picColor", "255", "65280", "65280"},
    {"General", "picColor", "255", std::nullopt, "0"},
    {"General", "picColor", "255", "", "0"},
    {"General", "picColor", "255", "red", "255"},
    {"General", "picTextColor", "16777215", "abc", "16777215"},
    // Pick-only lists take a text only when it is one of their entries.
    {"General", "cboTargetFormat", kMp3, kWav, kWav},
    {"General", "cboTargetFormat", kMp3, std::nullopt, kMp3},
    {"General", "cboTargetFormat", kMp3, "", kMp3},
    {"General", "cboTargetFormat", kMp3, "FLA - Free Lossless (*.flac)", kMp3},
    {"General", "cboFileName", "[123].[dest_extension]", "[file_name].[dest_extension]",
     "[file_name].[dest_extension]"},
    {"General", "cboFileName", "[123].[dest_extension]", std::nullopt, "[123].[dest_extension]"},
    {"General", "cboFileName", "[123].[dest_extension]", "[nothing]", "[123].[dest_extension]"},
    // The device list is never filled: every position but -1 is refused.
    {"General", "cboDevices", "-1", "3", "-1"},
    {"General", "cboDevices", "-1", "x", "-1"},
    // Text boxes take any text, empty when missing.
    {"Events", "txtAppNotice", "a b", "x \"[FILE_CREATED]\"", "x \"[FILE_CREATED]\""},
    {"Events", "txtAppNotice", "a", std::nullopt, ""},
    {"Events", "txtAppNotice", "a", "", ""},
    {"ID3 Tags", "txtTagArtist", "[ITEM_NAME]", std::nullopt, ""},
};
}  // namespace

using OptionValuesTest = SettingsTest;

TEST_F(OptionValuesTest, EachValueLoadsByTheRulesOfItsControl) {
  frmOptions& options = form<frmOptions>();
  for (const LoadCase& c : kLoadCases) {
    const std::string what = std::string(c.name) + " stored " + (c.stored ? "'" + c.stored->toStdString() + "'" : "-");
    Store(c.section, c.name, c.prior);
    options.GetOptions();
    if (c.stored) Store(c.section, c.name, *c.stored);
    else Section(c.section).DeleteValue(c.name);
    options.GetOptions();
    EXPECT_EQ(kValue.at(c.name)().toStdString(), c.expected.toStdString()) << what;
  }
}

TEST_F(OptionValuesTest, AnEmptyStoreGivesTheDefaults) {
  // Without even the values the install step stores.
  for (const QString& name : Hive::EnumValues(HKEY_LOCAL_MACHINE, Section("General").Path()))
    Section("General").DeleteValue(name);
  frmOptions& o = form<frmOptions>();
  for (QCheckBox* box : o.findChildren<QCheckBox*>())
    EXPECT_EQ(box->isChecked(), box == o.chkCopyID3FromSource) << box->objectName().toStdString();
  EXPECT_TRUE(g_bCopyID3FromSource);
  EXPECT_FALSE(g_bDisplayTitle || g_bDisplayPlayer || g_bPlaySound || g_bNoticeApp || g_bClearOnExit);
  EXPECT_EQ(g_lTitleBackColor, 0);
  EXPECT_EQ(g_lTitleForeColor, 0);
  EXPECT_EQ(g_lAudioDevice, -1);
  EXPECT_EQ(g_sDefaultTargetFormat, "");
  EXPECT_EQ(g_sDefaultFileNameFormat, "");
  EXPECT_EQ(o.cboTargetFormat->count(), 6);
  EXPECT_EQ(o.cboFileName->count(), 6);
  EXPECT_EQ(g_sItemsListFolder, ProgramFolder() + "/Main/");
  EXPECT_EQ(g_sPlayAtEndFile, ProgramFolder() + "/sound/notify.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toPlainText(), "notify.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toolTip(), g_sPlayAtEndFile);
  EXPECT_EQ(g_sAppNotice, "");
  for (const QString* tag : {&g_sTagArtist, &g_sTagSong, &g_sTagAlbum, &g_sTagTrack, &g_sTagGenre, &g_sTagYear,
                             &g_sTagComment})
    EXPECT_EQ(*tag, "");
}

TEST_F(OptionValuesTest, TheDefaultListsFolderIsCreatedAndPutFirstInTheHistory) {
  QDir(ProgramFolder() + "/Main").removeRecursively();
  form<frmOptions>();
  EXPECT_TRUE(QDir(ProgramFolder() + "/Main").exists());
  EXPECT_TRUE(mdlFunctions::ReadTextFile(mdlFunctions::PathHistoryFile()).startsWith(ProgramFolder() + "/Main/"));
}

TEST_F(OptionValuesTest, AStoredListsFolderIsUsedAsStoredAndNeverCreated) {
  const QString missing = TestEnv::Home() + "/nowhere/lists/";
  Store("General", "txtToPath", missing);
  frmOptions& o = form<frmOptions>();
  EXPECT_EQ(g_sItemsListFolder, missing);
  EXPECT_FALSE(QDir(missing).exists());
  // Typed without its closing "/", it still names that folder.
  const QString typed = TestEnv::FreshDir("typed");
  Store("General", "txtToPath", typed);
  o.GetOptions();
  EXPECT_EQ(o.txtToPath->currentText(), typed);
  EXPECT_EQ(g_sItemsListFolder, typed + "/");
}

TEST_F(OptionValuesTest, TheEndSoundShowsItsNameAndFallsBackOnTheDefault) {
  Store("Events", "txtPlayAtEnd", "/usr/share/sounds/chord.wav");
  frmOptions& o = form<frmOptions>();
  EXPECT_EQ(o.txtPlayAtEnd->toPlainText(), "chord.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toolTip(), "/usr/share/sounds/chord.wav");
  EXPECT_EQ(g_sPlayAtEndFile, "/usr/share/sounds/chord.wav");
  Store("Events", "txtPlayAtEnd", "/usr/share/sounds/");
  o.GetOptions();
  EXPECT_EQ(g_sPlayAtEndFile, ProgramFolder() + "/sound/notify.wav");
  EXPECT_EQ(o.txtPlayAtEnd->toPlainText(), "notify.wav");
}

TEST_F(OptionValuesTest, TheStartWithTheSystemBoxFollowsTheAutostartEntryAtEveryRead) {
  mdlRunOnStart::SetRunOnStartup(true);
  frmOptions& o = form<frmOptions>();
  EXPECT_TRUE(o.chkRunWhenWinStarts->isChecked());
  mdlRunOnStart::SetRunOnStartup(false);
  o.GetOptions();
  EXPECT_FALSE(o.chkRunWhenWinStarts->isChecked());
}

TEST_F(OptionValuesTest, AFileNameFormatsFileReplacesTheBuiltInTemplates) {
  mdlFunctions::WriteTextFile("[123]_x.[dest_extension]\r\n\r\n[date].[dest_extension]",
                              ProgramFolder() + "/FileNameFormats.txt");
  frmOptions& o = form<frmOptions>();
  ASSERT_EQ(o.cboFileName->count(), 2);
  EXPECT_EQ(o.cboFileName->itemText(0), "[123]_x.[dest_extension]");
  EXPECT_EQ(o.cboFileName->itemText(1), "[date].[dest_extension]");
  EXPECT_EQ(o.cboFileName->currentIndex(), -1);
}
