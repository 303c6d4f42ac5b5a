#include "lists/ItemRow.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "core/mdlFileSystem.h"
#include "core/mdlFileTime.h"
#include "platform/audio/cAudioConverter.h"
#include "platform/cGrid.h"
#include "settings/OptionValues.h"

namespace ItemRow {
const char* const kTagKeys[7] = {"COL_TAG_ALBUM", "COL_TAG_ARTIST", "COL_TAG_COMMENT", "COL_TAG_GEN",
                                 "COL_TAG_YEAR",  "COL_TAG_TITLE",  "COL_TAG_TRACK"};

QString Text(const cGrid& grid, long row, const QString& key) { return grid.CellText(row, grid.ColumnIndex(key)); }

void SetText(cGrid& grid, long row, const QString& key, const QString& text) {
  grid.SetCell(row, grid.ColumnIndex(key), text);
}

long Icon(const cGrid& grid, long row, const QString& key) { return grid.CellIcon(row, grid.ColumnIndex(key)); }

void SetIcon(cGrid& grid, long row, const QString& key, long icon) {
  grid.SetCell(row, grid.ColumnIndex(key), QString(), kIconCellFormat, icon);
}

void SetFileCells(cGrid& grid, long row, const QString& path, long seconds) {
  const qint64 bytes = QFileInfo(path).size();
  SetText(grid, row, "Time", TimeText(seconds));
  SetText(grid, row, "Size", mdlFileSystem::FormatFileSize(double(bytes)));
  SetText(grid, row, "COL_FILE", path);
  SetText(grid, row, "Created", CreatedText(mdlFileTime::GetFileCreated(path)));
  SetText(grid, row, "COL_BYTES_SIZE", QString::number(bytes));
}

void SetTags(cGrid& grid, long row, const QStringList& tags) {
  for (int i = 0; i < 7; ++i) SetText(grid, row, kTagKeys[i], tags.value(i));
}

QStringList DefaultTags() {
  return {g_sTagAlbum, g_sTagArtist, g_sTagComment, g_sTagGenre, g_sTagYear, g_sTagSong, g_sTagTrack};
}

QStringList SourceTags(cAudioConverter& converter, const QString& path) {
  converter.ReadSourceTags(path);
  return {converter.TagAlbum(), converter.TagArtist(), converter.TagComment(), converter.TagGenre(),
          converter.TagYear(),  converter.TagTitle(),  converter.TagTrack()};
}

long RoundedSeconds(double milliseconds) { return long(std::nearbyint(milliseconds / 1000.0)); }

QString TimeText(long seconds) {
  if (seconds < 0) seconds = 0;
  return QString("%1:%2:%3")
      .arg(seconds / 3600, 2, 10, QChar('0'))
      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
      .arg(seconds % 60, 2, 10, QChar('0'));
}

QString CreatedText(const QDateTime& time) { return time.toString("yyyy-MM-dd HH:mm:ss"); }

QString RangeText(long start, long length) { return TimeText(start) + " - " + TimeText(start + length); }

double LeadingNumber(const QString& text) {
  static const QRegularExpression number(R"(^\s*[+-]?(\d+(\.\d*)?|\.\d+))");
  const QRegularExpressionMatch m = number.match(text);
  return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

long WholeSeconds(double seconds) {
  constexpr double kMax = 2147483647.0;
  return long(std::nearbyint(std::clamp(seconds, -kMax - 1, kMax)));
}

QString StoredRangeText(const QString& start, const QString& length) {
  const double from = LeadingNumber(start);
  const long first = WholeSeconds(from);
  return RangeText(first, WholeSeconds(from + LeadingNumber(length)) - first);
}
}  // namespace ItemRow
