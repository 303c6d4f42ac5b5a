// Replacing a file that holds user data (items lists, notes, history, the
// settings hive) so that it is never left cut off: the new content goes to a
// temporary file in the same folder and is renamed over the old file only when
// every byte of it was written.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SafeFile {
// Replaces the file's content with the bytes. False when the file cannot be
// written whole (read-only file or folder, full disk, short write): the old
// file then stays exactly as it was and no temporary file is left.
bool Write(const QString& path, const QByteArray& bytes);
// True for the name of a temporary file of a save. Such names start with a dot
// and hold no extension of the file being saved.
bool IsTemporaryName(const QString& name);
// Removes the temporary files that interrupted saves left in the folders; the
// file of a save still under way in another process is left alone.
void RemoveStale(const QStringList& folders);
}  // namespace SafeFile
