#include "mainwindow/NotesText.h"

#include <QTextDocument>
#include <algorithm>
#include <iterator>

namespace {
constexpr char16_t kReplacement = 0xFFFD;
constexpr size_t kRemovalsKept = 100;

// The length of the file without its final line break.
qsizetype contentEnd(const QByteArray& b) {
  if (b.endsWith("\r\n")) return b.size() - 2;
  if (b.endsWith('\r') || b.endsWith('\n')) return b.size() - 1;
  return b.size();
}

// The code point of the UTF-8 sequence at i and its length; length 0 when the
// byte there starts no valid sequence.
std::pair<char32_t, int> decodeAt(const QByteArray& b, qsizetype i, qsizetype end) {
  const auto at = [&](qsizetype k) { return k < end ? uchar(b[k]) : 0u; };
  const uint c = at(i);
  auto cont = [&](qsizetype k, uint lo = 0x80, uint hi = 0xBF) { return at(k) >= lo && at(k) <= hi; };
  if (c < 0x80) return {c, 1};
  if (c >= 0xC2 && c <= 0xDF && cont(i + 1)) return {((c & 0x1F) << 6) | (at(i + 1) & 0x3F), 2};
  if (c >= 0xE0 && c <= 0xEF) {
    const uint lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    if (cont(i + 1, lo, hi) && cont(i + 2))
      return {((c & 0x0F) << 12) | ((at(i + 1) & 0x3F) << 6) | (at(i + 2) & 0x3F), 3};
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const uint lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    if (cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3))
      return {((c & 0x07) << 18) | ((at(i + 1) & 0x3F) << 12) | ((at(i + 2) & 0x3F) << 6) | (at(i + 3) & 0x3F), 4};
  }
  return {kReplacement, 0};
}

// Characters the box turns into a block break of its own.
bool breaksABlock(char32_t c) { return c == 0x2029 || c == 0xFDD0 || c == 0xFDD1; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// The bytes of the line end at i.
int lineEndLength(const QByteArray& b, qsizetype i, qsizetype end) {
  return b[i] == '\r' && i + 1 < end && b[i + 1] == '\n' ? 2 : 1;
}
}  // namespace

NotesText::NotesText(QByteArray file) : file_(std::move(file)), contentEnd_(contentEnd(file_)) { read(); }

void NotesText::breakHere(qsizetype nextByte, bool piece) {
  if (piece) pieceBreaks_.push_back(shown_.size());
  shown_ += u'\n';
  anchors_.push_back({shown_.size(), nextByte});
}

// Builds the shown text: plain ASCII is taken in runs, the rest character by
// character; a piece ends after kPiece characters of one line.
void NotesText::read() {
  shown_.reserve(contentEnd_ + contentEnd_ / kPiece);
  anchors_.push_back({0, 0});
  const char* b = file_.constData();
  qsizetype run = 0;
  for (qsizetype i = 0; i < contentEnd_;) {
    if (isLineEnd(b[i])) {
      i += lineEndLength(file_, i, contentEnd_);
      breakHere(i, false);
      run = 0;
      continue;
    }
    const auto [code, length] = decodeAt(file_, i, contentEnd_);
    if (length > 0 && breaksABlock(code)) {
      i += length;
      breakHere(i, false);
      run = 0;
      continue;
    }
    if (run >= kPiece) {
      breakHere(i, true);
      run = 0;
    }
    if (uchar(b[i]) < 0x80) {
      qsizetype j = i;
      while (j < contentEnd_ && uchar(b[j]) < 0x80 && !isLineEnd(b[j]) && run + (j - i) < kPiece) ++j;
      shown_.append(QLatin1StringView(b + i, j - i));
      run += j - i;
      i = j;
      continue;
    }
    if (code > 0xFFFF) {
      shown_ += QChar(QChar::highSurrogate(code));
      shown_ += QChar(QChar::lowSurrogate(code));
      run += 2;
    } else {
      shown_ += QChar(char16_t(code));
      ++run;
    }
    i += std::max(length, 1);
  }
}

