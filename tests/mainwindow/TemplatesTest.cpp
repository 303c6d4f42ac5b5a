#include <QRegularExpression>

#include "MainWindowFixture.h"
#include "core/mdlMain.h"
#include "mainwindow/frmMain.h"

using TemplatesTest = MainWindowTest;

TEST_F(TemplatesTest, NoticeCommandLineIsSplitThenFilledFromTheLastRow) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmMain& w = *loadedForm<frmMain>();
  struct Case {
    QString line;
    QStringList rowless;  // expected with an empty grid
    QStringList filled;   // expected with the two rows below
  } cases[] = {
      {"notify [PROG_NAME] [PROG_NAME]", {"notify", "Tessory", "Tessory"}, {"notify", "Tessory", "Tessory"}},
      {"tool \"[PROG_NAME] [PROG_VERSION]\" [prog_name]",
       {"tool", "Tessory 3.1", "[prog_name]"},
       {"tool", "Tessory 3.1", "[prog_name]"}},
      {"play [FILE_RECORDED] --size=[FILE_SIZE] [FILE_TIME_LENGTH] [FILE_CREATED]",
       {"play", "[FILE_RECORDED]", "--size=[FILE_SIZE]", "[FILE_TIME_LENGTH]", "[FILE_CREATED]"},
       {"play", "my song; rm -rf ~ [FILE_SIZE].mp3", "--size=4 MB", "0:03:05", "2026-01-02"}},
      {"", {}, {}},
  };
  for (const Case& c : cases) {
    g_sAppNotice = c.line;
    EXPECT_EQ(w.GetNoticAppParameters(), c.rowless) << c.line.toStdString();
  }
  cGrid& g = *w.cGrid1;
  const auto addRow = [&](const QString& name, const QString& size, const QString& time, const QString& created) {
    const long row = g.Rows() + 1;
    g.SetCell(row, g.ColumnIndex("Item Name"), name);
    g.SetCell(row, g.ColumnIndex("Size"), size);
    g.SetCell(row, g.ColumnIndex("Time"), time);
    g.SetCell(row, g.ColumnIndex("Created"), created);
  };
  addRow("first.wav", "1 MB", "0:00:01", "2025-12-31");
  addRow("my song; rm -rf ~ [FILE_SIZE].mp3", "4 MB", "0:03:05", "2026-01-02");
  for (const Case& c : cases) {
    g_sAppNotice = c.line;
    EXPECT_EQ(w.GetNoticAppParameters(), c.filled) << c.line.toStdString();
  }
  g_sAppNotice.clear();
}

TEST(SpeechFileName, ExtensionByTargetFormat) {
  const std::pair<const char*, const char*> cases[] = {
      {"WAV - Waveform Audio (*.wav)", "wav"}, {"ACM - Compressed WAV (*.wav)", "wav"},
      {"mp3 - MPEG-1 Audio Layer 3 (*.mp3)", "mp3"}, {"WMA - Windows Media (*.wma)", "wma"},
      {"OGG - Ogg Vorbis (*.ogg)", "ogg"}, {"APE - Monkey (*.ape)", "ape"}, {"FLAC", ""}, {"", ""}};
  for (const auto& [format, ext] : cases) EXPECT_EQ(frmMain::GetExt(format), ext) << format;

  const QString name = frmMain::CreateFileName("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
  EXPECT_TRUE(QRegularExpression("^\\d\\d-\\d\\d-\\d\\d_[^/:]+\\.mp3$").match(name).hasMatch())
      << name.toStdString();
  EXPECT_TRUE(frmMain::CreateFileName("FLAC").endsWith("."));
}
