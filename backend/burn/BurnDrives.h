// The writers the burners offer, taken from the one CD drive table: real drives
// libburn can write on, and image drives (a ".cue" image takes audio CDs as
// BIN/CUE, any other image file a data disc through libburn's "stdio:" drive).
// Also the disc readout of a writer and its tray.
#pragma once
#include <QString>
#include <vector>

namespace BurnDrives {

enum class Kind { Real, AudioImage, DataImage };

struct Writer {
  QString letter;  // "E"
  QString model;   // "VENDOR PRODUCT" or what the image drive writes
  QString device;  // "/dev/sr0" or the image file
  Kind kind = Kind::Real;
  bool writesCd = false;   // CD-R or CD-RW
  bool writesDvd = false;  // DVD or BD
};

// Every writer of the table, in drive order; real drives are asked once per call.
std::vector<Writer> All();
// The writer with that letter among the given ones, or nullptr.
const Writer* Find(const std::vector<Writer>& writers, const QString& letter);

// What a writer holds, read when asked.
struct DiscInfo {
  bool ready = false;       // a disc is in and the writer answers
  bool blank = false;       // nothing written yet (an image drive always starts a new image)
  bool isCd = false;
  long long usedBytes = 0;
  long long freeBytes = 0;  // data bytes (2048 per sector)
  std::vector<long> speeds;  // KB/s
  QString state;             // "" when the disc can be written
};
DiscInfo ReadDisc(const Writer& w);

// The folder a file manager shows for the writer: the mount point of its
// disc, the image's folder for an image drive; "" when nothing is mounted.
QString Root(const Writer& w);

void OpenTray(const Writer& w);
void CloseTray(const Writer& w);

// An 80-minute CD-R in data bytes, the room of an image drive.
constexpr long long kCdBytes = 360000LL * 2048;

}  // namespace BurnDrives