// The first byte of a shown character; a piece break has no bytes and gets
// the first byte of the character after it. The end of the shown text gives
// the end of the shown bytes.
qsizetype NotesText::firstByte(qsizetype index) const {
  if (index >= shown_.size()) return contentEnd_;
  const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), index,
                                      [](qsizetype i, const Anchor& a) { return i < a.index; });
  const Anchor& from = *(after - 1);
  qsizetype k = from.index, byte = from.byte;
  while (k < index) {
    const auto [code, length] = decodeAt(file_, byte, contentEnd_);
    k += code > 0xFFFF ? 2 : 1;
    byte += std::max(length, 1);
  }
  return byte;
}

QString NotesText::TextOf(const QTextDocument& box) {
  QString text = box.toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  return text;
}

void NotesText::Changed(const QTextDocument& box, int position, int removed, int added) {
  // The undo of the last removal of piece breaks puts them back.
  std::vector<qsizetype> restored;
  if (!removals_.empty()) {
    const Removal& last = removals_.back();
    if (last.position == position && last.removed == added && last.added == removed) {
      for (qsizetype offset : last.offsets)
        if (box.characterAt(int(position + offset)) == QChar::ParagraphSeparator) restored.push_back(position + offset);
      removals_.pop_back();
    }
  }
  const auto first = std::lower_bound(pieceBreaks_.begin(), pieceBreaks_.end(), qsizetype(position));
  const auto last = std::lower_bound(first, pieceBreaks_.end(), qsizetype(position) + removed);
  Removal gone{position, removed, added, {}};
  for (auto it = first; it != last; ++it) gone.offsets.push_back(*it - position);
  auto after = pieceBreaks_.erase(first, last);
  for (auto it = after; it != pieceBreaks_.end(); ++it) *it += added - removed;
  pieceBreaks_.insert(after, restored.begin(), restored.end());
  if (gone.offsets.empty()) return;
  removals_.push_back(std::move(gone));
  if (removals_.size() > kRemovalsKept) removals_.erase(removals_.begin());
}

std::optional<QByteArray> NotesText::Written(const QString& now) const {
  if (now == shown_) return std::nullopt;
  const qsizetype shownSize = shown_.size(), nowSize = now.size(), most = std::min(shownSize, nowSize);
  const QChar *was = shown_.constData(), *is = now.constData();
  qsizetype prefix = std::mismatch(was, was + most, is).first - was;
  using Back = std::reverse_iterator<const QChar*>;
  qsizetype suffix = std::mismatch(Back(was + shownSize), Back(was + shownSize - (most - prefix)), Back(is + nowSize)).first -
                     Back(was + shownSize);
  // Never cut a surrogate pair.
  while (prefix > 0 && shown_[prefix - 1].isHighSurrogate()) --prefix;
  while (suffix > 0 && shown_[shownSize - suffix].isLowSurrogate()) --suffix;

  // The changed stretch, its line breaks as CR LF and its piece breaks left out.
  QString changed;
  auto piece = std::lower_bound(pieceBreaks_.begin(), pieceBreaks_.end(), prefix);
  for (qsizetype k = prefix, stop = nowSize - suffix; k < stop;) {
    qsizetype lineEnd = now.indexOf(u'\n', k);
    if (lineEnd < 0 || lineEnd > stop) lineEnd = stop;
    changed += QStringView(now).mid(k, lineEnd - k);
    if (lineEnd == stop) break;
    while (piece != pieceBreaks_.end() && *piece < lineEnd) ++piece;
    if (piece == pieceBreaks_.end() || *piece != lineEnd) changed += QStringLiteral("\r\n");
    k = lineEnd + 1;
  }
  const QByteArray middle = changed.toUtf8();
  const QByteArray tail = contentEnd_ < file_.size() ? file_.mid(contentEnd_) : QByteArrayLiteral("\r\n");

  const qsizetype keptFrom = firstByte(prefix), keptTo = firstByte(shownSize - suffix);
  const qsizetype kept = contentEnd_ - keptTo;
  QByteArray out;
  out.reserve(keptFrom + 1 + middle.size() + kept + tail.size());
  out.append(file_.constData(), keptFrom);
  // A lone CR kept before a lone LF would read back as one CR LF.
  const char next = !middle.isEmpty() ? middle[0] : kept > 0 ? file_[keptTo] : tail[0];
  if (out.endsWith('\r') && next == '\n') out.append('\n');
  out.append(middle);
  out.append(file_.constData() + keptTo, kept);
  out.append(tail);
  return out;
}
