// The process entry and start-up sequence.
#pragma once
#include <QString>

namespace mdlMain {
// Creates the application object and runs the program; returns the exit code.
int Main(int argc, char** argv);
// Runs start-up and the program's event loop once the application object
// exists; non-zero when the program could not start.
int Run();
// The start-up sequence itself, once the application object exists. False when
// the settings key is missing and no window was loaded.
bool StartUp();
void SetSplashStatus(const QString& text);
// Nothing to switch off here: a crash report is the system's own business.
void SuppressFaultDialog();
}  // namespace mdlMain
