// The one table of CD drive names: every drive libcdio reports gets a drive
// name "D:", "E:", ... in device order, followed by the image drives (BIN/CUE
// files listed in TESSORY_CD_IMAGES, separated by ":"). The ripper, the
// burners and the main window all take their names from here.
#pragma once
#include <cdio/cdio.h>

#include <QString>
#include <vector>

namespace CdDriveTable {
struct Drive {
  QString name;    // "D:"
  QString device;  // "/dev/sr0" or the image's .cue path
  bool image = false;
};
std::vector<Drive> Drives();
// Opens the drive (an image through libcdio's BIN/CUE reader); null when it
// cannot be opened, with the reason in why (for an image, libcdio's own when
// it refuses the sheet). An image's CUE sheet is read first as libcdio will
// read it (the one beside a ".bin" path included), and one it would misread is
// refused: on one it writes outside its track table. A sheet with what libcdio
// refuses but no track depends on (a byte-order mark, remarks, postgaps) is
// handed to it without those, from a private copy removed once it is open.
CdIo_t* Open(const Drive& drive, QString* why);
// The BIN file an image drive's sectors are read from.
QString ImageData(const Drive& drive);
// The first sector after the track: the next track's start or the lead-out.
// Before a data track the audio ends ahead of that track's pregap (2 seconds
// where the table does not say), and on a disc with a second session ahead of
// the gap between the sessions (lead-out, lead-in and pregap);
// CDIO_INVALID_LSN when the table has no end.
lsn_t TrackEnd(CdIo_t* cdio, track_t track);
}  // namespace CdDriveTable
