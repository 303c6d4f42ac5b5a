// Window icons from the program's named icons.
#pragma once
#include <QIcon>
#include <QString>

class QWidget;

namespace mdlSetFormIcon32 {
// The program's icon of that name (letter case ignored): "aaa", "cd_music",
// "colors", "cut", "document_music", "document_pulse", "gears", "microphone2",
// "notes", "replace2", "text_align_left". A null icon for any other name.
QIcon ProgramIcon(const QString& name);
// Gives the window the named icon; with setOnOwner also the last window of its
// owner chain (its task-bar window). An unknown name takes the icon away.
void SetFormIcon(QWidget* window, const QString& iconName, bool setOnOwner);
}  // namespace mdlSetFormIcon32
