#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "platform/Registry.h"

namespace {
const QString kKey = "SOFTWARE\\Vendor\\Tessory\\General";

RegValue text(const QString& t) { return {REG_SZ, t.toUtf8() + '\0'}; }

QString valueText(const QString& name) {
  const auto v = Hive::Query(HKEY_CURRENT_USER, kKey, name);
  return v ? QString::fromUtf8(v->data.chopped(1)) : QString("<none>");
}

QByteArray hiveBytes() {
  QFile f(Hive::Folder() + "/user.hive");
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class HiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestEnv::ResetHive();
    ASSERT_EQ(Hive::CreateKey(HKEY_CURRENT_USER, kKey + "\\Sub"), ERROR_SUCCESS);
    ASSERT_EQ(Hive::SetValue(HKEY_CURRENT_USER, kKey, "kept", text("old")), ERROR_SUCCESS);
  }
};
}  // namespace

// On a full disk every change fails, and neither the file nor what the
// program reads back shows it.
TEST_F(HiveTest, AChangeThatCannotBeWrittenIsUndone) {
  struct Case {
    const char* what;
    std::function<long()> change;
  } cases[] = {
      {"new value", [] { return Hive::SetValue(HKEY_CURRENT_USER, kKey, "new", text(QString(4000, 'n'))); }},
      {"changed value", [] { return Hive::SetValue(HKEY_CURRENT_USER, kKey, "kept", text(QString(4000, 'c'))); }},
      {"deleted value", [] { return Hive::DeleteValue(HKEY_CURRENT_USER, kKey, "kept"); }},
      {"new key", [] { return Hive::CreateKey(HKEY_CURRENT_USER, kKey + "\\Other"); }},
      {"deleted key", [] { return Hive::DeleteKey(HKEY_CURRENT_USER, kKey + "\\Sub"); }},
  };
  const QByteArray before = hiveBytes();
  for (const Case& c : cases) {
    long code = ERROR_SUCCESS;
    {
      FileSizeLimit full(16);
      code = c.change();
    }
    EXPECT_NE(code, ERROR_SUCCESS) << c.what;
    EXPECT_EQ(hiveBytes(), before) << c.what;
    EXPECT_EQ(valueText("kept"), "old") << c.what;
    EXPECT_EQ(valueText("new"), "<none>") << c.what;
    EXPECT_EQ(Hive::EnumKeys(HKEY_CURRENT_USER, kKey), QStringList{"Sub"}) << c.what;
  }
  EXPECT_EQ(QDir(Hive::Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"user.hive"});
}

// Running programs change the same key at once; every value of every one of
// them is there afterwards.
TEST_F(HiveTest, ProgramsSavingAtOnceKeepEachOthersValues) {
  constexpr int kPrograms = 4, kValues = 40;
  std::vector<pid_t> children;
  for (int p = 0; p < kPrograms; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failed = 0;
      for (int i = 0; i < kValues; ++i)
        failed += Hive::SetValue(HKEY_CURRENT_USER, kKey, QString("p%1_%2").arg(p).arg(i), text("v")) != ERROR_SUCCESS;
      _exit(failed);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  QStringList missing;
  for (int p = 0; p < kPrograms; ++p)
    for (int i = 0; i < kValues; ++i)
      if (valueText(QString("p%1_%2").arg(p).arg(i)) != "v") missing << QString("p%1_%2").arg(p).arg(i);
  EXPECT_TRUE(missing.isEmpty()) << missing.join(' ').toStdString();
  EXPECT_EQ(valueText("kept"), "old");
}
