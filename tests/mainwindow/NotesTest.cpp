#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <sys/stat.h>

#include "FileSizeLimit.h"

#include "MainWindowFixture.h"
#include "core/mdlFunctions.h"
#include "core/mdlMain.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/g_frmNotes.h"

namespace {
QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// A rewrite always makes a new file (a rename), so the inode tells whether
// the file was written at all.
ino_t inodeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class NotesTest : public MainWindowTest {
 protected:
  frmMain& start() {
    EXPECT_TRUE(mdlMain::StartUp());
    return *loadedForm<frmMain>();
  }
  // Opens the window, types the text, closes it; the panel text it leaves.
  static QString typeAndClose(frmMain& w, const QString& text) {
    w.RunCommand("Notes");
    g_frmNotes* notes = loadedForm<g_frmNotes>();
    notes->Text1->setPlainText(text);
    EXPECT_TRUE(notes->Unload());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return w.cStatusBar1->PanelText("Notes");
  }
  // Opens the window on a notes file holding the bytes.
  static g_frmNotes& openOn(frmMain& w, const QByteArray& bytes) {
    writeFile(frmMain::NotesFile(), bytes);
    w.RunCommand("Notes");
    return *loadedForm<g_frmNotes>();
  }
  static void close(g_frmNotes& notes) {
    EXPECT_TRUE(notes.Unload());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Types the text where the cursor is moved to, as a user does.
  static void typeAt(g_frmNotes& notes, QTextCursor::MoveOperation where, const QString& text) {
    notes.Text1->moveCursor(where);
    QTest::keyClicks(notes.Text1, text);
  }
};
}  // namespace

TEST_F(NotesTest, FirstOpeningCreatesAnEmptyFile) {
  frmMain& w = start();
  ASSERT_FALSE(QFile::exists(frmMain::NotesFile()));
  w.RunCommand("Notes");
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), QByteArray());
  EXPECT_EQ(loadedForm<g_frmNotes>()->Text1->toPlainText(), "");
  EXPECT_EQ(w.cStatusBar1->PanelText("Notes"), "Notes [ Empty ]");
}

TEST_F(NotesTest, ClosingWritesTheFileAndRefreshesThePanel) {
  frmMain& w = start();
  const QString n36 = QString("0123456789").repeated(3) + "abcdef";
  struct Case {
    QString typed;
    QByteArray file;
    QString panel;
  } cases[] = {
      {"short", "short\r\n", "Notes [ short ]"},
      {"", "\r\n", "Notes [ Empty ]"},
      {"a\nb", "a\r\nb\r\n", "Notes [ a b ]"},
      {n36, n36.toUtf8() + "\r\n", "Notes [ " + n36 + " ]"},
      {n36 + "g", n36.toUtf8() + "g\r\n", "Notes [ " + n36.left(35) + "... ]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(typeAndClose(w, c.typed), c.panel) << c.typed.toStdString();
    EXPECT_EQ(fileBytes(frmMain::NotesFile()), c.file) << c.typed.toStdString();
    EXPECT_EQ(w.GetNotesToStatus(), c.panel);
  }
}

TEST_F(NotesTest, TextComesBackUnchangedOnReopening) {
  frmMain& w = start();
  for (const QString& text : {QString("one\ntwo\nthree\n"), QString(""), QString("\n"), QString("\n\nx")}) {
    typeAndClose(w, text);
    w.RunCommand("Notes");
    EXPECT_EQ(loadedForm<g_frmNotes>()->Text1->toPlainText(), text);
    loadedForm<g_frmNotes>()->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST_F(NotesTest, ShutDownSavesOpenNotes) {
  frmMain& w = start();
  w.RunCommand("Notes");
  loadedForm<g_frmNotes>()->Text1->setPlainText("kept");
  w.RunCommand("Exit");
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), QByteArray("kept\r\n"));
}

TEST_F(NotesTest, BoxFollowsTheWindowSize) {
  start().RunCommand("Notes");
  g_frmNotes& notes = *loadedForm<g_frmNotes>();
  notes.resize(px(12000), px(9000));
  const QSize outer = notes.frameGeometry().size();
  EXPECT_EQ(notes.Text1->size(), QSize(outer.width() - px(100), outer.height() - px(500)));
  notes.resize(1, 1);  // too small: the box keeps its size
  ASSERT_LT(notes.frameGeometry().width(), px(100));
  EXPECT_EQ(notes.Text1->size(), QSize(outer.width() - px(100), outer.height() - px(500)));
}

TEST(NotesSummary, PanelTextsOfTheNotesFile) {
  const QString path = frmMain::NotesFile();
  QFile::remove(path);
  EXPECT_EQ(frmMain().GetNotesToStatus(), "Notes [ Empty ]");
  struct Case {
    QByteArray file;
    QString panel;
  } cases[] = {
      {"", "Notes [ Empty ]"},
      {"\r\n", "Notes [ Empty ]"},
      {"\r\n\r\n", "Notes [ Empty ]"},
      {"a\r\nb\r\n", "Notes [ a b ]"},
      {"a\nb\n", "Notes [ a b ]"},
      {QByteArray(36, 'x') + "\r\n", "Notes [ " + QString(36, 'x') + " ]"},
      {QByteArray(37, 'x') + "\r\n", "Notes [ " + QString(35, 'x') + "... ]"},
  };
  frmMain main;
  for (const Case& c : cases) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.file);
    f.close();
    EXPECT_EQ(main.GetNotesToStatus(), c.panel) << c.file.toStdString();
  }
  QFile::remove(path);
}

