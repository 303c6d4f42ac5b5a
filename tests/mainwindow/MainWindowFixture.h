// A clean program state for each test of the start-up and the main window:
// fresh settings hive and program folder, installed keys, no window loaded.
#pragma once
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "core/mdlInstall.h"
#include "core/mdlModes.h"
#include "platform/Form.h"
#include "platform/Services.h"
#include "platform/cSysTray.h"
#include "settings/OptionValues.h"

inline void UnloadAllForms() {
  g_bExiting = true;
  for (Form* f : LoadedForms()) f->Unload();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  g_bExiting = false;
  g_bSplashShown = false;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAllForms();
    TestEnv::ResetHive();
    QDir(ProgramFolder()).removeRecursively();
    ASSERT_TRUE(mdlInstall::Install());
    SetCommandLineArgs("");
    cSysTray::SetAvailableOverride(1);
    g_bDisplayMSGWhenExit = false;
    g_bClearOnExit = false;
  }
  void TearDown() override {
    UnloadAllForms();
    cSysTray::SetAvailableOverride(-1);
  }
};
