// Whether two paths name one file: the same path spelt another way, a symbolic
// link or a hard link to it.
#pragma once
#include <QString>

// True when both paths exist and are the same file on the same device.
bool IsSameFile(const QString& a, const QString& b);

// Equal for two paths that name one file, or will once it is created: an
// existing file by device and inode, another by the path its links lead to.
QString FileKey(const QString& path);

