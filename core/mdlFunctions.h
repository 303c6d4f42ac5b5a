// Path and name procedures, small text files, log lines, the destination
// history and duration texts, shared by every window. Paths use "/". None of
// them shows a message box; failures show only in their results.
#pragma once
#include <QString>

class QComboBox;
class QPlainTextEdit;
class QWidget;

namespace mdlFunctions {
// --- paths and names -------------------------------------------------------
// The last "/"-separated piece ("" for an empty path or one ending with "/").
// Path helpers never let window events through: a caller that loops over many
// files and wants its Cancel served pumps events itself.
QString GetFileNameFromPath(const QString& path);
// Every piece but the last, each followed by "/": the path up to its last "/".
QString GetFolderPath(const QString& path);
// The path without its last piece.
QString GetFolderOfFile(const QString& path);
// A folder's text as the start of a path: followed by "/" when it does not
// end with one already ("" stays "").
QString FolderWithSlash(const QString& folder);
bool IsFolder(const QString& path);
// Opens a document, folder or web address with its associated program.
void ShellOpen(QWidget* owner, const QString& path);
// Creates every missing level of the folder path; 0 on success, else the
// number of the error that stopped it (the levels made before it stay).
long CreateFolderPath(const QString& folderPath);
// Replaces every character a file name should not hold by "-", so the result
// is one safe piece of a path: no "/", no "..", no control characters, never
// empty.
QString MakeSafeFileName(const QString& text);
// File names are cut to this many bytes (UTF-8): with the hidden temporary
// name a job writes first (about 25 bytes more) they stay within the 255
// bytes a Linux file system allows.
constexpr int kMaxFileNameBytes = 200;
// The name cut to kMaxFileNameBytes, its extension (up to 12 characters after
// the last dot) kept, never in the middle of a character.
QString CapFileNameLength(const QString& name);
// The name with " (number)" before its extension, within kMaxFileNameBytes:
// "Song.wav" gives "Song (2).wav".
QString NumberedFileName(const QString& name, int number);
// A number rounded to the nearest whole number, halves to the even one, as the
// old conversions to whole numbers did (2.5 gives 2, 3.5 gives 4).
long RoundHalfEven(double v);
// At most 12 characters after the last dot of the whole text; "" without one.
QString GetFileExt(const QString& name);
// Everything after the last dot; "" without one.
QString GetExtension(const QString& name);
// The text before the last dot; a name without a dot (a leading dot of a
// hidden name does not count) is returned whole, so "README" stays "README".
QString RemoveFileExt(const QString& name);
// Key filter of a name box: refuses (sets KeyAscii to 0) the nine characters a
// name may not hold and shows a warning balloon on the box.
void CheckIllegalNameChar(QWidget* textBox, int& KeyAscii);
// False when the name holds one of / \ : ? * < > " |.
bool IsLegalName(const QString& name);

// --- text files, log lines, destination history -----------------------------
// Appends the time of day, ":", the message and a line break to a log box.
void AddLogLine(const QString& message, QPlainTextEdit* logBox);
// Replaces the file's content with the text and a closing CR LF (UTF-8),
// through a temporary file renamed over the old one. False when the file could
// not be written whole; the old file then stays as it was.
bool WriteTextFile(const QString& text, const QString& path);
// The file's lines joined by CR LF ("" for a missing file); lines may end with
// CR LF, CR or LF.
QString ReadTextFile(const QString& path);
// Empties the box and adds every non-empty line of the file; selects nothing.
void LoadListFromFile(const QString& path, QComboBox* box);
// The destination history "PathHistory" in the program folder.
QString PathHistoryFile();
// The file-name templates "FileNameFormats.txt" in the program folder (read only).
QString FileNameFormatsFile();
// Puts the box's text first in the history (no line twice, 16 lines at most).
void SavePathHistory(QComboBox* box);
// Refills the box with the history and selects the newest folder; the box's
// selection signal comes once, after every line is in.
void LoadPathHistory(QComboBox* box);

// --- durations ---------------------------------------------------------------
// Hours (no leading zeros), ":", minutes and seconds of two digits.
QString SecondsToTimeText(long seconds);
// A time text back to seconds: a time of day in the system's form (with or
// without seconds or AM/PM) or hours:minutes:seconds of any size; 0 otherwise.
long TimeTextToSeconds(const QString& text);
}  // namespace mdlFunctions
