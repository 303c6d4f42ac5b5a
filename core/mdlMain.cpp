#include "core/mdlMain.h"

#include <QApplication>

int mdlMain::Main(int argc, char** argv) {
  QApplication app(argc, argv);
  return 0;
}
bool mdlMain::StartUp() { return false; }
void mdlMain::SetSplashStatus(const QString&) {}
void mdlMain::SuppressFaultDialog() {}
