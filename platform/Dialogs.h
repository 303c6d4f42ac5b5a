// The file, folder and colour dialogs, through one service that tests script.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

struct DialogCall {
  enum Kind { OpenFiles, SaveFile, Folder, Color } kind = OpenFiles;
  QString title;
  QString filter;       // Qt form: "Description (*.a *.b);;Other (*.c)"
  QString folder;       // initial folder
  QString fileName;     // initial name (save)
  bool multiSelect = false;
  long color = 0;       // initial colour (Color)
  QWidget* owner = nullptr;
};
// The answer: the chosen paths (OpenFiles, SaveFile), the one folder (Folder) or
// the colour number as text (Color). An empty list means cancelled.
using DialogHandler = std::function<QStringList(const DialogCall&)>;

QStringList RunDialog(const DialogCall& call);
void SetDialogHandler(DialogHandler handler);
