// Whether two paths name one file: the same path spelt another way, a symbolic
// link or a hard link to it.
#pragma once
#include <QString>

// True when both paths exist and are the same file on the same device.
bool IsSameFile(const QString& a, const QString& b);
