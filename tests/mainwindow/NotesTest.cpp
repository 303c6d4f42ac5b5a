#include <QFile>
#include <QPlainTextEdit>

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
      {"", "\r\n", "Notes [ Empty ]"},
      {"short", "short\r\n", "Notes [ short ]"},
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
