// The Windows-1251 INI file: what is written is read back, also in a file
// that names a section twice or holds lines that are not entries.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "IniFile.h"

namespace {

TEST(IniFile, WrittenKeyReadsBackInAFileWithRepeatedSections) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("zv.ini"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("junk before any section\r\n[User]\r\nlastuser=first\r\n=no key\r\nnot an entry\r\n"
          "[user]\r\nlastuser=second\r\n");
  f.close();
  IniFile ini(path);
  EXPECT_EQ(ini.readString(QStringLiteral("USER"), QStringLiteral("LastUser"), QString()), QStringLiteral("first"));
  ASSERT_TRUE(ini.writeString(QStringLiteral("User"), QStringLiteral("lastuser"), QStringLiteral("Мария")));
  EXPECT_EQ(ini.readString(QStringLiteral("User"), QStringLiteral("lastuser"), QString()), QStringLiteral("Мария"));
  // Stored as Windows-1251; a value with a line break or no such code is refused.
  QFile back(path);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_TRUE(back.readAll().contains("lastuser=\xcc\xe0\xf0\xe8\xff\r\n"));
  EXPECT_FALSE(ini.writeString(QStringLiteral("User"), QStringLiteral("x"), QStringLiteral("two\nlines")));
  EXPECT_FALSE(ini.writeString(QStringLiteral("User"), QStringLiteral("x"), QStringLiteral("emoji \U0001F600")));
  EXPECT_EQ(ini.readString(QStringLiteral("User"), QStringLiteral("x"), QStringLiteral("none")), QStringLiteral("none"));
}

}  // namespace
