// One record of an items-list file (".flst"): "<ITEM>", fourteen elements
// "<Name>value</Name>" in a fixed order, "</ITEM>"; the records of a list stand
// one after the other on one line. Values that would break the markup ("<",
// ">", line breaks, and "&" where it starts an escape) are written as
// "&lt;", "&gt;", "&#13;", "&#10;" and "&amp;", so every other value is stored
// byte for byte as it is.
#pragma once
#include <QString>
#include <QStringList>

struct ItemRecord {
  QString inc = "1";
  QString type = "Audio";
  QString name;
  QString file;
  QString rangeAll = "1";
  QString rangeStart;
  QString rangeLength;
  QString tags[7];  // album, artist, comment, genre, year, title, track

  QString ToText() const;
  // The record of one piece of a file split at "<ITEM>".
  static ItemRecord FromText(const QString& piece);
};

namespace ItemRecordText {
// The element names in file order.
extern const char* const kElements[14];
QString Escape(const QString& value);
QString Unescape(const QString& text);
// The value of one element of a record, unescaped; "" when the element or its
// closing text is missing.
QString GetTagValue(const QString& tag, const QString& text);
// The pieces of a list file's text split at "<ITEM>", the text before the
// first marker included.
QStringList SplitRecords(const QString& text);
}  // namespace ItemRecordText
