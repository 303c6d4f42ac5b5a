// The About window: the product's name, versions, description and links to
// its web pages. Created for each showing and destroyed when it closes.
#pragma once
#include "platform/Form.h"

class QLabel;
class QPushButton;
class cTabControl;

class frmAbout : public Form {
  Q_OBJECT
 public:
  frmAbout();

  void HideTabPages();
  void cTabControl1_TabClick(long lTab);
  void lblSite_Click();
  void lblHomePage_Click();
  void lblSupport_Click();
  void cmdOk_Click();

  QWidget* picTitle;
  QLabel* lblTitle;
  cTabControl* cTabControl1;
  QWidget* picAbout;
  QLabel* lblAppName;
  QLabel* lblDesc;
  QLabel* lblSite;
  QLabel* lblHomePage;
  QLabel* lblSupport;
  QLabel* lblVersionInside;
  QPushButton* cmdOk;

 protected:
  void Form_Load() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};
