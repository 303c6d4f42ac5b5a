#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "ScriptedUi.h"
#include "core/g_frmTurnOff.h"
#include "core/mdlModes.h"
#include "core/mdlShutDown.h"
#include "platform/Timer.h"

// Stands for the program's main window, which the turn-off closes.
class frmMain : public Form {
  Q_OBJECT
};

namespace {
class TurnOff : public ::testing::Test {
 protected:
  void SetUp() override {
    mdlModes::InitAppMode();
    form<frmMain>();
  }
  void TearDown() override {
    unloadForm<g_frmTurnOff>();
    unloadForm<frmMain>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Shows the count-down of 30 seconds and runs the steps while it is up
  // (the window's own timer ticks are driven by hand, not waited for).
  void countDown(const std::function<void(g_frmTurnOff&)>& steps) {
    QTimer::singleShot(0, [&] {
      g_frmTurnOff* f = loadedForm<g_frmTurnOff>();
      ASSERT_NE(f, nullptr);
      seen << f->lblSecToShutDown->text();
      steps(*f);
    });
    mdlShutDown::ShowTurnOffDialog(30);
  }
  void tick(g_frmTurnOff& f, int times) {
    for (int i = 0; i < times && loadedForm<g_frmTurnOff>(); ++i) {
      emit f.Timer1->Tick();
      if (loadedForm<g_frmTurnOff>()) seen << f.lblSecToShutDown->text();
    }
  }
  QStringList seen;
  ScriptedUi& ui = ScriptedUi::get();
};
}  // namespace

TEST_F(TurnOff, WindowShowsTheProductAndCountsFromTheStart) {
  countDown([&](g_frmTurnOff& f) {
    EXPECT_EQ(f.Caption(), "Turn Off Computer");
    EXPECT_EQ(f.lblApplInfo->text(), "Tessory 3.1");
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_EQ(f.Timer1->Interval(), 1000);
    f.cmdCancel->click();
  });
  EXPECT_EQ(seen, QStringList{"30"});
}

TEST_F(TurnOff, CountDownReachingZeroTurnsOffAndClosesTheProgram) {
  countDown([&](g_frmTurnOff& f) {
    tick(f, 29);
    EXPECT_EQ(f.lblSecToShutDown->text(), "1");
    EXPECT_EQ(ui.powerOffRequests, 0);
    tick(f, 1);
  });
  ASSERT_EQ(seen.size(), 30);
  EXPECT_EQ(seen.first(), "30");
  EXPECT_EQ(seen.last(), "1");
  EXPECT_EQ(ui.powerOffRequests, 1);
  EXPECT_EQ(loadedForm<g_frmTurnOff>(), nullptr);
  EXPECT_EQ(loadedForm<frmMain>(), nullptr);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TurnOff, ShutdownNowCutsTheCountDownShort) {
  countDown([&](g_frmTurnOff& f) {
    tick(f, 10);
    EXPECT_EQ(f.lblSecToShutDown->text(), "20");
    f.cmdTurnOffNow->click();
  });
  EXPECT_EQ(ui.powerOffRequests, 1);
  EXPECT_EQ(loadedForm<frmMain>(), nullptr);
}

TEST_F(TurnOff, CancelTurnsNothingOff) {
  countDown([&](g_frmTurnOff& f) {
    tick(f, 5);
    f.cmdCancel->click();
  });
  EXPECT_EQ(ui.powerOffRequests, 0);
  EXPECT_EQ(loadedForm<g_frmTurnOff>(), nullptr);
  EXPECT_NE(loadedForm<frmMain>(), nullptr);
}

TEST_F(TurnOff, RefusedRequestIsReportedAndTheProgramGoesOn) {
  ui.powerOffRefusal = "Turning the computer off is not allowed (no).";
  countDown([&](g_frmTurnOff& f) { f.cmdTurnOffNow->click(); });
  EXPECT_EQ(ui.powerOffRequests, 1);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_TRUE(ui.shown[0].prompt.contains("not allowed (no)")) << ui.shown[0].prompt.toStdString();
  EXPECT_EQ(ui.shown[0].title, "Tessory 3.1");
  EXPECT_EQ(loadedForm<g_frmTurnOff>(), nullptr);
  EXPECT_NE(loadedForm<frmMain>(), nullptr);
}

TEST(ShutdownSystem, FlagsOutsideTheRangeAreRefusedWithoutARequest) {
  for (long flags : {32L, -1L}) {
    EXPECT_FALSE(mdlShutDown::ShutdownSystem(flags));
    EXPECT_EQ(mdlShutDown::LastError().Number, -2147219921L);
    EXPECT_EQ(mdlShutDown::LastError().Description,
              "Invalid parameter to ShutdownSystem: " + QString::number(flags));
    EXPECT_TRUE(mdlShutDown::LastError().Source.endsWith(".mShutDown"));
  }
  EXPECT_EQ(ScriptedUi::get().powerOffRequests, 0);
  ScriptedUi::get().powerOffRefusal = "denied";
  EXPECT_FALSE(mdlShutDown::ShutdownSystem(mdlShutDown::EWX_SHUTDOWN));
  EXPECT_EQ(mdlShutDown::LastError().Number, -2147219925L);
  EXPECT_EQ(mdlShutDown::LastError().Description, "ShutdownSystem failed: denied");
  ScriptedUi::get().powerOffRefusal.clear();
  EXPECT_TRUE(mdlShutDown::ShutdownSystem(mdlShutDown::EWX_SHUTDOWN));
  EXPECT_EQ(mdlShutDown::LastError().Number, 0);
}

#include "TurnOffTest.moc"
