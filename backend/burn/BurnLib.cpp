#include "backend/burn/BurnLib.h"

#include <libisofs/libisofs.h>

#include <QFile>
#include <QThread>
#include <cstdio>
#include <mutex>

#include "backend/burn/BurnJob.h"

namespace BurnLib {
namespace {
// Grabbing and releasing drives is not safe from two threads at once.
std::mutex grabLock;
}  // namespace

bool Start() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    started = burn::burn_initialize() == 1;
    if (!started) return;
    // Messages go to our own error texts, never to the terminal.
    burn::burn_msgs_set_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"), const_cast<char*>(""));
    // Names reach us in UTF-8 whatever the locale says.
    if (iso_init() >= 0) {
      iso_set_msgs_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"), const_cast<char*>(""));
      iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
    }
  });
  return started;
}

GrabbedDrive::GrabbedDrive(const QString& address, bool load) {
  if (!Start()) return;
  QByteArray adr = address.toLocal8Bit();
  std::lock_guard<std::mutex> hold(grabLock);
  if (burn::burn_drive_scan_and_grab(&info_, adr.data(), load ? 1 : 0) == 1 && info_) drive_ = info_[0].drive;
}

GrabbedDrive::~GrabbedDrive() {
  std::lock_guard<std::mutex> hold(grabLock);
  if (drive_) burn::burn_drive_release(drive_, 0);
  if (info_) burn::burn_drive_info_free(info_);
}

void ForEachDrive(const std::function<void(const burn::burn_drive_info&, const QString&)>& see) {
  if (!Start()) return;
  // A scan must not run while another thread grabs or releases a drive.
  std::lock_guard<std::mutex> hold(grabLock);
  burn::burn_drive_info* infos = nullptr;
  unsigned int count = 0;
  if (burn::burn_drive_scan(&infos, &count) != 1) return;
  for (unsigned int i = 0; i < count; ++i) {
    char adr[BURN_DRIVE_ADR_LEN] = {0};
    if (burn::burn_drive_get_adr(&infos[i], adr) == 1) see(infos[i], QString::fromLocal8Bit(adr));
  }
  burn::burn_drive_info_free(infos);
}

QString LastMessage() {
  int code = 0, os_errno = 0;
  char text[BURN_MSGS_MESSAGE_LEN] = {0}, severity[80] = {0};
  QString last;
  // Read the queue to its end: the newest message says what went wrong last.
  while (burn::burn_msgs_obtain(const_cast<char*>("SORRY"), &code, text, &os_errno, severity) == 1)
    last = QString::fromLocal8Bit(text);
  return last;
}

bool FollowDrive(BurnJob& job, burn::burn_drive* d, int intervalMs,
                 const std::function<void(burn::burn_drive_status, const burn::burn_progress&)>& look) {
  bool cancelled = false;
  burn::burn_progress p{};
  for (;;) {
    const burn::burn_drive_status status = burn::burn_drive_get_status(d, &p);
    if (status == burn::BURN_DRIVE_IDLE) return !cancelled;
    if (job.Aborting() && !cancelled) {
      burn::burn_drive_cancel(d);
      cancelled = true;
    }
    look(status, p);
    QThread::msleep(intervalMs);
  }
}

bool ReplaceWith(const QString& temp, const QString& path) {
  return std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) == 0;
}
}  // namespace BurnLib
