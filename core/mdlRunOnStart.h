// Starting the program at logon: an autostart entry (a .desktop file in the
// user's autostart folder) that runs the program with " -st".
#pragma once
#include <QString>

namespace mdlRunOnStart {
// Writes (true) or removes (false) the entry. Writing: -1 on success, else 0;
// removing: 0 removed, 2 not there.
long SetRunOnStartup(bool on);
// True when the entry exists and starts exactly this program with " -st".
bool IsRunOnStartup();
// The command the entry holds: the quoted program path and " -st".
QString RunCommand();
// The entry's path.
QString EntryPath();
}  // namespace mdlRunOnStart
