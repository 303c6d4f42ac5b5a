#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "MainWindowFixture.h"
#include "core/mdlMain.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "platform/cTabControl.h"

using AboutTest = MainWindowTest;

TEST_F(AboutTest, TextsTabAndLinks) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmAbout& a = form<frmAbout>();
  EXPECT_EQ(a.Caption(), "About");
  EXPECT_EQ(a.lblTitle->text(), "Tessory 3.1");
  EXPECT_EQ(a.lblAppName->text(), "Tessory 3.1");
  EXPECT_EQ(a.lblHomePage->text(), "Tessory 3.1 - Home Page");
  EXPECT_EQ(a.lblVersionInside->text(), "Inside version: 3.1.2");
  EXPECT_EQ(a.lblSite->text(), g_sAppSite);
  EXPECT_EQ(a.lblDesc->text(), g_sAppDescription);
  EXPECT_EQ(a.lblSupport->text(), "Support");
  a.lblTitle->ensurePolished();  // the text colour comes with the style sheet
  EXPECT_EQ(a.lblTitle->palette().color(QPalette::WindowText), ColorFromNumber(g_lTitleForeColor));
  EXPECT_EQ(a.picTitle->palette().color(QPalette::Window), ColorFromNumber(g_lTitleBackColor));
  ASSERT_EQ(a.cTabControl1->TabCount(), 1);
  EXPECT_EQ(a.cTabControl1->TabKey(1), "About");
  EXPECT_EQ(a.cTabControl1->Bar()->tabText(0), "About   ");

  a.Show();
  a.HideTabPages();
  a.cTabControl1_TabClick(1);
  EXPECT_TRUE(a.picAbout->isVisible());

  a.lblSite_Click();
  a.lblHomePage_Click();
  a.lblSupport_Click();
  QStringList opened;
  for (const ShellCall& c : ScriptedUi::get().shellCalls) opened << c.target;
  EXPECT_EQ(opened, QStringList({g_sAppSite, g_sAppHomePage, g_sAppSupportPage}));
  EXPECT_TRUE(a.isVisible());
  a.cmdOk->click();
  EXPECT_EQ(loadedForm<frmAbout>(), nullptr);
}
