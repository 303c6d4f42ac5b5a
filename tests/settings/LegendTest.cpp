#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "SettingsFixture.h"
#include "settings/g_frmProgParameters.h"

namespace {
// The placeholder boxes of a frame, top to bottom, each with its description.
QStringList rows(QFrame* frame) {
  QStringList out;
  for (QLineEdit* box : frame->findChildren<QLineEdit*>()) {
    QString description;
    for (QLabel* l : frame->findChildren<QLabel*>())
      if (l->x() == px(2880) && l->y() >= box->y() && l->y() < box->y() + box->height()) description = l->text();
    out << box->text() + " " + description;
  }
  return out;
}
}  // namespace

using LegendTest = SettingsTest;

TEST_F(LegendTest, EachSectionShowsItsPlaceholdersInPlaceBelowTheList) {
  g_frmProgParameters& l = form<g_frmProgParameters>();
  EXPECT_EQ(l.Caption(), "Parameters");
  ASSERT_EQ(l.cboSections->count(), 3);
  EXPECT_EQ(l.cboSections->itemText(0), "Execute external application");
  EXPECT_EQ(l.cboSections->itemText(1), "ID3 Audio Tags");
  EXPECT_EQ(l.cboSections->itemText(2), "File Name Format");
  QFrame* const frames[] = {l.fraAppNotic, l.fraID3Tags, l.fraExt};
  for (int section = 0; section < 3; ++section) {
    l.cboSections->setCurrentIndex(section);
    for (int f = 0; f < 3; ++f) EXPECT_EQ(frames[f]->isVisibleTo(&l), f == section) << section;
    EXPECT_EQ(frames[section]->pos(), QPoint(l.cboSections->x(), l.cboSections->geometry().bottom() + 1 + px(50)));
  }
  EXPECT_EQ(rows(l.fraID3Tags),
            QStringList({"[PROG_NAME] The program name.", "[PROG_VERSION] The version.",
                         "[DATE] The creation date of the file.", "[TIME] The creation time of the file.",
                         "[TRACK_NUM] The item number.", "[YEAR] The creation year of the file.",
                         "[SOURCE_NAME] The source file name.", "[ITEM_NAME] The item name from the Items List.",
                         "[RANGE] The processed range."}));
  EXPECT_EQ(rows(l.fraAppNotic).size(), 6);
  EXPECT_EQ(rows(l.fraAppNotic)[2], "[FILE_RECORDED] The created file path and name.");
  EXPECT_EQ(rows(l.fraExt),
            QStringList({"[file_name] The file name.", "[date] The current date.", "[time] The current time.",
                         "[123] The track number.", "[source_extension] The extension of the source file.",
                         "[dest_extension] The extension of the destination file.",
                         "[item_name] The item name from the Items List."}));
}

TEST_F(LegendTest, OkDestroysTheWindowSoTheNextOpeningStartsAfresh) {
  g_frmProgParameters* first = &form<g_frmProgParameters>();
  first->cboSections->setCurrentIndex(2);
  first->cmdOk->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(loadedForm<g_frmProgParameters>(), nullptr);
  EXPECT_EQ(form<g_frmProgParameters>().cboSections->currentIndex(), -1);
}
