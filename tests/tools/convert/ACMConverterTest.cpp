// The ACM converter: its codec lists follow the chosen source, and its run
// writes compressed WAV files with the chosen codec and no tags.
#include <QComboBox>
#include <QLabel>

#include "lists/ItemRow.h"
#include "tests/taskframe/TaskFixture.h"
#include "tools/convert/g_frmACMConverter.h"

using namespace AudioFixtures;

namespace {
class ACMConverterTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_sDefaultFileNameFormat = "[file_name].[dest_extension]";
    WriteWav(media + "/a.wav", 44100, 2, 16, 1.0);
    WriteWav(media + "/b.wav", 22050, 1, 16, 1.5);
    WriteWav(media + "/c.wav", 8000, 1, 16, 1.0);
    AddItems({"a.wav", "b.wav", "c.wav"});
  }
  void WithAcm(const std::function<void(g_frmACMConverter&)>& steps) {
    WithTask<g_frmACMConverter>("ACM Converter", steps);
  }
  static QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
  // Chooses an entry as the user does.
  static void Choose(QComboBox* box, const QString& text) {
    box->setCurrentIndex(box->findText(text));
    emit box->activated(box->currentIndex());
  }
};
}  // namespace

TEST_F(ACMConverterTest, CodecListsFollowTheChosenSource) {
  main->cGrid1->SetSelectedRow(2);
  WithAcm([&](g_frmACMConverter& w) {
    EXPECT_EQ(Items(w.cboBestAccordItem),
              QStringList({"All ACM Codecs", media + "/a.wav", media + "/b.wav", media + "/c.wav"}));
    EXPECT_EQ(w.cboBestAccordItem->currentText(), media + "/b.wav");
    // Only codecs that take 22050 Hz mono, and only such formats.
    EXPECT_FALSE(Items(w.cboTags).contains("GSM 6.10"));
    EXPECT_EQ(w.cboTags->currentText(), "PCM");
    EXPECT_EQ(w.cboFormats->currentIndex(), 0);
    for (const QString& f : Items(w.cboFormats)) EXPECT_TRUE(f.startsWith("22050 Hz") && f.endsWith("Mono")) << f.toStdString();

    Choose(w.cboBestAccordItem, "All ACM Codecs");
    EXPECT_TRUE(Items(w.cboTags).contains("GSM 6.10"));
    EXPECT_EQ(w.cboTags->currentText(), "PCM");
    EXPECT_TRUE(Items(w.cboFormats).contains("44100 Hz, 16 Bit, Stereo"));

    Choose(w.cboTags, "GSM 6.10");
    EXPECT_EQ(Items(w.cboFormats), QStringList({"8000 Hz, Mono"}));
    EXPECT_EQ(w.cboFormats->currentIndex(), 0);
  });
}

TEST_F(ACMConverterTest, RunWritesTheChosenCodecWithoutTags) {
  g_sTagSong = "title";
  ItemRow::SetIcon(*main->cGrid1, 1, "Inc", ItemRow::kUnmarked);
  main->cGrid1->SetSelectedRow(3);
  WithAcm([&](g_frmACMConverter& w) {
    ASSERT_EQ(w.cGrid1->Rows(), 2);
    Choose(w.cboTags, "IMA ADPCM");
    EXPECT_EQ(w.cboFormats->currentText(), "8000 Hz, 4 Bit, Mono");
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    EXPECT_EQ(w.windowTitle(), TaskWindow::AppTitle());
    EXPECT_EQ(w.lblTimeLeft->text(), "Time Left: 00:00:00");
    EXPECT_TRUE(Messages(w).contains("Destination format: ACM WAV"));
  });
  EXPECT_EQ(OutFiles(), QStringList({"b.wav", "c.wav"}));
  for (const char* name : {"b.wav", "c.wav"}) {
    SCOPED_TRACE(name);
    const Probe p = ProbeFile(out + "/" + name);
    EXPECT_EQ(p.codec, "adpcm_ima_wav");
    EXPECT_EQ(p.sampleRate, 8000);
    EXPECT_TRUE(p.tags.value("title").isEmpty());
    const double seconds = QString(name) == "b.wav" ? 1.5 : 1.0;
    EXPECT_NEAR(double(DecodePcm(out + "/" + name).size()), seconds * 8000, 1100);
  }
}

TEST_F(ACMConverterTest, NoAtTheLastExistingOutputStillEndsDone) {
  ListFixtures::WriteBytes(out + "/c.wav", "old");
  ScriptedUi::get().answers.push_back(vbNo);
  WithAcm([&](g_frmACMConverter& w) {
    w.chkPlaySound->setChecked(true);
    Convert(w);
    EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
  });
  EXPECT_EQ(ListFixtures::FileBytes(out + "/c.wav"), "old");
  EXPECT_EQ(sounds.size(), 1);
  EXPECT_EQ(OutFiles(), QStringList({"a.wav", "b.wav", "c.wav"}));
}
