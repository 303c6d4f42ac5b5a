#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QWidget>

#include "core/mdlOnTop.h"
#include "core/mdlSetFormIcon32.h"
#include "core/mdlTransparent.h"
#include "platform/Services.h"

TEST(FormIcon, WindowAndItsOwnerCarryTheIcon) {
  QWidget owner;
  QWidget window(&owner, Qt::Window);
  mdlSetFormIcon32::SetFormIcon(&window, "cd_music", true);
  EXPECT_FALSE(window.windowIcon().isNull());
  EXPECT_FALSE(owner.windowIcon().isNull());
  EXPECT_EQ(window.windowIcon().cacheKey(), owner.windowIcon().cacheKey());

  QWidget alone;
  mdlSetFormIcon32::SetFormIcon(&alone, "GEARS", false);  // letter case ignored
  EXPECT_FALSE(alone.windowIcon().pixmap(16, 16).isNull());
}

TEST(FormIcon, EveryNamedIconExistsAndAnUnknownNameTakesTheIconAway) {
  for (const char* name : {"aaa", "cd_music", "colors", "cut", "document_music", "document_pulse", "gears",
                           "microphone2", "notes", "replace2", "text_align_left"})
    EXPECT_FALSE(mdlSetFormIcon32::ProgramIcon(name).isNull()) << name;
  QWidget window;
  mdlSetFormIcon32::SetFormIcon(&window, "gears", false);
  mdlSetFormIcon32::SetFormIcon(&window, "no_such_icon", false);
  EXPECT_TRUE(mdlSetFormIcon32::ProgramIcon("no_such_icon").isNull());
  EXPECT_TRUE(window.windowIcon().isNull());
}

TEST(FormIcon, ProgramIconComesFromTheInstalledTrayIcon) {
  const QString dir = ProgramFolder() + "/SysIcon";
  QDir().mkpath(dir);
  QImage image(24, 24, QImage::Format_ARGB32);
  image.fill(QColor(10, 200, 30));
  ASSERT_TRUE(image.save(dir + "/systrayicon.ico", "PNG"));
  const QImage shown = mdlSetFormIcon32::ProgramIcon("AAA").pixmap(24, 24).toImage();
  EXPECT_EQ(QColor(shown.pixel(12, 12)), QColor(10, 200, 30));
  QFile::remove(dir + "/systrayicon.ico");
  EXPECT_FALSE(mdlSetFormIcon32::ProgramIcon("AAA").isNull());  // the drawn one
}

TEST(OnTop, SwitchesTheFlagKeepingPlaceAndShowing) {
  QWidget window;
  window.setGeometry(100, 120, 300, 200);
  mdlOnTop::SetWindowOnTop(&window, true);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.geometry().size(), QSize(300, 200));
  const QPoint place = window.pos();
  mdlOnTop::SetWindowOnTop(&window, false);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.pos(), place);
  EXPECT_FALSE(window.testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(Transparency, AlphaInRangeSetsOpacityOutOfRangeChangesNothing) {
  QWidget window;
  EXPECT_EQ(mdlTransparent::SetWindowAlpha(&window, 90), 0);
  EXPECT_NEAR(window.windowOpacity(), 90 / 255.0, 0.01);
  EXPECT_EQ(mdlTransparent::SetWindowAlpha(&window, 256), 1);
  EXPECT_EQ(mdlTransparent::SetWindowAlpha(&window, -1), 1);
  EXPECT_NEAR(window.windowOpacity(), 90 / 255.0, 0.01);
  EXPECT_EQ(mdlTransparent::ClearWindowAlpha(&window), 0);
  EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}
