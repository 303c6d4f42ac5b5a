// Writes files as a data disc: an ISO 9660 tree (with Joliet names when asked)
// built by libisofs from the files, all in the root, streamed by libburn to a
// real writer or to an image file through a "stdio:" drive. With UDF asked,
// genisoimage makes the image instead (UDF 1.02 beside ISO 9660, and Joliet
// when asked) in the burn cache, and libburn writes that. An image drive's
// image is written under a temporary name beside it and replaces the old one
// only when complete. Runs on the job's thread; every event goes through the job.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "backend/burn/BurnDrives.h"
#include "backend/burn/BurnJob.h"

struct DataBurnRequest {
  QStringList files;
  QString volumeLabel;
  QString applicationId;
  QString publisherId;
  bool joliet = true;
  BurnDrives::Writer writer;
  long speed = 0;  // KB/s, 0 the highest
  bool cdOnly = false;
  bool discAtOnce = false;
  bool udf = false;
};

struct DataBurnEvents {
  std::function<void()> initializing;
  std::function<void(const QString& path)> addingFile;
  std::function<void(long files)> counted;
  std::function<void()> started;
  std::function<void(int percent)> progress;
  std::function<void()> closing;
  std::function<void()> done;
  std::function<void(long code, const QString& text)> error;
};

namespace DataDiscWriter {
// The volume label as each standard can hold it: at most 32 bytes of UTF-8
// for ISO 9660 and UDF, never half a character (libisofs keeps the first 16
// characters for Joliet).
QString ClampedLabel(const QString& label);
// True when the path is a regular file that can be read.
bool Readable(const QString& path);
void Run(BurnJob& job, const DataBurnRequest& request, const DataBurnEvents& events);
}  // namespace DataDiscWriter
