#include "core/mdlCommDialog.h"

#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/mdlFunctions.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/UserSettings.h"

OPENFILENAME FileDialogRecord;

namespace {
const QColor kPresetColors[] = {{139, 155, 184}, {188, 213, 254}, {115, 172, 183}, {200, 249, 198},
                                {189, 194, 253}, {200, 249, 255}, {108, 213, 210}, {236, 164, 236}};
constexpr int kCustomColors = 16;
constexpr long kWhite = 0xFFFFFF;

FileDialogResult cancelled() { return FileDialogResult(); }

// Qt centres a dialog over the window it is given and on the screen without one.
QWidget* placeOver(QWidget* owner, bool centreOnOwner) { return centreOnOwner ? owner : nullptr; }

QString withoutClosingSlash(QString folder) {
  while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
  return folder;
}

void presetCustomColors() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int i = 0; i < kCustomColors; ++i)
    QColorDialog::setCustomColor(i, i < 8 ? kPresetColors[i] : QColor(160, 160, 160));
}

bool replaceConfirmed(const QString& path) {
  if (!QFileInfo::exists(path)) return true;
  return MsgBox(path + " already exists.\nDo you want to replace it?", vbYesNo | vbExclamation,
                FileDialogRecord.lpstrTitle) == vbYes;
}
}  // namespace

namespace mdlCommDialog {

const QString kSettingsApp = QStringLiteral("Tessory");

QString QtFilterFromRecord(const QString& filter) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  const QStringList pieces = filter.split(QChar(0));
  QStringList out;
  for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
    if (pieces[i].isEmpty() && pieces[i + 1].isEmpty()) break;
    QStringList patterns = pieces[i + 1].split(u';', Qt::SkipEmptyParts);
    patterns.removeDuplicates();
    QString description = pieces[i];
    description.remove(trailingPatterns);
    out << description + " (" + patterns.join(u' ') + ")";
  }
  return out.join(";;");
}

FileDialogResult ShowOpenDialog(QWidget* owner, bool centreOnOwner) {
  FileDialogRecord.hwndOwner = owner;
  FileDialogRecord.lpstrInitialDir = GetSetting(kSettingsApp, "path", "last_path", QDir::homePath());
  DialogCall call;
  call.kind = DialogCall::OpenFiles;
  call.title = FileDialogRecord.lpstrTitle;
  call.filter = QtFilterFromRecord(FileDialogRecord.lpstrFilter);
  call.folder = FileDialogRecord.lpstrInitialDir;
  call.multiSelect = true;
  call.filterIndex = FileDialogRecord.nFilterIndex;
  call.owner = placeOver(owner, centreOnOwner);
  const QStringList chosen = RunDialog(call);
  if (chosen.isEmpty()) return cancelled();
  FileDialogRecord.nFilterIndex = call.filterIndex;

  const QString folder = QFileInfo(chosen.first()).absolutePath();
  FileDialogResult r;
  r.Cancelled = false;
  r.Count = int(chosen.size());
  if (r.Count == 1) {
    // A single pick gives the folder without its closing "/", even at the root.
    r.Folder = folder == "/" ? QString() : withoutClosingSlash(folder);
    r.Files << chosen.first();
  } else {
    r.Folder = withoutClosingSlash(folder);
    r.Files << r.Folder;
  }
  for (const QString& path : chosen) r.Files << QFileInfo(path).fileName();
  SaveSetting(kSettingsApp, "path", "last_path", withoutClosingSlash(folder));
  return r;
}

FileDialogResult ShowSaveDialog(QWidget* owner, const QString& defaultName, bool centreOnOwner) {
  FileDialogRecord.hwndOwner = owner;
  DialogCall call;
  call.kind = DialogCall::SaveFile;
  call.title = FileDialogRecord.lpstrTitle;
  call.filter = QtFilterFromRecord(FileDialogRecord.lpstrFilter);
  call.folder = FileDialogRecord.lpstrInitialDir;
  call.fileName = defaultName;
  call.owner = placeOver(owner, centreOnOwner);
  for (;;) {
    call.filterIndex = FileDialogRecord.nFilterIndex;
    const QStringList chosen = RunDialog(call);
    if (chosen.isEmpty()) return cancelled();
    FileDialogRecord.nFilterIndex = call.filterIndex;
    QString path = chosen.first();
    // The dialog asked about the name as typed; a name we complete is asked about here.
    if (!FileDialogRecord.lpstrDefExt.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
      path += "." + FileDialogRecord.lpstrDefExt;
      if (!replaceConfirmed(path)) {
        call.folder = mdlFunctions::GetFolderPath(path);
        call.fileName = QFileInfo(path).fileName();
        continue;
      }
    }
    FileDialogResult r;
    r.Cancelled = false;
    r.Count = 1;
    r.Folder = mdlFunctions::GetFolderPath(path);
    r.Files << QString() << path;
    return r;
  }
}

QString BrowseForFolder(const QString& title, const QString& initialFolder, QWidget* owner, bool statusText,
                        const QString&, bool, bool) {
  DialogCall call;
  call.kind = DialogCall::Folder;
  call.title = title;
  call.folder = initialFolder;
  if (statusText) call.statusPrefix = "Auswahl: ";
  call.owner = owner;
  const QStringList chosen = RunDialog(call);
  return chosen.isEmpty() ? QString() : withoutClosingSlash(chosen.first());
}

ColorDialogResult ShowColorDialog(QWidget* owner, bool centreOnOwner) {
  presetCustomColors();
  DialogCall call;
  call.kind = DialogCall::Color;
  call.color = kWhite;
  call.owner = placeOver(owner, centreOnOwner);
  const QStringList chosen = RunDialog(call);
  if (chosen.isEmpty()) return ColorDialogResult();
  bool ok = false;
  long color = chosen.first().toLong(&ok);
  if (!ok) return ColorDialogResult();
  return ColorDialogResult{color, false};
}

}  // namespace mdlCommDialog
