// The Options window: the user's texts in zv.ini (Windows-1251) and the
// shared counters and heading in NOM, on a fresh register and a temporary
// profile folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "DataModule.h"
#include "Dialogs.h"
#include "IniFile.h"
#include "Options.h"
#include "TempRegister.h"

namespace {

// Sets an environment variable for one scope; unsets or restores it after.
class EnvVar {
 public:
  EnvVar(const char *name, const QString &value) : name_(name), had_(qEnvironmentVariableIsSet(name)) {
    if (had_) old_ = qgetenv(name);
    set(value);
  }
  ~EnvVar() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }
  void set(const QString &value) {
    if (value.isNull())
      qunsetenv(name_);
    else
      qputenv(name_, value.toLocal8Bit());
  }

 private:
  const char *name_;
  bool had_;
  QByteArray old_;
};

class Options : public ::testing::Test {
 protected:
  TempRegister reg;
  TDataModule1 dm;
  QTemporaryDir profile;
  EnvVar userProfile{"USERPROFILE", profile.path()};
  TOptionsForm form;

  void SetUp() override {
    dm.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
    Dialogs::setScripted(true);
    Dialogs::clearShown();
  }
  void TearDown() override {
    if (dm.Database.connected()) {
      dm.Transaction.rollback();
      dm.Database.disconnect();
    }
  }
  QString iniPath() const { return profile.filePath(QStringLiteral("zv.ini")); }
  QString ini(const QString &key) const { return IniFile(iniPath()).readString("User", key, QStringLiteral("<none>")); }
  // NOM row n as the server has it now (in the shared transaction).
  QVariant nom(int n, const QString &column) {
    zv::Query q(dm.Database, dm.Transaction);
    q.SQL = QStringList{QStringLiteral("select %1 from NOM where N = %2").arg(column).arg(n)};
    q.open();
    return q.value(0, 0);
  }
  void exec(const QString &sql) { fb::execute(dm.Database, dm.Transaction, sql); }
  QStringList shownTexts() const {
    QStringList out;
    for (const Dialogs::Shown &s : Dialogs::shown()) out << s.text;
    return out;
  }
};

TEST_F(Options, ProfileWithoutSettingsFileOffersDefaultsAndTheCounters) {
  form.setAccessLevel(2);
  form.LoadValues();
  EXPECT_EQ(form.PrHeader->text(), QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ ОТ"));
  EXPECT_EQ(form.PrFooter->text(), QStringLiteral("Проверил:_________"));
  EXPECT_EQ(form.lastn->text(), QStringLiteral("0"));
  EXPECT_EQ(form.currn->text(), QStringLiteral("0"));
  EXPECT_EQ(form.DateNum->text(), QStringLiteral("5"));
  EXPECT_EQ(form.edSob->text(), QStringLiteral("ОБЩИНА ДОЛИНЕЦ"));
  EXPECT_FALSE(QFile::exists(iniPath()));  // reading creates nothing

  for (int level : {0, 1, 2, 3, 4, 6}) {
    form.setAccessLevel(level);
    form.LoadValues();
    EXPECT_EQ(form.edSob->isEnabled(), level == 1) << level;
    EXPECT_EQ(form.DateNum->isEnabled(), level == 1) << level;
    EXPECT_FALSE(form.lastn->isEnabled()) << level;
    EXPECT_TRUE(form.currn->isEnabled()) << level;
  }

  // After the first "ОК" the file holds what the window offered.
  EXPECT_TRUE(form.SaveValues());
  EXPECT_EQ(ini(QStringLiteral("pageheader")), QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ ОТ"));
  EXPECT_EQ(ini(QStringLiteral("pagefooter")), QStringLiteral("Проверил:_________"));
}

TEST_F(Options, CurrentNumberIsWrittenToRowsOneAndZeroOnlyWhenChanged) {
  form.setAccessLevel(2);
  form.LoadValues();
  // Another workstation moves the counters meanwhile; an unchanged field
  // leaves them alone.
  exec(QStringLiteral("update NOM set COUNTER = 77 where N = 0"));
  exec(QStringLiteral("update NOM set COUNTER = 88 where N = 1"));
  EXPECT_TRUE(form.SaveValues());
  EXPECT_EQ(nom(0, "COUNTER").toInt(), 77);
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 88);

  form.LoadValues();
  form.currn->setText(QStringLiteral("500"));
  EXPECT_TRUE(form.SaveValues());
  EXPECT_EQ(nom(0, "COUNTER").toInt(), 500);
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 500);
  ASSERT_TRUE(dm.Nom.locate(QStringLiteral("N"), 0));  // Nom was reopened
  EXPECT_EQ(dm.Nom.fieldByName(QStringLiteral("COUNTER")).asInteger(), 500);
  EXPECT_TRUE(Dialogs::shown().isEmpty());
  form.LoadValues();
  EXPECT_EQ(form.lastn->text(), QStringLiteral("500"));
  // through the shared transaction, not yet committed
  dm.Transaction.rollback();
  EXPECT_EQ(nom(0, "COUNTER").toInt(), 0);
}

