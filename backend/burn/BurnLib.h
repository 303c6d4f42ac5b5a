// libburn and libisofs for the whole process: started once, quiet on the
// terminal, and one grabbed drive at a time per object.
#pragma once
#include <cstdint>
#include <libburn/libburn.h>

#include <QString>

namespace BurnLib {
// Starts both libraries once; false when libburn cannot start.
bool Start();

// A drive held for one operation: grabbed on construction, released (and its
// scan record freed) on destruction.
class GrabbedDrive {
 public:
  explicit GrabbedDrive(const QString& address);
  ~GrabbedDrive();
  GrabbedDrive(const GrabbedDrive&) = delete;
  GrabbedDrive& operator=(const GrabbedDrive&) = delete;
  burn::burn_drive* get() const { return drive_; }
  const burn::burn_drive_info* info() const { return info_; }

 private:
  burn::burn_drive_info* info_ = nullptr;
  burn::burn_drive* drive_ = nullptr;
};

// The newest message libburn queued, for an error text.
QString LastMessage();
}  // namespace BurnLib
