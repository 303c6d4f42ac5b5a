// libburn and libisofs for the whole process: started once, quiet on the
// terminal, and one grabbed drive at a time per object.
#pragma once
#include <cstdint>
#include <libburn/libburn.h>

#include <QString>
#include <functional>

class BurnJob;

namespace BurnLib {
// Starts both libraries once; false when libburn cannot start.
bool Start();

// A drive held for one operation: grabbed on construction, released (and its
// scan record freed) on destruction. load closes an open tray: only a write
// asks for it, never a look at the disc.
class GrabbedDrive {
 public:
  GrabbedDrive(const QString& address, bool load);
  ~GrabbedDrive();
  GrabbedDrive(const GrabbedDrive&) = delete;
  GrabbedDrive& operator=(const GrabbedDrive&) = delete;
  burn::burn_drive* get() const { return drive_; }
  const burn::burn_drive_info* info() const { return info_; }

 private:
  burn::burn_drive_info* info_ = nullptr;
  burn::burn_drive* drive_ = nullptr;
};

// Scans the real drives and hands each one's record and address to see.
void ForEachDrive(const std::function<void(const burn::burn_drive_info&, const QString&)>& see);

// The newest message libburn queued, for an error text.
QString LastMessage();

// Looks at the drive every intervalMs until it is idle, cancelling its work
// once the job is aborted; look sees each state on the way. False when the
// work was cancelled.
bool FollowDrive(BurnJob& job, burn::burn_drive* d, int intervalMs,
                 const std::function<void(burn::burn_drive_status, const burn::burn_progress&)>& look);

// Puts the complete temporary file in place of the file (replacing it at once).
bool ReplaceWith(const QString& temp, const QString& path);
}  // namespace BurnLib
