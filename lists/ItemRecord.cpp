#include "lists/ItemRecord.h"

namespace ItemRecordText {
const char* const kElements[14] = {"Inc",           "Type",          "Item Name",           "COL_FILE",
                                   "COL_RANGE_ALL", "COL_RANGE_START_TIME", "COL_RANGE_LENGTH_TIME",
                                   "COL_TAG_ALBUM", "COL_TAG_ARTIST", "COL_TAG_COMMENT", "COL_TAG_GEN",
                                   "COL_TAG_YEAR",  "COL_TAG_TITLE", "COL_TAG_TRACK"};

namespace {
struct Escape1 {
  QChar ch;
  const char* text;
};
const Escape1 kEscapes[] = {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'\r', "&#13;"}, {'\n', "&#10;"}};

// The escape that starts at position i of the text, or nullptr.
const Escape1* escapeAt(const QString& text, qsizetype i) {
  for (const Escape1& e : kEscapes)
    if (QStringView(text).mid(i).startsWith(QLatin1String(e.text))) return &e;
  return nullptr;
}
}  // namespace

QString Escape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    // A plain "&" stays as it is unless an escape text follows it.
    if (c == '&' && !escapeAt(value, i)) {
      out += c;
      continue;
    }
    bool escaped = false;
    for (const Escape1& e : kEscapes)
      if (e.ch == c) {
        out += QLatin1String(e.text);
        escaped = true;
        break;
      }
    if (!escaped) out += c;
  }
  return out;
}

QString Unescape(const QString& text) {
  if (!text.contains('&')) return text;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const Escape1* e = text[i] == '&' ? escapeAt(text, i) : nullptr;
    if (!e) {
      out += text[i];
      continue;
    }
    out += e->ch;
    i += qsizetype(qstrlen(e->text)) - 1;
  }
  return out;
}

QString GetTagValue(const QString& tag, const QString& text) {
  const QString open = "<" + tag + ">";
  const QString close = "</" + tag + ">";
  const qsizetype start = text.indexOf(open);
  const qsizetype end = text.indexOf(close);
  if (start < 0 || end < 0) return QString();
  const qsizetype from = start + open.size();
  if (end < from) return QString();
  return Unescape(text.mid(from, end - from));
}

QStringList SplitRecords(const QString& text) { return text.split("<ITEM>"); }
}  // namespace ItemRecordText

QString ItemRecord::ToText() const {
  const QString values[14] = {inc,     type,    name,    file,    rangeAll, rangeStart, rangeLength,
                              tags[0], tags[1], tags[2], tags[3], tags[4],  tags[5],    tags[6]};
  QString out = "<ITEM>";
  for (int i = 0; i < 14; ++i) {
    const QString tag = ItemRecordText::kElements[i];
    out += "<" + tag + ">" + ItemRecordText::Escape(values[i]) + "</" + tag + ">";
  }
  return out + "</ITEM>";
}

ItemRecord ItemRecord::FromText(const QString& piece) {
  using ItemRecordText::GetTagValue;
  using ItemRecordText::kElements;
  ItemRecord r;
  r.inc = GetTagValue(kElements[0], piece);
  r.type = GetTagValue(kElements[1], piece);
  r.name = GetTagValue(kElements[2], piece);
  r.file = GetTagValue(kElements[3], piece);
  r.rangeAll = GetTagValue(kElements[4], piece);
  r.rangeStart = GetTagValue(kElements[5], piece);
  r.rangeLength = GetTagValue(kElements[6], piece);
  for (int i = 0; i < 7; ++i) r.tags[i] = GetTagValue(kElements[7 + i], piece);
  return r;
}
