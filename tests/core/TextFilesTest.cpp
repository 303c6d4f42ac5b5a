#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <functional>

#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "core/mdlFunctions.h"
#include "platform/Services.h"

using namespace mdlFunctions;

namespace {
QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

QStringList items(const QComboBox& box) {
  QStringList out;
  for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
  return out;
}

QStringList historyLines() {
  QString text = QString::fromUtf8(bytesOf(PathHistoryFile()));
  EXPECT_TRUE(text.isEmpty() || text.endsWith("\r\n")) << text.toStdString();
  text.chop(2);
  return text.isEmpty() ? QStringList() : text.split("\r\n");
}

void saveHistory(const QString& folder) {
  QComboBox box;
  box.setEditable(true);
  box.setEditText(folder);
  SavePathHistory(&box);
}

class History : public ::testing::Test {
 protected:
  void SetUp() override { QFile::remove(PathHistoryFile()); }
};
}  // namespace

TEST(TextFiles, WriteThenReadRoundTrips) {
  const QString path = TestEnv::FreshDir("text") + "/t.txt";
  struct Case {
    QString written;
    QByteArray onDisk;
    QString readBack;
  } cases[] = {
      {"", "\r\n", "\r\n"},
      {"a", "a\r\n", "a"},
      {"a\r\nb", "a\r\nb\r\n", "a\r\nb"},
      {QString::fromUtf8("Caf\u00e9 \u266a"), "Caf\xc3\xa9 \xe2\x99\xaa\r\n", QString::fromUtf8("Caf\u00e9 \u266a")},
  };
  for (const Case& c : cases) {
    WriteTextFile(c.written, path);
    EXPECT_EQ(bytesOf(path), c.onDisk);
    EXPECT_EQ(ReadTextFile(path), c.readBack);
  }
  EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList{"t.txt"});  // no temporary left
}

// A full disk cuts a write short without an error; the old file must stay
// whole and no temporary file may be left beside it.
TEST(TextFiles, AFullDiskKeepsTheOldFile) {
  const QString dir = TestEnv::FreshDir("full");
  const QString text = dir + "/t.txt";
  const QByteArray old = "old line one\r\nold line two\r\n";
  const QString longFolder = "/" + QString(400, 'f') + "/";
  struct Case {
    const char* what;
    QString path;
    std::function<bool()> write;
  } cases[] = {
      {"text file", text, [&] { return WriteTextFile(QString(400, 'x'), text); }},
      {"history", PathHistoryFile(), [&] { saveHistory(longFolder); return true; }},
  };
  for (const Case& c : cases) {
    writeBytes(c.path, old);
    bool reported = true;
    {
      FileSizeLimit full(old.size() + 2);
      reported = c.write();
    }
    EXPECT_EQ(bytesOf(c.path), old) << c.what;
    EXPECT_EQ(QDir(QFileInfo(c.path).path()).entryList(QDir::Files | QDir::Hidden).filter(".tessory"), QStringList())
        << c.what;
    if (c.path == text) EXPECT_FALSE(reported);
  }
  EXPECT_TRUE(WriteTextFile("new", text));
  EXPECT_EQ(bytesOf(text), "new\r\n");
}

TEST(TextFiles, ARewriteKeepsPermissionsAndLinks) {
  const QString dir = TestEnv::FreshDir("rewrite");
  const QString real = dir + "/real.txt", link = dir + "/link.txt";
  writeBytes(real, "a\r\n");
  QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner);
  const QFile::Permissions permissions = QFile::permissions(real);
  ASSERT_TRUE(QFile::link(real, link));
  ASSERT_TRUE(WriteTextFile("b", link));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(bytesOf(real), "b\r\n");
  EXPECT_EQ(QFile::permissions(real), permissions);
}

TEST(TextFiles, ReadAcceptsEveryLineEnd) {
  const QString path = TestEnv::FreshDir("ends") + "/t.txt";
  struct Case {
    QByteArray onDisk;
    QString read;
  } cases[] = {
      {"", ""},
      {"a\rb\rc", "a\r\nb\r\nc"},
      {"a\nb\n", "a\r\nb"},
      {"a\r\n\r\nb", "a\r\n\r\nb"},
      {"a\r\n\r\n", "a\r\n"},
      {"\n", "\r\n"},
  };
  for (const Case& c : cases) {
    writeBytes(path, c.onDisk);
    EXPECT_EQ(ReadTextFile(path), c.read) << c.onDisk.toStdString();
  }
  EXPECT_EQ(ReadTextFile(path + ".missing"), "");
  EXPECT_EQ(ReadTextFile(QFileInfo(path).path()), "");  // a folder is no file
}

