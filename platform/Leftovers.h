// What killed runs leave where they wrote is found by the next start wherever
// it is: each folder is noted in a small file of the program folder before
// the first hidden temporary is made in it, and the start sweeps the noted
// folders, forgetting those it read and found empty of ours (a folder it
// cannot open, on a disk unplugged, stays noted). Run folders are only made
// in the program's own shared folders (see RunFolder), and only looked for
// there.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace Leftovers {
// Notes the folder; true the first time it is asked for while the program runs.
bool Note(const QString& folder);
// Sweeps the folders and the noted ones, and the shared folders of run
// folders, on a thread of its own that also reads the note, and returns at
// once: neither a long note nor a folder on a mount that hangs holds the
// program up. The thread is never waited for, nor at the end of the program.
void SweepInBackground(const QStringList& folders);
// True while a sweep started by SweepInBackground goes on.
bool Sweeping();
// Tests: run on the sweeping thread before each folder is swept.
void SetSweepHook(std::function<void(const QString& folder)> hook);
}  // namespace Leftovers