TEST_F(Options, BadNumberKeepsWhatWasWrittenBefore) {
  // level 2: the texts are saved, then "abc" stops the counters
  form.setAccessLevel(2);
  form.LoadValues();
  form.PrHeader->setText(QStringLiteral("Заглавие Х"));
  form.currn->setText(QStringLiteral("abc"));
  EXPECT_FALSE(form.SaveValues());
  EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Грешно въведени данни")});
  EXPECT_EQ(ini(QStringLiteral("pageheader")), QStringLiteral("Заглавие Х"));
  EXPECT_EQ(ini(QStringLiteral("pagefooter")), QStringLiteral("Проверил:_________"));
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 0);

  // level 1: the counters and the heading go in before the bad minimum years
  Dialogs::clearShown();
  form.setAccessLevel(1);
  form.LoadValues();
  form.currn->setText(QStringLiteral("500"));
  form.edSob->setText(QStringLiteral("ОБЩИНА ТЕСТОВО"));
  form.DateNum->setText(QStringLiteral("пет"));
  EXPECT_FALSE(form.SaveValues());
  EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Грешно въведени данни")});
  EXPECT_EQ(nom(0, "COUNTER").toInt(), 500);
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 500);
  EXPECT_EQ(nom(0, "S_INFO").toString(), QStringLiteral("ОБЩИНА ТЕСТОВО"));
  EXPECT_EQ(nom(3, "COUNTER").toInt(), 5);
  EXPECT_FALSE(dm.Nom.editing());
}

TEST_F(Options, OnlyLevelOneWritesHeadingAndMinimumYears) {
  for (int level : {2, 1}) {
    form.setAccessLevel(level);
    form.LoadValues();
    // set even where the field is disabled
    form.edSob->setText(QStringLiteral("ОБЩИНА ТЕСТОВО"));
    form.DateNum->setText(QStringLiteral("7"));
    EXPECT_TRUE(form.SaveValues()) << level;
    const bool admin = level == 1;
    EXPECT_EQ(nom(0, "S_INFO").toString(), admin ? QStringLiteral("ОБЩИНА ТЕСТОВО") : QStringLiteral("ОБЩИНА ДОЛИНЕЦ"))
        << level;
    EXPECT_EQ(nom(3, "COUNTER").toInt(), admin ? 7 : 5) << level;
  }
}

TEST_F(Options, SettingsFileIsWrittenAsWindows1251) {
  {
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[User]\r\nlastuser=admin\r\n");
  }
  form.LoadValues();
  form.PrHeader->setText(QStringLiteral("Класиране 2024"));
  form.PrFooter->setText(QStringLiteral("Проверил: Ив."));
  EXPECT_TRUE(form.SaveValues());
  QFile f(iniPath());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray expected =
      "[User]\r\n"
      "lastuser=admin\r\n"
      "pageheader=\xCA\xEB\xE0\xF1\xE8\xF0\xE0\xED\xE5 2024\r\n"
      "pagefooter=\xCF\xF0\xEE\xE2\xE5\xF0\xE8\xEB: \xC8\xE2.\r\n"
      "\r\n";
  EXPECT_EQ(f.readAll(), expected);

  form.LoadValues();
  EXPECT_EQ(form.PrHeader->text(), QStringLiteral("Класиране 2024"));
  EXPECT_EQ(form.PrFooter->text(), QStringLiteral("Проверил: Ив."));
}

