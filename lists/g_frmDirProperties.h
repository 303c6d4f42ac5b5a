// "Items List Properties": the name, path and contents of the list (or drive)
// selected in the main window's tree; OK renames the list.
#pragma once
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class QPushButton;
class cTabControl;

class g_frmDirProperties : public Form {
  Q_OBJECT
 public:
  g_frmDirProperties();
  // True allows OK to rename.
  bool bEditFolderName = false;

  void cmdOk_Click();
  void cmdCancel_Click();
  void lblOpenDestinationDestinationFolder_Click();

  QWidget* picTitle;
  QLabel* lblTitle;
  cTabControl* cTabControl1;
  QWidget* TabGeneral;
  QLabel* lblFolderName;
  QLineEdit* txtFolderName;
  QLabel* lblPath;
  QLineEdit* txtPath;
  QLabel* lblThisFolderContain;
  QLabel* lblContain;
  QLabel* imgOpenDestFolder;
  QLabel* lblOpenDestinationDestinationFolder;
  QPushButton* cmdOk;
  QPushButton* cmdCancel;

 protected:
  void Form_Load() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void refuse(const QString& message);
};
