#include "mainwindow/NotesText.h"

#include <QTextDocument>
#include <algorithm>

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

// Walks the file's shown part and calls out(character, first byte, piece) for
// every character of the shown text. A piece break has no bytes of its own: it
// is given the first byte of the character after it.
template <class Out>
void walk(const QByteArray& b, qsizetype end, Out&& out) {
  qsizetype run = 0;
  for (qsizetype i = 0; i < end;) {
    if (b[i] == '\r' || b[i] == '\n') {
      out(QChar(u'\n'), i, false);
      i += b[i] == '\r' && i + 1 < end && b[i + 1] == '\n' ? 2 : 1;
      run = 0;
      continue;
    }
    const auto [code, length] = decodeAt(b, i, end);
    const bool isBreak = length > 0 && breaksABlock(code);
    if (!isBreak && run >= NotesText::kPiece) {
      out(QChar(u'\n'), i, true);
      run = 0;
    }
    if (isBreak) {
      out(QChar(u'\n'), i, false);
      run = 0;
    } else if (code > 0xFFFF) {
      out(QChar(QChar::highSurrogate(code)), i, false);
      out(QChar(QChar::lowSurrogate(code)), i, false);
      run += 2;
    } else {
      out(QChar(char16_t(code)), i, false);
      ++run;
    }
    i += std::max(length, 1);
  }
}
}  // namespace

NotesText::NotesText(QByteArray file) : file_(std::move(file)), contentEnd_(contentEnd(file_)) {
  shown_.reserve(contentEnd_ + contentEnd_ / kPiece);
  walk(file_, contentEnd_, [&](QChar c, qsizetype, bool piece) {
    if (piece) pieceBreaks_.push_back(shown_.size());
    shown_ += c;
  });
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
  qsizetype prefix = 0, suffix = 0;
  while (prefix < most && shown_[prefix] == now[prefix]) ++prefix;
  while (suffix < most - prefix && shown_[shownSize - 1 - suffix] == now[nowSize - 1 - suffix]) ++suffix;
  // Never cut a surrogate pair.
  while (prefix > 0 && shown_[prefix - 1].isHighSurrogate()) --prefix;
  while (suffix > 0 && shown_[shownSize - suffix].isLowSurrogate()) --suffix;

  QString changed;
  auto piece = std::lower_bound(pieceBreaks_.begin(), pieceBreaks_.end(), prefix);
  for (qsizetype k = prefix; k < nowSize - suffix; ++k) {
    if (piece != pieceBreaks_.end() && *piece == k) {
      ++piece;
      continue;
    }
    if (now[k] == u'\n') changed += QStringLiteral("\r\n");
    else changed += now[k];
  }
  const QByteArray middle = changed.toUtf8();
  const QByteArray tail = contentEnd_ < file_.size() ? file_.mid(contentEnd_) : QByteArrayLiteral("\r\n");

  // The bytes where shown characters start; the end of the shown part after the last.
  auto firstByte = [&](qsizetype index) {
    qsizetype at = contentEnd_, k = 0;
    walk(file_, contentEnd_, [&](QChar, qsizetype byte, bool) {
      if (k++ == index && at == contentEnd_) at = byte;
    });
    return at;
  };
  qsizetype keptFrom = firstByte(prefix);
  const qsizetype keptTo = firstByte(shownSize - suffix);
  // A lone CR kept before a lone LF would read back as one CR LF.
  const QByteArray next = middle + file_.mid(keptTo, contentEnd_ - keptTo) + tail;
  QByteArray head = file_.left(keptFrom);
  if (head.endsWith('\r') && next.startsWith('\n')) head.append('\n');
  return head + next;
}
