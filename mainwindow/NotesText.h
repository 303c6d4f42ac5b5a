// The notes file's bytes as the notes box shows them, and the bytes written
// back after an edit.
//
// The box shows CR LF, a lone CR and a lone LF as line breaks, and cuts lines
// longer than kPiece characters into pieces: it lays out one very long line
// very slowly. Writing back replaces only the bytes of the stretch the user
// changed, so whatever the box cannot show as it is (non-breaking spaces, line
// separators, bytes that are not UTF-8, LF line ends) stays as the file held it.
#pragma once
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class QTextDocument;

class NotesText {
 public:
  static constexpr qsizetype kPiece = 4096;

  NotesText() = default;
  explicit NotesText(QByteArray file);

  // The text for the box.
  const QString& Shown() const { return shown_; }
  // Follows a change of the box's document (QTextDocument::contentsChange), so
  // the breaks that only cut long lines are known wherever the text moved.
  void Changed(const QTextDocument& box, int position, int removed, int added);
  // The box's text as Shown() gives it: every block break a "\n".
  static QString TextOf(const QTextDocument& box);
  // The file's new bytes for the box's text, or nothing when it was not changed.
  std::optional<QByteArray> Written(const QString& now) const;

 private:
  // A removal that took piece breaks with it, kept so its undo brings them back.
  struct Removal {
    int position, removed, added;
    std::vector<qsizetype> offsets;
  };
  // A shown character that starts a line or a piece, and its first byte.
  struct Anchor {
    qsizetype index, byte;
  };

  void read();
  void breakHere(qsizetype nextByte, bool piece);
  qsizetype firstByte(qsizetype index) const;

  QByteArray file_;
  qsizetype contentEnd_ = 0;  // the last line break of the file is not shown
  QString shown_;
  std::vector<Anchor> anchors_;
  std::vector<qsizetype> pieceBreaks_;  // positions in the box's current text
  std::vector<Removal> removals_;
};
