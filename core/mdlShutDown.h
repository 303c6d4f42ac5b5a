// Turning the computer off at the end of a job: the count-down window and the
// power-off request.
#pragma once
#include <QString>

namespace mdlShutDown {
constexpr long EWX_SHUTDOWN = 1;

// The last failure of ShutdownSystem: number, source and description.
struct ShutdownError {
  long Number = 0;
  QString Source;
  QString Description;
};

// Loads the turn-off window, starts its count-down and shows it modally;
// returns when the window has closed.
void ShowTurnOffDialog(long seconds);
// Asks the system to turn the computer off; true when the request was
// accepted. Flags outside 0 to 31 are refused. A failure is kept in LastError.
bool ShutdownSystem(long flags);
const ShutdownError& LastError();
}  // namespace mdlShutDown