TEST(TextFiles, WriteIntoAMissingFolderLeavesNothing) {
  const QString dir = TestEnv::FreshDir("nofolder");
  WriteTextFile("x", dir + "/missing/t.txt");
  EXPECT_FALSE(QFile::exists(dir + "/missing"));
}

TEST(TextFiles, LoadListFromFileAddsOnlyNonEmptyLines) {
  const QString path = FileNameFormatsFile();
  writeBytes(path, "[artist] - [title]\r\n\r\n\r\n  \n[track]\r\n");
  QComboBox box;
  box.addItems({"built-in 1", "built-in 2"});
  QSignalSpy changed(&box, &QComboBox::currentIndexChanged);
  LoadListFromFile(path, &box);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(items(box), (QStringList{"[artist] - [title]", "  ", "[track]"}));
  EXPECT_EQ(box.currentIndex(), -1);
  LoadListFromFile(path + ".missing", &box);
  EXPECT_EQ(box.count(), 0);
  QFile::remove(path);
}

TEST_F(History, FolderUsedAgainMovesToTheTop) {
  for (const char* f : {"/e/B/", "/c/Out/", "/d/A/"}) saveHistory(f);
  EXPECT_EQ(historyLines(), (QStringList{"/d/A/", "/c/Out/", "/e/B/"}));
  saveHistory("/c/Out/");
  EXPECT_EQ(historyLines(), (QStringList{"/c/Out/", "/d/A/", "/e/B/"}));
  saveHistory("/C/out/");  // letter case matters
  EXPECT_EQ(historyLines().size(), 4);
}

TEST_F(History, KeepsTheSixteenNewest) {
  for (int i = 1; i <= 17; ++i) saveHistory(QString("/f%1/").arg(i));
  const QStringList lines = historyLines();
  ASSERT_EQ(lines.size(), 16);
  EXPECT_EQ(lines.first(), "/f17/");
  EXPECT_EQ(lines.last(), "/f2/");
}

TEST_F(History, LoadCreatesAMissingFileAndSelectsTheNewest) {
  QComboBox box;
  box.setEditable(true);
  box.addItem("stale");
  LoadPathHistory(&box);
  EXPECT_TRUE(QFile::exists(PathHistoryFile()));
  EXPECT_EQ(box.count(), 0);
  EXPECT_EQ(box.currentText(), "");

  for (const char* f : {"/c/", "/b/", "/a/"}) saveHistory(f);
  QStringList chosen;
  QObject::connect(&box, &QComboBox::currentIndexChanged,
                   [&](int i) { chosen << QString("%1 of %2").arg(i).arg(box.count()); });
  LoadPathHistory(&box);
  EXPECT_EQ(items(box), (QStringList{"/a/", "/b/", "/c/"}));
  EXPECT_EQ(box.currentText(), "/a/");
  EXPECT_EQ(chosen, QStringList{"0 of 3"});
}

TEST_F(History, ReadsAHandWrittenFileWithLineFeeds) {
  writeBytes(PathHistoryFile(), "/x/\n\n/y/\n");
  QComboBox box;
  LoadPathHistory(&box);
  EXPECT_EQ(items(box), (QStringList{"/x/", "", "/y/"}));
  saveHistory("/y/");
  EXPECT_EQ(historyLines(), (QStringList{"/y/", "/x/", ""}));
}

TEST(LogLines, EachLineHasTheTimeAColonAndTheMessage) {
  QPlainTextEdit log;
  AddLogLine("Started", &log);
  AddLogLine("Done.", &log);
  const QStringList lines = log.toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[2].isEmpty());
  static const QRegularExpression form("^\\d{1,2}:\\d{2}:\\d{2}( ?[AaPp][Mm])?:(Started|Done\\.)$");
  EXPECT_TRUE(form.match(lines[0]).hasMatch()) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(":Done.")) << lines[1].toStdString();
  EXPECT_EQ(log.textCursor().position(), log.toPlainText().size());
}
