// How runs of the data-disc window end when something goes wrong: nothing to
// stage, a staged file gone before the write, Abort during staging, a failing
// write, and the guards while files are staged or written.
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTime>

#include "tests/tools/disc/DataBurnerFixture.h"

// Sources that are gone when the run copies them: each is logged, no disc is
// spent, and the window is ready again.
TEST_F(DataBurnerTest, NothingStageableWritesNoDisc) {
  AddSources({"a.wav", "b.wav"});
  for (int engine : {0, 1}) {
    SCOPED_TRACE(engine);
    QFile::remove(media + "/a.wav");
    QFile::remove(media + "/b.wav");
    WithBurner(engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      Burn(w);
      const QStringList log = Messages(w);
      EXPECT_TRUE(log.contains("Cannot copy: a.wav") && log.contains("Cannot copy: b.wav"))
          << log.join("\n").toStdString();
      EXPECT_EQ(LastMessage(w), "Nothing was staged: there is nothing to burn.");
      EXPECT_TRUE(w.cmdExit->isEnabled());
    });
    EXPECT_FALSE(Asked("Burn CD?"));
    EXPECT_FALSE(QFileInfo::exists(iso));
    EXPECT_TRUE(sounds.isEmpty());
  }
}

// A staged file that has gone when the write begins is reported, with its
// path in the message and its name in the log, before anything is written;
// the others are written. When none is left, nothing is written at all.
TEST_F(DataBurnerTest, MissingStagedFilesAreReportedBeforeTheWrite) {
  AddSources({"a.wav", "b.wav", "c.wav"});
  struct Case {
    int engine;
    QStringList removed;
    QStringList onDisc;
  };
  const Case cases[] = {
      {0, {"b.wav"}, {"a.wav", "c.wav"}},
      {1, {"b.wav"}, {"a.wav", "c.wav"}},
      {0, {"a.wav", "b.wav", "c.wav"}, {}},
      {1, {"a.wav", "b.wav", "c.wav"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("engine %1, %2 gone").arg(c.engine).arg(c.removed.size()).toStdString());
    QFile::remove(iso);
    ScriptedUi::get().reset();
    sounds.clear();
    OnPrompt("Burn CD?", [&] {
      for (const QString& name : c.removed) QFile::remove(staging + name);
      return int(vbOK);
    });
    WithBurner(c.engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      Burn(w);
      const QStringList log = Messages(w);
      for (const QString& name : c.removed) {
        EXPECT_TRUE(log.contains("Couldn't add the file " + name)) << log.join("\n").toStdString();
        const QString path = staging + name;
        const auto& shown = ScriptedUi::get().shown;
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const MsgBoxCall& m) {
          return m.prompt == "Couldn't add the file " + path && m.title == "Error";
        }));
      }
      if (c.onDisc.isEmpty()) EXPECT_EQ(LastMessage(w), "Nothing to burn: no staged file could be added.");
      else EXPECT_EQ(LastMessage(w), "Done.");
    });
    EXPECT_EQ(QStringList(DiscFiles().keys()), c.onDisc);
    EXPECT_EQ(sounds.size(), c.onDisc.isEmpty() ? 0 : 1);
  }
}

// Abort during staging ends the run as aborted with no question about the
// disc: while a conversion runs, while the next one is being prepared (the
// overwrite question of a second row of the same name), and between two copies.
TEST_F(DataBurnerTest, AbortDuringStagingIsNeverLost) {
  AddSources({"a.wav", "b.wav"});
  struct Case {
    const char* name;
    bool copy;
    const char* fileNames;  // "x" names both rows alike, so a question comes
    const char* prompt;     // Abort is clicked while this question is open; "" right after Burn
    int answer;             // to that question
  };
  const Case cases[] = {
      {"running conversion", false, "[file_name].[dest_extension]", "", 0},
      {"conversion being prepared", false, "x.[dest_extension]", "The file: '", vbYes},
      {"conversion skipped after it", false, "x.[dest_extension]", "The file: '", vbNo},
      {"between two copies", true, "x.[dest_extension]", "The file name x.wav", vbNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(iso);
    ScriptedUi::get().reset();
    WithBurner(0, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(c.copy);
      w.cboFileName->addItem(c.fileNames);
      w.cboFileName->setCurrentIndex(w.cboFileName->count() - 1);
      if (*c.prompt)
        OnPrompt(c.prompt, [&] {
          w.cmdAbort->click();  // "Abort operation?" is answered Yes
          return c.answer;
        });
      w.cmdConvert->click();
      if (!*c.prompt) w.cmdAbort->click();
      ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
      EXPECT_EQ(w.lblCurrentTrack->text(), "Aborted.");
      EXPECT_EQ(w.Caption(), "Aborted.");
      EXPECT_EQ(LastMessage(w), "Aborted.");
      EXPECT_TRUE(Asked("Abort operation?"));
    });
    EXPECT_FALSE(Asked("Burn CD?"));
    EXPECT_FALSE(QFileInfo::exists(iso));
  }
}

