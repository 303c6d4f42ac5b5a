#include "core/mdlShutDown.h"

#include <QFileInfo>

#include "core/g_frmTurnOff.h"
#include "platform/Form.h"
#include "platform/Services.h"

namespace {
constexpr long kErrShutdownFailed = qint32(0x8004062Bu);
constexpr long kErrInvalidParameter = qint32(0x8004062Fu);

mdlShutDown::ShutdownError& lastError() {
  static mdlShutDown::ShutdownError e;
  return e;
}

void report(long number, const QString& description) {
  lastError() = {number, QFileInfo(ProgramFile()).completeBaseName() + ".mShutDown", description};
}
}  // namespace

namespace mdlShutDown {

void ShowTurnOffDialog(long seconds) {
  g_frmTurnOff& f = form<g_frmTurnOff>();
  f.StartShutDown(seconds);
  f.ShowModal();
}

bool ShutdownSystem(long flags) {
  lastError() = ShutdownError();
  if (flags < 0 || flags > 31) {
    report(kErrInvalidParameter, "Invalid parameter to ShutdownSystem: " + QString::number(flags));
    return false;
  }
  const QString refusal = RequestPowerOff();
  if (refusal.isEmpty()) return true;
  report(kErrShutdownFailed, "ShutdownSystem failed: " + refusal);
  return false;
}

const ShutdownError& LastError() { return lastError(); }

}  // namespace mdlShutDown
