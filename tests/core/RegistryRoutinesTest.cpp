#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "TestEnv.h"
#include "core/RegistryRoutines.h"

namespace {
RegistryRoutines store(const QString& sub = "General") {
  RegistryRoutines r;
  r.hkey = HKEY_LOCAL_MACHINE;
  r.KeyRoot = "SOFTWARE\\Vendor\\Tessory";
  r.Subkey = sub;
  return r;
}

class RegistryRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestEnv::ResetHive();
    ASSERT_EQ(store().CreateKey(), "0");
  }
};
}  // namespace

TEST_F(RegistryRoutinesTest, TextValuesReadBackByTheirStoredForm) {
  struct Case {
    const char* name;
    QVariant written;
    QVariant def;
    QVariant expected;
  } cases[] = {
      {"one", "1", QVariant(), "1"},
      {"empty text reads as the default", "", "dflt", "dflt"},
      {"empty text without default", "", QVariant(), QVariant()},
      {"number as digits", 42, QVariant(), "42"},
      {"non-ASCII", QString::fromUtf8("Café ♪"), QVariant(), QString::fromUtf8("Café ♪")},
      {"long value", QString(5000, 'x'), QVariant(), QString(5000, 'x')},
  };
  for (const Case& c : cases) {
    RegistryRoutines r = store();
    ASSERT_TRUE(r.SetRegistryValue(c.name, c.written, REG_SZ)) << c.name;
    EXPECT_EQ(r.GetRegistryValue(c.name, c.def), c.expected) << c.name;
  }
}

TEST_F(RegistryRoutinesTest, RawValueFormsFollowTheirType) {
  const QString path = "SOFTWARE\\Vendor\\Tessory\\General";
  struct Case {
    const char* name;
    RegValue raw;
    QVariant expected;
  } cases[] = {
      {"only the NUL", {REG_SZ, QByteArray(1, '\0')}, QString("")},
      {"dword", {REG_DWORD, QByteArray("\xff\xff\xff\xff", 4)}, QVariant::fromValue<qint32>(-1)},
      {"qword is not read", {REG_QWORD, QByteArray(8, '\1')}, "dflt"},
      {"none is not read", {REG_NONE, QByteArray()}, "dflt"},
      {"binary", {REG_BINARY, QByteArray("\0\1\2", 3)}, QByteArray("\0\1\2", 3)},
      {"multi", {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)}, QString::fromUtf8("a\0b", 3)},
      {"multi starting empty", {REG_MULTI_SZ, QByteArray("\0b\0\0", 4)}, "dflt"},
      {"multi too short", {REG_MULTI_SZ, QByteArray(1, '\0')}, "dflt"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Hive::SetValue(HKEY_LOCAL_MACHINE, path, c.name, c.raw), ERROR_SUCCESS);
    EXPECT_EQ(store().GetRegistryValue(c.name, "dflt"), c.expected) << c.name;
  }
}

TEST_F(RegistryRoutinesTest, ExpandableStringsExpandTheEnvironment) {
  qputenv("TESSORY_TEST_VAR", "/music");
  RegistryRoutines r = store();
  ASSERT_TRUE(r.SetRegistryValue("p", "%TESSORY_TEST_VAR%/a and $TESSORY_TEST_VAR/b and %NOPE_X%", REG_EXPAND_SZ));
  EXPECT_EQ(r.GetRegistryValue("p").toString(), "/music/a and /music/b and %NOPE_X%");
}

TEST_F(RegistryRoutinesTest, MissingKeyReadsDefaultAndWriteCreatesNothing) {
  RegistryRoutines r = store("Nope");
  EXPECT_FALSE(r.KeyExists());
  EXPECT_EQ(r.GetRegistryValue("x", "d"), "d");
  EXPECT_FALSE(r.SetRegistryValue("x", "1", REG_SZ));
  EXPECT_FALSE(r.KeyExists());
  EXPECT_EQ(r.DeleteValue("x"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryRoutinesTest, DeleteValueAndKeyNamesIgnoreCase) {
  RegistryRoutines r = store();
  r.SetRegistryValue("Width", "10", REG_SZ);
  EXPECT_EQ(store("GENERAL").GetRegistryValue("width"), "10");
  EXPECT_EQ(r.DeleteValue("WIDTH"), ERROR_SUCCESS);
  EXPECT_EQ(r.DeleteValue("Width"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(r.GetRegistryValue("Width", "d"), "d");
}

TEST_F(RegistryRoutinesTest, EmptySubkeyAddressesTheRootKey) {
  RegistryRoutines r = store("");
  EXPECT_TRUE(r.KeyExists());
  EXPECT_TRUE(r.SetRegistryValue("top", "v", REG_SZ));
  EXPECT_EQ(r.GetRegistryValue("top"), "v");
}

TEST_F(RegistryRoutinesTest, EnumerationAndKeyDeletion) {
  RegistryRoutines r = store();
  r.CreateKey("Formats\\WAV");
  r.CreateKey("Formats\\MP3");
  r.SetRegistryValue("a", "1", REG_SZ);
  r.SetRegistryValue("b", "2", REG_SZ);
  EXPECT_EQ(r.EnumRegistryKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tessory\\Formats"),
            QStringList({"WAV", "MP3"}));
  EXPECT_EQ(r.EnumRegistryValues(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tessory\\General"),
            QStringList({"a", "b"}));
  EXPECT_TRUE(r.EnumRegistryKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nope").isEmpty());
  EXPECT_NE(r.DeleteKey("Formats"), ERROR_SUCCESS);  // still has sub-keys
  EXPECT_EQ(r.DeleteKey("Formats\\WAV"), ERROR_SUCCESS);
  EXPECT_EQ(r.EnumRegistryKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tessory\\Formats"), QStringList({"MP3"}));
}

TEST_F(RegistryRoutinesTest, ValuesSurviveAReloadFromDisk) {
  store().SetRegistryValue("kept", "yes", REG_SZ);
  Hive::SetFolder(Hive::Folder());  // drops the cache
  EXPECT_EQ(store().GetRegistryValue("kept"), "yes");
}

TEST(RegistryTrimNull, CutsAtTheFirstNulWithinTheLimit) {
  QString a = "abc";
  EXPECT_EQ(RegistryRoutines::TrimNull(a), "abc");
  QString b = QString::fromUtf8("ab\0cd", 5);
  EXPECT_EQ(RegistryRoutines::TrimNull(b), "ab");
  QString c = QString(40000, 'x') + QChar(0) + "y";
  EXPECT_EQ(RegistryRoutines::TrimNull(c).size(), 40002);
}

TEST(RegistryDamagedFile, ReadsAsMissingKeysAndIsNeverOverwritten) {
  TestEnv::ResetHive();
  QDir().mkpath(Hive::Folder());
  const QString file = Hive::Folder() + "/machine.hive";
  const QByteArray junk("{\"keys\": [ {\"name\": \"SOFT");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(junk);
  }
  Hive::SetFolder(Hive::Folder());
  EXPECT_TRUE(Hive::Damaged(HKEY_LOCAL_MACHINE));
  RegistryRoutines r = store();
  EXPECT_FALSE(r.KeyExists());
  EXPECT_EQ(r.CreateKey(), "");
  EXPECT_FALSE(r.KeyExists());
  EXPECT_FALSE(r.SetRegistryValue("x", "1", REG_SZ));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), junk);
  EXPECT_FALSE(Hive::Damaged(HKEY_CURRENT_USER));  // the other root is unaffected
}
