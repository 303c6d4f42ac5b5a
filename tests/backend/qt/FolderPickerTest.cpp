// The real folder picker, shown offscreen and driven as a user would: its
// status line names the folder the user has selected.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QTimer>

#include "ScriptedUi.h"
#include "TestEnv.h"
#include "platform/Dialogs.h"

TEST(FolderPicker, TheStatusLineNamesTheSelectedFolder) {
  const QString start = QDir(TestEnv::FreshDir("picker")).canonicalPath();
  ASSERT_TRUE(QDir(start).mkdir("sub"));
  QStringList seen;
  int polls = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    const auto* status = d->findChild<QLabel*>("statusLine");
    auto* view = d->findChild<QListView*>("listView");
    auto* model = d->findChild<QFileSystemModel*>();
    if (!status || !view || !model || ++polls > 100) return d->reject();  // never left open
    if (seen.isEmpty()) seen << status->text();
    const QModelIndex sub = model->index(start + "/sub");
    if (!sub.isValid()) return;
    view->setCurrentIndex(sub);
    seen << status->text();
    d->reject();
  });
  poll.start(50);
  SetDialogHandler(nullptr);
  DialogCall call;
  call.kind = DialogCall::Folder;
  call.folder = start;
  call.statusPrefix = "Auswahl: ";
  const QStringList chosen = RunDialog(call);
  ScriptedUi::get().install();
  EXPECT_TRUE(chosen.isEmpty());
  EXPECT_EQ(seen, QStringList({"Auswahl: " + start, "Auswahl: " + start + "/sub"}));
}
