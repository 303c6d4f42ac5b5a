#include "backend/burn/BurnDrives.h"

#include <cdio/cdio.h>

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

#include "backend/burn/BurnLib.h"
#include "backend/cd/CdDriveTable.h"

namespace BurnDrives {
namespace {
// CD-R and CD-RW profiles; everything from DVD on is 0x10 or above.
bool IsCdProfile(int profile) { return profile == 0x09 || profile == 0x0a; }

QString Trimmed(const char* text) { return QString::fromLatin1(text).trimmed(); }

// The real drives libburn can write on, with their models and media.
struct Scanned {
  QString address;
  QString model;
  bool cd = false;
  bool dvd = false;
};

std::vector<Scanned> ScanReal() {
  std::vector<Scanned> out;
  BurnLib::ForEachDrive([&](const burn::burn_drive_info& d, const QString& address) {
    out.push_back({address, Trimmed(d.vendor) + " " + Trimmed(d.product), d.write_cdr || d.write_cdrw,
                   d.write_dvdr || d.write_dvdram});
  });
  return out;
}

// libburn's address for a device path of the table ("/dev/cdrom" may be a link).
QString LibburnAddress(const QString& device) {
  QByteArray path = device.toLocal8Bit();
  char adr[BURN_DRIVE_ADR_LEN] = {0};
  if (burn::burn_drive_convert_fs_adr(path.data(), adr) == 1) return QString::fromLocal8Bit(adr);
  return device;
}

QString ImageModel(const QString& path, Kind kind) {
  return (kind == Kind::AudioImage ? "BIN/CUE image (" : "Disc image (") + path + ")";
}

DiscInfo ReadImage(const Writer& w) {
  DiscInfo info;
  const QFileInfo image(w.device);
  const QFileInfo folder(image.absolutePath());
  info.ready = folder.isDir() && folder.isWritable();
  info.blank = true;
  info.isCd = true;
  info.freeBytes = kCdBytes;
  info.usedBytes = 0;
  if (!info.ready) info.state = "The image folder cannot be written: " + image.absolutePath();
  return info;
}

DiscInfo ReadReal(const Writer& w) {
  DiscInfo info;
  BurnLib::GrabbedDrive drive(w.device, false);
  burn::burn_drive* d = drive.get();
  if (!d) {
    info.state = "The writer cannot be opened.";
    return info;
  }
  const burn::burn_disc_status status = burn::burn_disc_get_status(d);
  info.ready = status != burn::BURN_DISC_EMPTY && status != burn::BURN_DISC_UNREADY &&
               status != burn::BURN_DISC_UNSUITABLE;
  info.blank = status == burn::BURN_DISC_BLANK;
  int profile = 0;
  char name[80] = {0};
  burn::burn_disc_get_profile(d, &profile, name);
  info.isCd = IsCdProfile(profile);
  info.freeBytes = info.ready ? burn::burn_disc_available_space(d, nullptr) : 0;
  int startLba = 0, nextLba = 0;
  if (status == burn::BURN_DISC_APPENDABLE || status == burn::BURN_DISC_FULL)
    if (burn::burn_disc_track_lba_nwa(d, nullptr, 0, &startLba, &nextLba) == 1 && nextLba > 0)
      info.usedBytes = 2048LL * nextLba;
  burn::burn_speed_descriptor* list = nullptr;
  if (burn::burn_drive_get_speedlist(d, &list) == 1) {
    for (burn::burn_speed_descriptor* s = list; s; s = s->next)
      if (s->write_speed > 0) info.speeds.push_back(s->write_speed);
    burn::burn_drive_free_speedlist(&list);
    // Several reports may name the same speed.
    std::sort(info.speeds.begin(), info.speeds.end());
    info.speeds.erase(std::unique(info.speeds.begin(), info.speeds.end()), info.speeds.end());
  }
  if (status == burn::BURN_DISC_EMPTY) info.state = "No disc";
  else if (!info.ready) info.state = "The disc cannot be used";
  else if (!info.blank && status != burn::BURN_DISC_APPENDABLE) info.state = "Disc is not blank";
  return info;
}
}  // namespace

std::vector<Writer> All() {
  std::vector<Writer> out;
  std::vector<Scanned> scanned;
  bool scannedOnce = false;
  for (const CdDriveTable::Drive& d : CdDriveTable::Drives()) {
    const QString letter = d.name.left(1);
    if (d.image) {
      const Kind kind = d.device.endsWith(".cue", Qt::CaseInsensitive) ? Kind::AudioImage : Kind::DataImage;
      out.push_back({letter, ImageModel(d.device, kind), d.device, kind, true, kind == Kind::DataImage});
      continue;
    }
    // Scanning opens every drive, so it happens only when the table has real ones.
    if (!scannedOnce) {
      scanned = ScanReal();
      scannedOnce = true;
    }
    const QString address = LibburnAddress(d.device);
    for (const Scanned& s : scanned)
      if (s.address == address && (s.cd || s.dvd)) out.push_back({letter, s.model, s.address, Kind::Real, s.cd, s.dvd});
  }
  return out;
}

const Writer* Find(const std::vector<Writer>& writers, const QString& letter) {
  const QString l = letter.left(1).toUpper();
  if (l.isEmpty()) return nullptr;
  for (const Writer& w : writers)
    if (w.letter == l) return &w;
  return nullptr;
}

DiscInfo ReadDisc(const Writer& w) { return w.kind == Kind::Real ? ReadReal(w) : ReadImage(w); }

QString Root(const Writer& w) {
  if (w.kind != Kind::Real) return QFileInfo(w.device).absolutePath();
  const QString device = QFileInfo(w.device).canonicalFilePath();
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (QFileInfo(QString::fromLocal8Bit(volume.device())).canonicalFilePath() == device) return volume.rootPath();
  return {};
}

void OpenTray(const Writer& w) {
  if (w.kind != Kind::Real) return;
  cdio_eject_media_drive(w.device.toLocal8Bit().constData());
}

void CloseTray(const Writer& w) {
  if (w.kind != Kind::Real) return;
  cdio_close_tray(w.device.toLocal8Bit().constData(), nullptr);
}

}  // namespace BurnDrives
