#include <QTest>
#include <QWindow>

#include "MainWindowFixture.h"
#include "core/mdlMain.h"
#include "mainwindow/frmMain.h"
#include "platform/audio/cAudioGraph.h"

namespace {
// Geometry of a control in twips, in the main window's coordinates.
QRect twipsRect(const QWidget* w) {
  const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
  return QRect(twips(at.x()), twips(at.y()), twips(w->width()), twips(w->height()));
}

class LayoutTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(mdlMain::StartUp());
    main = loadedForm<frmMain>();
    ASSERT_NE(main, nullptr);
    setView(true, true, true);
  }
  void TearDown() override {
    lAppIncTree = 1;
    setView(true, true, true);
    MainWindowTest::TearDown();
  }
  void setView(bool title, bool player, bool graphs) {
    g_bDisplayTitle = title;
    g_bDisplayPlayer = player;
    g_bDisplayAudioGraph = graphs;
    if (!main) return;
    main->SetWidth(13140);
    main->SetHeight(7440);
    main->Form_Resize();
  }
  // Lets go of the splitter at a point inside the given control (pixels).
  void dragSplitterTo(QWidget* target, QPoint at) {
    QWidget* bar = main->picResizer;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 20));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(target->mapToGlobal(at)));
  }
  frmMain* main = nullptr;
};
}  // namespace

TEST_F(LayoutTest, PanesKeepTheirRelationsAtTheStoredWindowSize) {
  const double W = twips(main->frameGeometry().width()), H = twips(main->frameGeometry().height());
  const double hostH = twips(main->tlbrTop->height()), statusH = twips(main->cStatusBar1->height());
  const QRect title = twipsRect(main->picTitle), host = twipsRect(main->tlbrTop);
  const QRect tree = twipsRect(main->cTreeView1), grid = twipsRect(main->cGrid1);
  const QRect info = twipsRect(main->cGridInfo), bar = twipsRect(main->picResizer);
  const QRect listStrip = twipsRect(main->tlbrList), treeFrame = twipsRect(main->tlbrProjects);
  const QRect tools = twipsRect(main->tlbrRecorder), slider = twipsRect(main->cSlider1);
  const QRect notice = twipsRect(main->picEmptyMsg);
  const double gridTop = 120 + 375 + 40 + hostH + 255 + 20;
  const double gridH = H - 1155 - 495 - hostH - 375 - statusH - 255 - 600;
  const double gridW = (W - 350) - 2535 - 3495 - 100;
  struct Relation {
    const char* what;
    double actual, expected;
  } relations[] = {
      {"title left", title.left(), 100},
      {"title top", title.top(), 120},
      {"title width", title.width(), W - 350},
      {"title height", title.height(), 375},
      {"host top", host.top(), 535},
      {"host width", host.width(), W - 350},
      {"tree title top", twipsRect(main->picTitleProject).top(), 535 + hostH},
      {"tree title width", twipsRect(main->picTitleProject).width(), 2535},
      {"list title top", twipsRect(main->lblListName).top(), 535 + hostH},
      {"list title left", twipsRect(main->lblListName).left(), 2715},
      {"list title width", twipsRect(main->lblListName).width(), gridW + 3495},
      {"grid top", grid.top(), gridTop},
      {"grid left", grid.left(), 2715},
      {"grid width", grid.width(), gridW},
      {"grid height", grid.height(), gridH},
      {"tree top", tree.top(), gridTop},
      {"tree left", tree.left(), 120},
      {"tree width", tree.width(), 2535},
      {"tree height", tree.height(), gridH + 1155 - 60},
      {"splitter left", bar.left(), 2675},
      {"splitter width", bar.width(), 100},
      {"splitter top", bar.top(), 1200},
      {"info left", info.left(), 2715 + gridW},
      {"info top", info.top(), gridTop},
      {"info width", info.width(), 3495},
      {"info height", info.height(), gridH - 1215},
      {"slider left", slider.left(), 2715 + gridW + 100},
      {"slider width", slider.width(), 3295},
      {"list strip top", listStrip.top(), gridTop + gridH},
      {"list strip left", listStrip.left(), 2715},
      {"list strip width", listStrip.width(), gridW + 3495},
      {"tools top", tools.top(), gridTop + gridH + 400},
      {"tools left", tools.left(), 2715},
      {"tree frame top", treeFrame.top(), gridTop + gridH + 1155 - 60 - 40},
      {"tree frame width", treeFrame.width(), 2535},
      {"tree frame end", treeFrame.top() + 500.0, gridTop + gridH + 400 + 1155},
      {"notice left", notice.left(), gridW / 2 + 2715 - notice.width() / 2.0},
      {"status bottom", twipsRect(main->cStatusBar1).bottom() + 1.0, double(main->Height())},
  };
  for (const Relation& r : relations) EXPECT_NEAR(r.actual, r.expected, TwipsPerPixel) << r.what;
  // The player strip sits right under the information pane, inside the window.
  EXPECT_GE(slider.top(), info.bottom());
  EXPECT_LT(slider.bottom(), gridTop + gridH);
}

