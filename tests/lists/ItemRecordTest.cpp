#include <gtest/gtest.h>

#include "lists/ItemRecord.h"

TEST(ItemRecordTest, ValuesHoldingTheMarkupSurviveAndPlainValuesStayAsTheyAre) {
  struct Case {
    QString value;
    bool plain;  // stored byte for byte
  } cases[] = {
      {"Song name", true},
      {"Rock & Roll", true},
      {QString::fromUtf8("Ünïcødé 日本語"), true},
      {"<ITEM>", false},
      {"x</COL_TAG_ALBUM>y<COL_TAG_ALBUM>z", false},
      {"</ITEM><ITEM><Inc>abc</Inc>", false},
      {"&lt; stays &lt;", false},
      {"&amp;&#13;&", false},
      {"two\r\nlines\nand\rmore", false},
  };
  for (const Case& c : cases) {
    ItemRecord r;
    r.name = "n";
    r.file = "/f.wav";
    r.tags[2] = c.value;
    const QString text = r.ToText();
    EXPECT_EQ(text.contains("<COL_TAG_COMMENT>" + c.value + "</COL_TAG_COMMENT>"), c.plain) << c.value.toStdString();
    const QStringList pieces = ItemRecordText::SplitRecords(text + text);
    ASSERT_EQ(pieces.size(), 3) << c.value.toStdString();
    for (int i = 1; i <= 2; ++i) {
      const ItemRecord back = ItemRecord::FromText(pieces[i]);
      EXPECT_EQ(back.tags[2], c.value);
      EXPECT_EQ(back.inc, "1");
      EXPECT_EQ(back.file, "/f.wav");
    }
  }
}

TEST(ItemRecordTest, RecordLayoutAndElementLookup) {
  ItemRecord r;
  r.inc = "0";
  r.name = "A";
  r.file = "/a.wav";
  r.rangeAll = "0";
  r.rangeStart = "10";
  r.rangeLength = "20";
  EXPECT_EQ(r.ToText(),
            "<ITEM><Inc>0</Inc><Type>Audio</Type><Item Name>A</Item Name><COL_FILE>/a.wav</COL_FILE>"
            "<COL_RANGE_ALL>0</COL_RANGE_ALL><COL_RANGE_START_TIME>10</COL_RANGE_START_TIME>"
            "<COL_RANGE_LENGTH_TIME>20</COL_RANGE_LENGTH_TIME><COL_TAG_ALBUM></COL_TAG_ALBUM>"
            "<COL_TAG_ARTIST></COL_TAG_ARTIST><COL_TAG_COMMENT></COL_TAG_COMMENT><COL_TAG_GEN></COL_TAG_GEN>"
            "<COL_TAG_YEAR></COL_TAG_YEAR><COL_TAG_TITLE></COL_TAG_TITLE><COL_TAG_TRACK></COL_TAG_TRACK></ITEM>");
  EXPECT_EQ(ItemRecordText::GetTagValue("Inc", "<Inc>1"), "");        // no closing text
  EXPECT_EQ(ItemRecordText::GetTagValue("Inc", "1</Inc>"), "");       // no opening text
  EXPECT_EQ(ItemRecordText::GetTagValue("inc", "<Inc>1</Inc>"), "");  // letter case counts
  EXPECT_EQ(ItemRecordText::GetTagValue("Inc", "<Inc>1</Inc><Inc>0</Inc>"), "1");
  EXPECT_EQ(ItemRecordText::SplitRecords("junk<ITEM>a<ITEM>b").size(), 3);
}
