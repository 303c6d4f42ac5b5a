// The level graph, drawn offscreen.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/audio/cAudioGraph.h"

namespace {
QImage Grab(cAudioGraph& g) { return g.grab().toImage(); }
}  // namespace

TEST(AudioGraph, ValuesAreDrawnNewestRightAndClearEmptiesIt) {
  cAudioGraph g;
  g.resize(100, 50);
  g.SetGraphBackColor(0x000000);
  g.SetGraphForeColor(0x0000FF);   // red (Windows colour numbers)
  g.SetGraphForeColor2(0x0000FF);
  g.AddValue(100);
  g.RefreshGraph();
  QImage img = Grab(g);
  EXPECT_EQ(img.pixelColor(99, 25), QColor(255, 0, 0));   // the newest value fills its column
  EXPECT_EQ(img.pixelColor(50, 25), QColor(0, 0, 0));
  g.AddValue(40);
  img = Grab(g);
  EXPECT_EQ(img.pixelColor(99, 10), QColor(0, 0, 0));     // 40 % reaches only the lower part
  EXPECT_EQ(img.pixelColor(99, 45), QColor(255, 0, 0));
  EXPECT_EQ(img.pixelColor(97, 10), QColor(255, 0, 0));   // the older value moved left
  g.ClearGraph();
  img = Grab(g);
  EXPECT_EQ(img.pixelColor(99, 45), QColor(0, 0, 0));
  g.SetGraphBackColor(0x00FF00);
  EXPECT_EQ(Grab(g).pixelColor(10, 10), QColor(0, 255, 0));
  EXPECT_EQ(g.GraphBackColor(), 0x00FF00);
}
