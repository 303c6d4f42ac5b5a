// Cells of an item row addressed by column key, and the texts the rows show.
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

class cAudioConverter;
class cGrid;

namespace ItemRow {
// Icon indexes of the grid image list.
constexpr long kUnmarked = 0;
constexpr long kMarked = 1;
constexpr long kAudioIcon = 3;
constexpr long kDataIcon = 4;
// Text format of the icon cells: one line, word ellipsis.
constexpr long kIconCellFormat = 0x40020;

// The seven tag columns, in the order the list file stores them.
extern const char* const kTagKeys[7];

QString Text(const cGrid& grid, long row, const QString& key);
void SetText(cGrid& grid, long row, const QString& key, const QString& text);
long Icon(const cGrid& grid, long row, const QString& key);
// Writes an icon cell: no text, the icon format and the icon.
void SetIcon(cGrid& grid, long row, const QString& key, long icon);

// The cells a file gives: "Time" (from its length in seconds), "Size",
// COL_FILE, "Created" and COL_BYTES_SIZE.
void SetFileCells(cGrid& grid, long row, const QString& path, long seconds);
// The seven tag cells, in the order of kTagKeys.
void SetTags(cGrid& grid, long row, const QStringList& tags);
// The default tag templates of the options, unexpanded.
QStringList DefaultTags();
// The tags the conversion control reads from the file.
QStringList SourceTags(cAudioConverter& converter, const QString& path);

// Milliseconds to whole seconds, an exact half going to the even second.
long RoundedSeconds(double milliseconds);
// "HH:MM:SS"; hours keep counting past 23.
QString TimeText(long seconds);
// The "Created" text of a file time.
QString CreatedText(const QDateTime& time);
// "HH:MM:SS - HH:MM:SS" of a range given as start and length in seconds.
QString RangeText(long start, long length);
// The number a text begins with ("12.5 s" gives 12.5), 0 when it begins with none.
double LeadingNumber(const QString& text);
// A number of seconds rounded to a whole one, an exact half going to the even
// second, and kept within the range of a 32-bit count.
long WholeSeconds(double seconds);
// The "Range" text of a range as a list file stores it: the start and length
// texts, read as numbers, whatever they hold.
QString StoredRangeText(const QString& start, const QString& length);
}  // namespace ItemRow