TEST_F(LayoutTest, ViewSwitchesShowAndHideThePanes) {
  const QRect gridBefore = twipsRect(main->cGrid1);
  const QRect hostBefore = twipsRect(main->tlbrTop), stripBefore = twipsRect(main->tlbrList);
  const QRect sliderBefore = twipsRect(main->cSlider1);
  struct Case {
    bool title, player, graphs;
  } cases[] = {{true, true, true}, {false, true, true}, {true, false, true}, {true, true, false}, {false, false, false}};
  for (const Case& c : cases) {
    setView(c.title, c.player, c.graphs);
    SCOPED_TRACE(testing::Message() << c.title << c.player << c.graphs);
    EXPECT_EQ(main->picTitle->isVisible(), c.title);
    EXPECT_EQ(main->cGridInfo->isVisible(), c.player);
    EXPECT_EQ(main->cSlider1->isVisible(), c.player);
    EXPECT_EQ(main->tlbrPlayButtons->isVisible(), c.player);
    EXPECT_EQ(main->cAudioGraphAmp->isVisible(), c.player && c.graphs);
    EXPECT_EQ(main->cAudioGraphFreq->isVisible(), c.player && c.graphs);
    const QRect grid = twipsRect(main->cGrid1);
    const int up = c.title ? 0 : 375;
    EXPECT_NEAR(twipsRect(main->tlbrTop).top(), hostBefore.top() - up, TwipsPerPixel);
    EXPECT_NEAR(grid.top(), gridBefore.top() - up, TwipsPerPixel);
    EXPECT_NEAR(grid.height(), gridBefore.height() + up, TwipsPerPixel);
    EXPECT_NEAR(grid.width(), gridBefore.width() + (c.player ? 0 : 3495), TwipsPerPixel);
    // The strips under the grid stay where they were.
    EXPECT_NEAR(twipsRect(main->tlbrList).top(), stripBefore.top(), TwipsPerPixel);
    // A hidden player strip keeps the slider's last size.
    EXPECT_EQ(twipsRect(main->cSlider1).width(), sliderBefore.width());
  }
}

TEST_F(LayoutTest, TheTreePaneSwitchHidesAndRestoresTheTree) {
  dragSplitterTo(main->cGrid1, QPoint(30, 30));
  ASSERT_NE(main->TreeWidth(), 2535);
  lAppIncTree = 0;
  main->Form_Resize();
  EXPECT_FALSE(main->cTreeView1->isVisible());
  EXPECT_FALSE(main->picResizer->isVisible());
  EXPECT_EQ(main->TreeWidth(), 0);
  EXPECT_NEAR(twipsRect(main->cGrid1).left(), 80, TwipsPerPixel);
  lAppIncTree = 1;
  main->Form_Resize();
  EXPECT_TRUE(main->cTreeView1->isVisible());
  EXPECT_TRUE(main->picResizer->isVisible());
  EXPECT_EQ(main->TreeWidth(), 2535);
  EXPECT_NEAR(twipsRect(main->cGrid1).left(), 2715, TwipsPerPixel);
}

TEST_F(LayoutTest, DraggingTheSplitterSetsTheTreeWidth) {
  EXPECT_EQ(main->picResizer->cursor().shape(), Qt::SizeHorCursor);
  // Over the grid the tree widens by the drop point, again at every drop.
  dragSplitterTo(main->cGrid1, QPoint(30, 40));
  EXPECT_EQ(main->TreeWidth(), 120 + 2535 + twips(30) - 60);
  dragSplitterTo(main->cGrid1, QPoint(30, 40));
  EXPECT_EQ(main->TreeWidth(), 2 * 120 + 2535 + 2 * (twips(30) - 60));
  EXPECT_NEAR(twipsRect(main->cTreeView1).width(), main->TreeWidth(), TwipsPerPixel);
  EXPECT_NEAR(twipsRect(main->cGrid1).left(), 120 + main->TreeWidth() + 100 - 40, TwipsPerPixel);
  // Over the tree its right edge lands on the drop point, never under 1000.
  struct Drop {
    int x;
    long width;
  } drops[] = {{150, twips(150)}, {67, twips(67)}, {66, 1000}, {40, 1000}};
  for (const Drop& d : drops) {
    dragSplitterTo(main->cTreeView1, QPoint(d.x, 40));
    EXPECT_EQ(main->TreeWidth(), d.width) << d.x;
    EXPECT_NEAR(twipsRect(main->cTreeView1).width(), d.width, TwipsPerPixel) << d.x;
  }
  // The slider takes the drop for the list side, X inside the slider.
  dragSplitterTo(main->cSlider1, QPoint(10, 5));
  EXPECT_EQ(main->TreeWidth(), 120 + 1000 + twips(10) - 60);
  // Letting go over a pane that takes no drop changes nothing.
  dragSplitterTo(main->cGridInfo, QPoint(20, 20));
  EXPECT_EQ(main->TreeWidth(), 120 + 1000 + twips(10) - 60);
}

// A window manager frames the window only after it is shown, and a frame that
// comes or goes changes no size of the window itself; the panes follow it.
TEST_F(LayoutTest, AFrameThatChangesAfterTheWindowIsShownIsLaidOutAgain) {
  QWindow* win = main->windowHandle();
  ASSERT_NE(win, nullptr);
  const auto titleFits = [&] {
    return std::abs(twips(main->picTitle->width()) - (twips(main->frameGeometry().width()) - 350)) < TwipsPerPixel;
  };
  ASSERT_TRUE(titleFits());
  const QSize size = main->size();
  const std::pair<bool, QPoint> frames[] = {{true, QPoint(0, 0)}, {false, QPoint(1, 1)}};
  for (const auto& [frameless, at] : frames) {
    const QMargins before = win->frameMargins();
    win->setFlag(Qt::FramelessWindowHint, frameless);
    win->setGeometry(QRect(at, size));
    QCoreApplication::processEvents();
    ASSERT_NE(win->frameMargins(), before);
    ASSERT_EQ(main->size(), size);
    EXPECT_TRUE(titleFits()) << "frameless " << frameless;
    EXPECT_NEAR(twips(main->cGrid1->height()),
                twips(main->frameGeometry().height()) - 1155 - 495 - twips(main->tlbrTop->height()) - 375 -
                    twips(main->cStatusBar1->height()) - 255 - 600,
                TwipsPerPixel);
  }
}
