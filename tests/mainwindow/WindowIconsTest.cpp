#include <QApplication>

#include "MainWindowFixture.h"
#include "core/g_frmFileCopy.h"
#include "core/mdlMain.h"
#include "lists/g_frmDirProperties.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/g_frmNotes.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"
#include "tags/g_frmMP3TagsEditor.h"

using WindowIconsTest = MainWindowTest;

TEST_F(WindowIconsTest, EveryWindowHasAnIcon) {
  ASSERT_TRUE(QApplication::windowIcon().isNull());  // no fallback hides a missing one
  ASSERT_TRUE(mdlMain::StartUp());
  const std::pair<const char*, Form*> windows[] = {
      {"main", &form<frmMain>()},
      {"options", &form<frmOptions>()},
      {"audio format", &form<g_frmAudioProp>()},
      {"tags editor", &form<g_frmMP3TagsEditor>()},
      {"notes", &form<g_frmNotes>()},
      {"list properties", &form<g_frmDirProperties>()},
      {"file copy", &form<g_frmFileCopy>()},
  };
  for (const auto& [name, window] : windows)
    EXPECT_FALSE(window->windowIcon().pixmap(16, 16).isNull()) << name;
}
