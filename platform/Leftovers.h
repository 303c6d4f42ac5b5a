// What killed runs leave where they wrote (hidden temporaries, run folders)
// is found by the next start wherever it is: each folder is noted in a small
// file of the program folder before the first temporary is made in it, and
// the start sweeps the noted folders, forgetting those it finds empty of ours.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace Leftovers {
// Notes the folder; true the first time it is asked for while the program runs.
bool Note(const QString& folder);
// Sweeps the folders and the noted ones on a thread of its own and returns at
// once: a folder on a mount that hangs never holds the program up. The
// thread is never waited for, nor at the end of the program.
void SweepInBackground(const QStringList& folders);
// True while a sweep started by SweepInBackground goes on.
bool Sweeping();
// Tests: run on the sweeping thread before each folder is swept.
void SetSweepHook(std::function<void(const QString& folder)> hook);
}  // namespace Leftovers
