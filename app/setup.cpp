// The install step, as the installer did: creates the product's settings keys
// and lays out the program folder. Running it again keeps every value.
#include <QGuiApplication>
#include <cstdio>

#include "core/mdlInstall.h"
#include "platform/Registry.h"
#include "platform/Services.h"

int main(int argc, char** argv) {
  // It draws only into images: no display needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QString error;
  if (!mdlInstall::Install(&error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  std::printf("Settings in %s, program folder %s\n", qPrintable(Hive::Folder()), qPrintable(ProgramFolder()));
  return 0;
}
