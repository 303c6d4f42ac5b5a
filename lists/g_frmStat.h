// "Add Files": turns a collection of audio files into rows of an item grid,
// with a progress bar and Cancel. Each call shows the window and unloads it.
#pragma once
#include <QStringList>

#include "platform/Form.h"

class QLabel;
class QPushButton;
class cAudioConverter;
class cGrid;
class cProgressBar;

class g_frmStat : public Form {
  Q_OBJECT
 public:
  g_frmStat();
  // The refusal of an add started while another one runs.
  static const QString kBusyMessage;
  // Appends a row for every path that is a supported, non-empty file the
  // conversion control opens; "Cannot add <path>" for one it cannot open.
  void AddFilesToList(const QStringList& Data, cGrid& cGrid1, QWidget* frm);
  static bool SupportAudioFile(const QString& sFileName);
  // The item name of a file name: the characters a name may not hold removed.
  static QString getLegaName(const QString& sPath);
  void cmdCancel_Click();

  QLabel* lblStat;
  cProgressBar* cProgressBar1;
  QPushButton* cmdCancel;
  cAudioConverter* cAudioConverter1;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void writeRow(cGrid& grid, long row, const QString& path);
  // A path the run tries to add: a supported, non-empty file.
  static bool addable(const QString& path);
  bool running_ = false;
};
