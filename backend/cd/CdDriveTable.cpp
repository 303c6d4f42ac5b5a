#include "backend/cd/CdDriveTable.h"

#include <cdio/cdio.h>

#include <QStringList>

namespace CdDriveTable {
namespace {
QStringList realDevices() {
  QStringList out;
  char** list = cdio_get_devices(DRIVER_DEVICE);
  if (!list) return out;
  for (char** d = list; *d; ++d) out << QString::fromLocal8Bit(*d);
  cdio_free_device_list(list);
  return out;
}

QStringList imageDevices() {
  QStringList out;
  const QString env = qEnvironmentVariable("TESSORY_CD_IMAGES");
  for (const QString& p : env.split(':', Qt::SkipEmptyParts)) out << p;
  return out;
}
}  // namespace

std::vector<Drive> Drives() {
  std::vector<Drive> out;
  auto add = [&](const QString& device, bool image) {
    // Letters run from D to Z; further devices get no name.
    if (out.size() >= 23) return;
    out.push_back({QString(QChar('D' + int(out.size()))) + ":", device, image});
  };
  for (const QString& d : realDevices()) add(d, false);
  for (const QString& d : imageDevices()) add(d, true);
  return out;
}

}  // namespace CdDriveTable
