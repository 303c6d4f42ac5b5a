// File times for the "Created" cell of an item row.
#pragma once
#include <QDateTime>
#include <QString>

namespace mdlFileTime {
// 30 December 1899 00:00:00, the date of "no time known".
QDateTime ZeroDate();
// Reads the file's creation, last-access and last-write times (local time when
// toLocal is set, else UTC), to the second. The creation time is the file's
// birth time where the file system keeps one, else its last status change.
// True on failure (the outputs are then left as they were).
bool GetFileTimes(const QString& path, QDateTime& created, QDateTime& accessed, QDateTime& written,
                  bool toLocal);
// The creation time in local time, or ZeroDate().
QDateTime GetFileCreated(const QString& path);
}  // namespace mdlFileTime
