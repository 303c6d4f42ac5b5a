// The main window with generated items, one data image drive, and the
// data-disc window opened through the main window's command and driven while
// it is shown modally, as a user drives it. Message boxes are answered by
// the scripted answers, or by a step of the test for chosen prompts. The
// written image is read back with xorriso and isoinfo. The turn-off
// count-down is cancelled as in the ripper's tests.
#pragma once
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <map>

#include "platform/burn/cAudioDataBurner.h"
#include "platform/burn/cBurner.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"
#include "tests/tools/disc/RipperFixture.h"
#include "tools/disc/g_frmDataBurner3.h"

class DataBurnerTest : public RipperTest {
 protected:
  using TaskTest::Messages;

  void SetUp() override {
    RipperTest::SetUp();
    iso = TestEnv::FreshDir("disc") + "/out.iso";
    qputenv("TESSORY_CD_IMAGES", iso.toLocal8Bit());
    qunsetenv("TESSORY_BURN_LIBRARIES");
    g_tMp3Settings = Mp3FormatRecord{};
    g_tMp3Settings.Bitrate = 64, g_tMp3Settings.SampleRate = 22050, g_tMp3Settings.Mode = 3;
    g_tMp3Settings.Quality = 5, g_tMp3Settings.WriteVbrTag = -1, g_bMp3Abr = false;
    SetMsgBoxHandler([this](const MsgBoxCall& c) { return answer(c); });
  }
  void TearDown() override {
    ScriptedUi::get().install();
    qunsetenv("TESSORY_CD_IMAGES");
    qunsetenv("TESSORY_BURN_LIBRARIES");
    RipperTest::TearDown();
  }

  // A second of sine per name in the media folder (WAV, or encoded by the
  // name's extension), added to the list and marked.
  void AddSources(const QStringList& names) {
    for (const QString& n : names) {
      if (n.endsWith(".wav")) {
        AudioFixtures::WriteWav(media + "/" + n, 22050, 1, 16, 1.0);
        continue;
      }
      const QString wav = AudioFixtures::WriteWav(media + "/tmp.wav", 22050, 1, 16, 1.0);
      AudioFixtures::Encode(wav, media + "/" + n);
      QFile::remove(wav);
    }
    AddItems(names);
    ASSERT_EQ(main->cGrid1->Rows(), names.size());
  }

  // Opens the window through the command, with the engine chosen, and runs
  // the steps while it is shown; the window is closed afterwards when the
  // steps left it open.
  void WithBurner(int engine, const std::function<void(g_frmDataBurner3&)>& steps,
                  const QString& command = "MP3 CD Maker") {
    WithTask<g_frmDataBurner3>(command, [&](g_frmDataBurner3& w) {
      w.cmbEngine->setCurrentIndex(engine);
      staging = w.GetTempBurnFolder();
      for (QCheckBox* box : {w.chkPlaySound, w.chkTurnOffComputer}) box->setChecked(true);
      steps(w);
    });
  }

  // Presses Burn and waits until the staging and the write are over.
  static void Burn(g_frmDataBurner3& w) {
    w.cmdConvert->click();
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 120000));
  }

  // Answers the prompts beginning with the text by the step (its result the
  // answer); others take the scripted answers.
  void OnPrompt(const QString& start, std::function<int()> step) { hooks_[start] = std::move(step); }
  QStringList Prompts() const { return ScriptedUi::get().prompts(); }
  bool Asked(const QString& start) const {
    return std::any_of(ScriptedUi::get().shown.begin(), ScriptedUi::get().shown.end(),
                       [&](const MsgBoxCall& c) { return c.prompt.startsWith(start); });
  }

  // The files of the image by their Joliet names, with their bytes.
  QMap<QString, QByteArray> DiscFiles() const {
    QMap<QString, QByteArray> files;
    if (!QFileInfo::exists(iso)) return files;
    const QString dir = TestEnv::FreshDir("extracted");
    AudioFixtures::RunTool("xorriso", {"-joliet", "on", "-osirrox", "on", "-indev", iso, "-extract", "/", dir});
    for (const QString& name : AudioFixtures::FilesIn(dir)) {
      QFile f(dir + "/" + name);
      files[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return files;
  }
  // isoinfo's report of the primary volume descriptor.
  QString VolumeReport() const { return QString::fromLatin1(AudioFixtures::RunTool("isoinfo", {"-d", "-i", iso})); }
  // The staging folder of the window opened last.
  QStringList Staged() const { return AudioFixtures::FilesIn(staging); }

  QString iso;
  QString staging;

 private:
  int answer(const MsgBoxCall& c) {
    ScriptedUi& ui = ScriptedUi::get();
    ui.shown.push_back(c);
    for (auto& [start, step] : hooks_)
      if (c.prompt.startsWith(start)) return step();
    if (!ui.answers.empty()) {
      const int a = ui.answers.front();
      ui.answers.pop_front();
      return a;
    }
    switch (c.buttons & 7) {
      case vbYesNo: case vbYesNoCancel: return int(vbYes);
      default: return int(vbOK);
    }
  }
  std::map<QString, std::function<int()>> hooks_;
};