// A write that fails, or is cancelled, ends the write without the end-of-job
// actions even when the engine's End follows: no sound, no turn-off, the
// staged files kept, no "Done.".
TEST_F(DataBurnerTest, AFailedWriteRunsNoEndOfJobAction) {
  AddSources({"a.wav"});
  struct Case {
    const char* name;
    int engine;
    const char* shown;  // the status line afterwards
  };
  const Case cases[] = {
      {"first engine's Error", 0, "no room left"},
      {"second engine's Error, then End", 1, "no room left (Write failed)"},
      {"second engine's Canceled, then End", 1, "BurnerEnd."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    turnOffShown = 0;
    int engineEnds = 0;
    WithBurner(c.engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      // The failure is raised as the write begins; the engine's own ending follows it.
      QObject::connect(w.cAudioDataBurner1, &cAudioDataBurner::BurnStarted, &w,
                       [&] { emit w.cAudioDataBurner1->Error(5, "no room left"); });
      QObject::connect(w.cAudioDataBurner1, &cAudioDataBurner::Finished, &w, [&] { ++engineEnds; });
      QObject::connect(w.cBurner1, &cBurner::StartBurning, &w, [&] {
        if (QString(c.name).contains("Canceled")) emit w.cBurner1->Canceled();
        else emit w.cBurner1->Error("Write failed", "no room left");
      });
      QObject::connect(w.cBurner1, &cBurner::End, &w, [&] { ++engineEnds; });
      Burn(w);
      ASSERT_TRUE(TestEnv::WaitUntil([&] { return engineEnds == 1; }, 60000));
      EXPECT_EQ(w.lblCurrentTrack->text(), c.shown);
      EXPECT_NE(LastMessage(w), "Done.");
      EXPECT_FALSE(Messages(w).contains("Done."));
      EXPECT_TRUE(w.cmdConvert->isEnabled() && w.cmdExit->isEnabled() && w.lblOpenCDDoor->isEnabled());
      EXPECT_EQ(Staged(), QStringList{"a.wav"});
    });
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_EQ(turnOffShown, 0);
  }
}

