// Burn stops before anything is staged when the window's run folder cannot be
// made: files staged outside a locked run folder would never be swept.
#include <QFile>

#include "tests/tools/disc/DataBurnerFixture.h"

TEST_F(DataBurnerTest, BurnStopsWhenItsRunFolderCannotBeMade) {
  AddSources({"a.wav"});
  // A file where the shared staging folder belongs: no folder can be made in it.
  const QString shared = ProgramFolder() + "/datacdtmp";
  QDir(shared).removeRecursively();
  QFile blocker(shared);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  ASSERT_EQ(blocker.write("not a folder"), 12);
  blocker.close();
  for (int engine : {0, 1}) {
    SCOPED_TRACE(engine);
    ScriptedUi::get().reset();
    WithBurner(engine, [&](g_frmDataBurner3& w) {
      w.chkDoNotConvertSource->setChecked(true);
      Burn(w);
      const QString why = "The path: " + w.GetTempBurnFolder() + " cannot be created.";
      EXPECT_EQ(Prompts(), QStringList{why});
      const QStringList log = Messages(w);
      EXPECT_TRUE(log.contains(why)) << log.join("\n").toStdString();
      EXPECT_EQ(LastMessage(w), "Aborted.");
      EXPECT_TRUE(w.cmdExit->isEnabled());
      EXPECT_FALSE(w.Timer1->Enabled());
    });
    EXPECT_FALSE(QFileInfo::exists(iso));
    EXPECT_TRUE(QFileInfo(shared).isFile());
  }
}
