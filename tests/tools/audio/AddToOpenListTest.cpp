// The recorder and the waveform editor add their file to the open items list
// only: with a CD drive open they say a list must be opened first, keep their
// window and leave the drive's tracks as they are.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AudioToolsFixture.h"
#include "tools/audio/g_frmAudioEditor.h"
#include "tools/audio/g_frmMicRecorder.h"

class AddToOpenListTest : public AudioToolsTest {};

TEST_F(AddToOpenListTest, RecorderAndEditorRefuseWhileACdDriveIsOpen) {
  const QString take = AudioFixtures::WriteWav(media + "/take.wav", 8000, 1, 16, 1.0);
  const QString part = media + "/part.wav";
  qputenv("TESSORY_CD_IMAGES", ListFixtures::WriteBinCue(TestEnv::FreshDir("images")).toLocal8Bit());
  main->setTree();
  cTreeNode* drive = g_oAudioCDsNode->Children().Item(g_oAudioCDsNode->Children().Count());
  drive->SetSelected(true);
  main->cTreeView1_NodeClick(drive);
  ASSERT_EQ(main->cGrid1->Rows(), 2);
  struct Case {
    const char* name;
    QString prompt;
    std::function<void()> press;
    std::function<Form*()> window;
  };
  const Case cases[] = {
      {"recorder Add", "Open an items list first: the recording is added to the open list.",
       [&] {
         g_frmMicRecorder& w = form<g_frmMicRecorder>();
         w.txtAudioFile->setText(take);
         QTest::mouseClick(w.cmdAdd, Qt::LeftButton);
       },
       [] { return loadedForm<g_frmMicRecorder>(); }},
      {"editor Add Selection", "Open an items list first: the selection is added to the open list.",
       [&] {
         g_frmAudioEditor& e = form<g_frmAudioEditor>();
         e.txtWavFile->setText(take);
         e.Show();
         ScriptedUi::get().dialogAnswers.push_back({part});
         QTest::mouseClick(e.cmdAddSelection, Qt::LeftButton);
       },
       [] { return loadedForm<g_frmAudioEditor>(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi::get().shown.clear();
    ScriptedUi::get().dialogs.clear();
    c.press();
    EXPECT_EQ(ScriptedUi::get().prompts(), QStringList{c.prompt});
    // Refused before anything is asked or written.
    EXPECT_TRUE(ScriptedUi::get().dialogs.empty());
    EXPECT_FALSE(QFile::exists(part));
    Form* w = c.window();
    ASSERT_NE(w, nullptr);
    w->Unload();
    ASSERT_EQ(main->cGrid1->Rows(), 2);
    EXPECT_EQ(Column(1, "Item Name"), "Track01.cda");
    EXPECT_EQ(Column(2, "Item Name"), "Track02.cda");
  }
}
