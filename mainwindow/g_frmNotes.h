// The notes window: a free-text scratch pad kept in the notes file, read when
// the window opens and written back when it closes, only when it was edited.
#pragma once
#include "mainwindow/NotesText.h"
#include "platform/Form.h"

class QPlainTextEdit;

class g_frmNotes : public Form {
  Q_OBJECT
 public:
  g_frmNotes();

  QPlainTextEdit* Text1;

 protected:
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& Cancel) override;

 private:
  NotesText notes_;
};
