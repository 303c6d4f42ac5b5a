// A tag changed in the tag editor reaches the items of the open list that copy
// their tags from the file, so the next conversion writes it.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tags/g_frmMP3TagsEditor.h"
#include "tests/taskframe/TaskFixture.h"

using namespace ListFixtures;
using EditorToConverter = TaskTest;

TEST_F(EditorToConverter, ATitleSavedInTheEditorIsTheTitleOfTheNextConversion) {
  g_bCopyID3FromSource = true;
  const QString mp3 = media + "/song.mp3";
  Encode(WriteWav(media + "/song.wav", 1), mp3, {"-c:a", "libmp3lame", "-metadata", "title=Old"});
  QFile::remove(media + "/song.wav");
  AddItems({"song.mp3"});
  ASSERT_EQ(Cell(main, 1, "COL_TAG_TITLE"), "Old");

  main->RunCommand("MP3 Tags Editor");
  g_frmMP3TagsEditor* editor = loadedForm<g_frmMP3TagsEditor>();
  ASSERT_NE(editor, nullptr);
  ScriptedUi::get().dialogAnswers.push_back({mp3});
  QTest::mouseClick(editor->cmdSelectFile, Qt::LeftButton);
  ASSERT_EQ(editor->txtTitle->text(), "Old");
  editor->txtTitle->setText("New");
  QTest::mouseClick(editor->cmdApply, Qt::LeftButton);
  ASSERT_EQ(ScriptedUi::get().prompts().value(0), "Done.");

  g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
  g_tMp3Settings = Mp3FormatRecord{};
  g_tMp3Settings.Bitrate = 128, g_tMp3Settings.SampleRate = 44100, g_tMp3Settings.Mode = 1;
  WithConverter([&](g_frmConverter& w) {
    ASSERT_TRUE(FormControls::SelectText(w.cboTargetFormat, "MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  EXPECT_EQ(AudioFixtures::ProbeFile(out + "/song.mp3").tags.value("title"), "New");
  // The list file holds the new title too, as after a reload.
  main->cTreeView1_NodeClick(main->cTreeView1->SelectedItem());
  EXPECT_EQ(Cell(main, 1, "COL_TAG_TITLE"), "New");
}