// Files the box cannot show byte for byte: whatever it shows differently must
// still be in the file after an opening without an edit, and after an edit
// elsewhere.
namespace {
struct Odd {
  const char* what;
  QByteArray bytes;
};
const Odd kOddFiles[] = {
    {"non-breaking spaces", "a\xc2\xa0" "b\r\n"},
    {"line and paragraph separators", "a\xe2\x80\xa8" "b\xe2\x80\xa9" "c\r\n"},
    {"bytes that are not UTF-8", "caf\xe9 \xff\xfe \xe2\x82 \x80\xc0\xaf\r\n"},
    {"LF and lone CR line ends", "one\ntwo\rthree\n"},
    {"no final line break", "last line"},
    {"NUL, tab and a character beyond 16 bits", QByteArray("a\0b\t\xf0\x9f\x8e\xb5\r\n", 11)},
    {"frame markers", "x\xef\xb7\x90y\r\n"},
};
}  // namespace

TEST_F(NotesTest, OpeningAndClosingWithoutAnEditWritesNothing) {
  frmMain& w = start();
  for (const Odd& c : kOddFiles) {
    g_frmNotes& notes = openOn(w, c.bytes);
    const ino_t before = inodeOf(frmMain::NotesFile());
    close(notes);
    EXPECT_EQ(inodeOf(frmMain::NotesFile()), before) << c.what;
    EXPECT_EQ(fileBytes(frmMain::NotesFile()), c.bytes) << c.what;
  }
}

TEST_F(NotesTest, AnEditKeepsTheBytesItDidNotTouch) {
  frmMain& w = start();
  for (const Odd& c : kOddFiles) {
    const QByteArray finalBreak = c.bytes.endsWith('\n') || c.bytes.endsWith('\r') ? QByteArray() : "\r\n";
    g_frmNotes& first = openOn(w, c.bytes);
    typeAt(first, QTextCursor::Start, "S");
    close(first);
    EXPECT_EQ(fileBytes(frmMain::NotesFile()), "S" + c.bytes + finalBreak) << c.what;

    g_frmNotes& second = openOn(w, c.bytes);
    typeAt(second, QTextCursor::End, "E");
    close(second);
    const QByteArray content = c.bytes.left(c.bytes.size() - (finalBreak.isEmpty() ? (c.bytes.endsWith("\r\n") ? 2 : 1) : 0));
    EXPECT_EQ(fileBytes(frmMain::NotesFile()), content + "E" + c.bytes.mid(content.size()) + finalBreak) << c.what;
  }
}

// One line of 1 MB without a blank: the box gets it in pieces it can lay out
// at once, and writing back joins them again.
TEST_F(NotesTest, AVeryLongLineOpensInPiecesAndIsWrittenBackWhole) {
  frmMain& w = start();
  QByteArray line;
  for (int i = 0; line.size() < 1000000; ++i) line += QByteArray::number(i % 10);
  const QByteArray file = "short\r\n" + line + "\r\nend\r\n";
  g_frmNotes& notes = openOn(w, file);
  int longest = 0;
  for (QTextBlock b = notes.Text1->document()->begin(); b.isValid(); b = b.next()) longest = std::max(longest, b.length());
  EXPECT_LE(longest, 4097);
  close(notes);
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), file);

  // Joining two pieces and taking it back, then edits at both ends, so the
  // whole text counts as changed.
  g_frmNotes& edited = openOn(w, file);
  QTextCursor at(edited.Text1->document());
  at.setPosition(6 + 4097);  // just after the first piece's break
  edited.Text1->setTextCursor(at);
  QTest::keyClick(edited.Text1, Qt::Key_Backspace);
  ASSERT_EQ(edited.Text1->document()->characterAt(6 + 4096), QChar(u'0' + 4096 % 10));
  edited.Text1->undo();
  typeAt(edited, QTextCursor::Start, "S");
  typeAt(edited, QTextCursor::End, "!");
  close(edited);
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), "Sshort\r\n" + line + "\r\nend!\r\n");

  // Typing into the middle of the long line.
  g_frmNotes& typed = openOn(w, file);
  QTextCursor middle(typed.Text1->document());
  middle.setPosition(6 + 500000);
  typed.Text1->setTextCursor(middle);
  QTest::keyClicks(typed.Text1, "ab");
  QTest::keyClick(typed.Text1, Qt::Key_Return);
  close(typed);
  const qsizetype split = 500000 - 500000 / 4097;  // the pieces' own breaks are no characters
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), "short\r\n" + line.left(split) + "ab\r\n" + line.mid(split) + "\r\nend\r\n");
}

TEST_F(NotesTest, AFullDiskKeepsTheNotesAndSaysSo) {
  frmMain& w = start();
  g_frmNotes& notes = openOn(w, "old notes\r\n");
  typeAt(notes, QTextCursor::End, QString(200, 'x'));
  {
    FileSizeLimit full(4);
    close(notes);
  }
  EXPECT_EQ(fileBytes(frmMain::NotesFile()), "old notes\r\n");
  EXPECT_EQ(w.cStatusBar1->PanelText("Main"), "The notes could not be saved.");
  EXPECT_EQ(w.cStatusBar1->PanelText("Notes"), "Notes [ old notes ]");
}
