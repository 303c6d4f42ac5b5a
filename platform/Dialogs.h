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
  // OpenFiles, SaveFile: the filter position to start at, from 1 (0 for the
  // first); a dialog that was not cancelled writes back the one chosen.
  int filterIndex = 0;
  // Folder: while the user moves through folders, a status line of this text
  // followed by the selected folder; no status line when empty.
  QString statusPrefix;
  long color = 0;       // initial colour (Color)
  QWidget* owner = nullptr;
};
// The answer: the chosen paths (OpenFiles, SaveFile), the one folder (Folder) or
// the colour number as text (Color). An empty list means cancelled.
using DialogHandler = std::function<QStringList(DialogCall&)>;

QStringList RunDialog(DialogCall& call);
void SetDialogHandler(DialogHandler handler);
