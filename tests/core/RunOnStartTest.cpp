#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/mdlModes.h"
#include "core/mdlRunOnStart.h"

TEST(RunOnStart, EntryWrittenReadAndRemoved) {
  mdlModes::InitAppMode();
  const QString entry = mdlRunOnStart::EntryPath();
  QFile::remove(entry);
  EXPECT_FALSE(mdlRunOnStart::IsRunOnStartup());
  EXPECT_EQ(mdlRunOnStart::SetRunOnStartup(false), 2);  // nothing there: no error
  EXPECT_EQ(mdlRunOnStart::SetRunOnStartup(true), -1);
  EXPECT_TRUE(mdlRunOnStart::IsRunOnStartup());
  EXPECT_TRUE(entry.endsWith("/autostart/Tessory.desktop"));
  EXPECT_TRUE(mdlRunOnStart::RunCommand().endsWith("\" -st"));
  EXPECT_EQ(mdlRunOnStart::SetRunOnStartup(false), 0);
  EXPECT_FALSE(QFile::exists(entry));
}

TEST(RunOnStart, AnEntryForAnotherProgramFileCountsAsNotSet) {
  mdlModes::InitAppMode();
  const QString entry = mdlRunOnStart::EntryPath();
  QDir().mkpath(QFileInfo(entry).path());
  QFile f(entry);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[Desktop Entry]\nType=Application\nExec=\"/opt/OLD/tessory\" -st\n");
  f.close();
  EXPECT_FALSE(mdlRunOnStart::IsRunOnStartup());
  EXPECT_EQ(mdlRunOnStart::SetRunOnStartup(false), 0);  // the stale entry goes
}