TEST_F(Options, UnwritableSettingsFileIsNamedAndTheCountersStillWritten) {
  const QString missing = profile.filePath(QStringLiteral("no-such-folder"));
  userProfile.set(missing);
  form.LoadValues();
  form.currn->setText(QStringLiteral("500"));
  EXPECT_TRUE(form.SaveValues());
  EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Файлът с настройки '") + missing +
                                      QStringLiteral("/zv.ini' не може да бъде отворен или редактиран!")});
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 500);
}

TEST_F(Options, OkConfirmsAndCancelWritesNothing) {
  form.setAccessLevel(2);
  const auto answerWith = [&](QPushButton *button, const QString &current) {
    QTimer::singleShot(0, [this, button, current] {
      form.currn->setText(current);
      button->click();
    });
  };
  answerWith(form.bCancel, QStringLiteral("42"));
  EXPECT_FALSE(form.Execute());
  EXPECT_FALSE(QFile::exists(iniPath()));
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 0);

  answerWith(form.bOK, QStringLiteral("42"));
  EXPECT_TRUE(form.Execute());
  EXPECT_TRUE(QFile::exists(iniPath()));
  EXPECT_EQ(nom(1, "COUNTER").toInt(), 42);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Настройки"));
}

TEST(SettingsDir, ProfileThenHomeThenTemporaryFolder) {
  EnvVar profile("USERPROFILE", QString());
  EnvVar home("HOME", QString());
  const QString temp = QDir::tempPath() + QLatin1Char('/');
  struct Case {
    QString userProfile, home, expected;
  } cases[] = {
      {QStringLiteral("/profiles/ivan"), QStringLiteral("/home/ivan"), QStringLiteral("/profiles/ivan/")},
      {QString(), QStringLiteral("/home/ivan"), QStringLiteral("/home/ivan/")},
      {QString(), QString(), temp},
  };
  for (const Case &c : cases) {
    profile.set(c.userProfile);
    home.set(c.home);
    EXPECT_EQ(UserSettingsDir(), c.expected) << c.userProfile.toStdString() << "|" << c.home.toStdString();
    EXPECT_EQ(SettingsFilePath(), c.expected + QStringLiteral("zv.ini"));
  }
}

}  // namespace

namespace {

TEST_F(Options, HostileTextsAreStoredExactlyOrRefusedBeforeAnythingIsWritten) {
  form.setAccessLevel(1);
  const QString texts[] = {QStringLiteral("О'Брайън \"ООД\""), QStringLiteral("'; drop table rgs_card; --"),
                           QStringLiteral("100% _ \\ край")};
  for (const QString &text : texts) {
    SCOPED_TRACE(text.toStdString());
    form.LoadValues();
    form.PrHeader->setText(text);
    form.edSob->setText(text);
    EXPECT_TRUE(form.SaveValues());
    EXPECT_EQ(ini(QStringLiteral("pageheader")), text);
    EXPECT_EQ(nom(0, "S_INFO").toString(), text);
  }
  // No Windows-1251 form: one message naming the field; nothing written.
  const QString kept = texts[2];
  for (QLineEdit *box : {form.PrHeader, form.PrFooter, form.edSob}) {
    Dialogs::clearShown();
    form.LoadValues();
    form.currn->setText(QStringLiteral("77"));
    box->setText(QStringLiteral("Ωμέγα"));
    EXPECT_FALSE(form.SaveValues());
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_TRUE(Dialogs::shown()[0].text.startsWith(QStringLiteral("Полето \""))) << Dialogs::shown()[0].text.toStdString();
    EXPECT_EQ(box->text(), QStringLiteral("Ωμέγα"));
    EXPECT_EQ(ini(QStringLiteral("pageheader")), kept);
    EXPECT_EQ(nom(0, "S_INFO").toString(), kept);
    EXPECT_NE(nom(1, "COUNTER").toInt(), 77);
  }
}

}  // namespace