// While files are staged or written, Burn and Exit are off, the window does
// not close, the erase link leaves the staged files, and during the write
// Abort is off and asks nothing.
TEST_F(DataBurnerTest, BusyGuardsWhileStagingAndWriting) {
  AddSources({"a.wav", "b.wav"});
  for (int engine : {0, 1}) {
    SCOPED_TRACE(engine);
    ScriptedUi::get().reset();
    int checked = 0;
    WithBurner(engine, [&](g_frmDataBurner3& w) {
      auto busy = [&](bool writing) {
        EXPECT_FALSE(w.cmdConvert->isEnabled());
        EXPECT_FALSE(w.cmdExit->isEnabled());
        EXPECT_FALSE(w.Unload());
        // Files converted ahead appear and are renamed meanwhile; the staged ones must stay.
        auto staged = [&] { return Staged().filter(QRegularExpression("^[^.]")); };
        const QStringList before = staged();
        w.lblErasetempfilesnow_Click();
        EXPECT_EQ(staged(), before);
        EXPECT_EQ(w.cmdAbort->isEnabled(), !writing);
        if (writing) w.cmdAbort_Click();
        ++checked;
      };
      QObject::connect(w.cAudioDataBurner1, &cAudioDataBurner::BurnStarted, &w, [&] { busy(true); });
      QObject::connect(w.cBurner1, &cBurner::StartBurning, &w, [&] { busy(true); });
      QObject::connect(w.cBurner1, &cBurner::AddingFile, &w, [&] {
        EXPECT_FALSE(w.cmdConvert->isEnabled());  // already while the files are handed over
      });
      w.cmdConvert->click();  // the first conversion runs now
      busy(false);
      ASSERT_TRUE(TestEnv::WaitUntil([&] { return w.cmdConvert->isEnabled(); }, 60000));
      EXPECT_EQ(w.lblCurrentTrack->text(), "Done.");
    });
    EXPECT_EQ(checked, 2);
    EXPECT_FALSE(Asked("Abort operation?"));
    EXPECT_FALSE(Asked("Done."));
    EXPECT_EQ(QStringList(DiscFiles().keys()), (QStringList{"a.mp3", "b.mp3"}));
  }
}

// The name of each row is taken when it is staged: a template with the time
// of day still finds every file when the write begins in a later second.
TEST_F(DataBurnerTest, TimeTemplatesKeepTheStagedNames) {
  AddSources({"a.wav", "b.wav"});
  OnPrompt("Burn CD?", [&] {
    const QTime staged = QTime::currentTime();
    TestEnv::WaitUntil([&] { return QTime::currentTime().second() != staged.second(); }, 2000);
    return int(vbOK);
  });
  WithBurner(1, [&](g_frmDataBurner3& w) {
    w.chkDoNotConvertSource->setChecked(true);
    w.cboFileName->addItem("[file_name] [time].[dest_extension]");
    w.cboFileName->setCurrentIndex(w.cboFileName->count() - 1);
    Burn(w);
    EXPECT_EQ(LastMessage(w), "Done.");
  });
  const QStringList names = DiscFiles().keys();
  ASSERT_EQ(names.size(), 2);
  EXPECT_TRUE(names[0].startsWith("a ") && names[0].endsWith(".wav")) << names[0].toStdString();
  EXPECT_TRUE(names[1].startsWith("b ") && names[1].endsWith(".wav")) << names[1].toStdString();
}

// A writer that cannot write (its image folder is gone): the first engine's
// drive check stops Burn before anything is staged; the second engine checks
// nothing first, and its write ends with its error before writing starts.
// Either way the window is ready and closes, and no end-of-job action runs.
TEST_F(DataBurnerTest, AWriterThatCannotWriteLeavesTheWindowReady) {
  AddSources({"a.wav"});
  QDir(QFileInfo(iso).absolutePath()).removeRecursively();
  for (int engine : {0, 1}) {
    SCOPED_TRACE(engine);
    ScriptedUi::get().reset();
    sounds.clear();
    WithBurner(engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      Burn(w);
      const QString drive = w.cboDrv->currentText().left(2);
      const QStringList log = Messages(w);
      if (engine == 0) {
        EXPECT_TRUE(log.contains("The CD drive '" + drive + "' is not ready.")) << log.join("\n").toStdString();
        EXPECT_EQ(LastMessage(w), "Aborted.");
        EXPECT_TRUE(Asked("Please insert an empty media into drive: " + drive));
        EXPECT_TRUE(Staged().isEmpty());
      } else {
        EXPECT_FALSE(Asked("Please insert an empty media into drive: "));
        EXPECT_TRUE(Asked("Burn CD?"));
        EXPECT_TRUE(w.lblCurrentTrack->text().endsWith("(The writer cannot write this disc)"))
            << w.lblCurrentTrack->text().toStdString();
        EXPECT_EQ(Staged(), QStringList{"a.wav"});
      }
      EXPECT_FALSE(log.contains("Done."));
      EXPECT_TRUE(w.Unload());
    });
    EXPECT_EQ(loadedForm<g_frmDataBurner3>(), nullptr);
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_TRUE(Staged().isEmpty());  // the close empties the staging folder
  }
}
