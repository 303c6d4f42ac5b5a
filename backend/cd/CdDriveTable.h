// The one table of CD drive names: every drive libcdio reports gets a drive
// name "D:", "E:", ... in device order, followed by the image drives (BIN/CUE
// files listed in TESSORY_CD_IMAGES, separated by ":"). The ripper, the
// burners and the main window all take their names from here.
#pragma once
#include <QString>
#include <vector>

namespace CdDriveTable {
struct Drive {
  QString name;    // "D:"
  QString device;  // "/dev/sr0" or the image's .cue path
  bool image = false;
};
std::vector<Drive> Drives();
}  // namespace CdDriveTable
