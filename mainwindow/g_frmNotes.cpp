#include "mainwindow/g_frmNotes.h"

#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

#include "core/mdlFunctions.h"
#include "core/mdlSetFormIcon32.h"
#include "mainwindow/frmMain.h"

g_frmNotes::g_frmNotes() : Text1(new QPlainTextEdit(this)) {
  setObjectName("g_frmNotes");
  SetCaption("Notes");
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("notes"));
  setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setFont(QFont("Tahoma", 8));
  Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  resize(px(8115), px(5445));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void g_frmNotes::Form_Load() {
  Text1->move(0, 0);
  const QString path = frmMain::NotesFile();
  if (!QFile::exists(path)) {
    QFile created(path);
    created.open(QIODevice::WriteOnly);
    return;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  // Every line ends with a break; the last break is the file's own, so a
  // file holding only that one shows an empty box.
  QString text = QString::fromUtf8(file.readAll()).replace("\r\n", "\n").replace('\r', '\n');
  if (!text.isEmpty() && !text.endsWith('\n')) text += '\n';
  if (text.size() > 1) Text1->setPlainText(text.chopped(1));
}

void g_frmNotes::Form_Resize() {
  // Margins of 100 by 500 twips against the outer size; a size that would
  // come out negative keeps the box's previous size in that direction.
  const QSize outer = frameGeometry().size();
  const int w = outer.width() - px(100), h = outer.height() - px(500);
  Text1->resize(w >= 0 ? w : Text1->width(), h >= 0 ? h : Text1->height());
}

void g_frmNotes::Form_Unload(int&) {
  mdlFunctions::WriteTextFile(Text1->toPlainText().replace("\n", "\r\n"), frmMain::NotesFile());
  if (frmMain* main = loadedForm<frmMain>())
    main->cStatusBar1->SetPanelText("Notes", main->GetNotesToStatus());
}
