// The open, save, folder and colour dialogs, through the platform's dialog
// service. Each returns when the user has closed its dialog and shows no
// message of its own, except the save dialog's question before it replaces a
// file under a name it completed with the default extension.
#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// The one request of the open and save dialogs, kept for the whole run: a
// caller sets the filter (description and pattern pairs, each followed by one
// NUL) and the caption, and for a save dialog the default extension; fields a
// call does not set keep what the previous dialog left.
struct OPENFILENAME {
  QWidget* hwndOwner = nullptr;
  QString lpstrFilter;
  QString lpstrTitle;
  QString lpstrInitialDir;  // set by the open dialog from the last folder used
  QString lpstrDefExt;      // without the dot, e.g. "wav"
  // The filter position (from 1) the last open or save dialog was left at;
  // the next one opens there.
  int nFilterIndex = 0;
};
extern OPENFILENAME FileDialogRecord;

// What the open and save dialogs return. Files[1..Count] are the chosen files:
// from the open dialog bare names in Folder (a full path is Folder, "/" unless
// Folder ends with one, and the name), from the save dialog the full path.
// Files[0] holds the first piece of the answer: after a single pick in the open
// dialog the chosen file's full path.
struct FileDialogResult {
  int Count = 0;
  QStringList Files;
  QString Folder;
  bool Cancelled = true;
};

// Color is red + 256 * green + 65536 * blue, or -1 when cancelled.
struct ColorDialogResult {
  long Color = -1;
  bool Cancelled = true;
};

namespace mdlCommDialog {
// The application name under which the last folder of the open dialog is kept.
extern const QString kSettingsApp;

// Multi-select open dialog starting in the folder used last.
FileDialogResult ShowOpenDialog(QWidget* owner, bool centreOnOwner);
// Save dialog; asks before an existing file is replaced.
FileDialogResult ShowSaveDialog(QWidget* owner, const QString& defaultName, bool centreOnOwner);
// The chosen folder ("/" keeps its slash, other folders end without one), or
// "" when cancelled. The picker starts in initialFolder; with statusText its
// status line reads "Auswahl: " and the folder the user has selected.
QString BrowseForFolder(const QString& title, const QString& initialFolder, QWidget* owner,
                        bool statusText = true, const QString& root = QString(), bool newStyle = true,
                        bool includeFiles = false);
// Colour picker starting on white, with sixteen preset custom colours that
// keep the user's edits until the program ends.
ColorDialogResult ShowColorDialog(QWidget* owner, bool centreOnOwner);

// The NUL-separated filter in the dialog service's form:
// "Description (*.a *.b);;Other (*.c)".
QString QtFilterFromRecord(const QString& filter);
}  // namespace mdlCommDialog
