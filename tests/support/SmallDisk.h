// A small disk of its own (a tmpfs mounted on a folder) for the lifetime of
// the object: every file on it shares its room, as on a nearly full disk.
// Mounting needs the right to; Mounted() is false where it is missing.
#pragma once
#include <sys/mount.h>

#include <QByteArray>
#include <QFile>
#include <QString>

class SmallDisk {
 public:
  SmallDisk(const QString& folder, long bytes) : path_(QFile::encodeName(folder)) {
    const QByteArray options = "size=" + QByteArray::number(qlonglong(bytes));
    mounted_ = mount("tmpfs", path_.constData(), "tmpfs", 0, options.constData()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(path_.constData(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  QByteArray path_;
  bool mounted_ = false;
};
