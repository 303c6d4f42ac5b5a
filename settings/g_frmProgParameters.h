// The placeholder legend: the placeholders of the external command line, the
// tag templates and the output file-name templates, one section at a time.
// It stores nothing; it is created when opened and destroyed when closed.
#pragma once
#include "platform/Form.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

class g_frmProgParameters : public Form {
  Q_OBJECT
 public:
  g_frmProgParameters();
  // Loads the legend, shows section 0 (command line), 1 (tags) or 2 (file
  // names) and shows it modally, as every opener does.
  static void ShowAtSection(int section, QWidget* owner = nullptr);

  void cboSections_Click();
  void cmdOk_Click();

  QWidget* picTitle;
  QLabel* lblTitle;
  QComboBox* cboSections;
  QFrame* fraAppNotic;
  QFrame* fraID3Tags;
  QFrame* fraExt;
  QPushButton* cmdOk;

 protected:
  void Form_Load() override;
};
