// Careless and hostile texts typed into every field of the card window that
// reaches the database, and into the search: each is stored and found exactly
// as typed, or refused with one message before anything is written.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QPlainTextEdit>

#include "CardWindowFixture.h"
#include "CardWidgets.h"
#include "SearchFilter.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString kHolderEgn = egnOf(1985, 3, 10, 123);

class HostileInput : public CardWindowFixture {
 protected:
  // The card's text boxes with the column each one fills.
  std::vector<std::pair<QLineEdit *, QString>> cardBoxes() {
    return {{w->ebAdress, "ADRESS"},   {w->ebGot, "GOT_HOUSE"}, {w->ebCheck, "CHECK_NAME"},
            {w->ebLCond, "L_CONDITIONS"}, {w->ebDeals, "DEALS"}, {w->ebAssets, "ASSETS"},
            {w->doctxt, "DOC_IDTXT"},   {w->dek_id, "LASTDEK_ID"}};
  }
  void newCard(int regNum, const QString &name, const QString &text, const QString &egn) {
    w->OpenCard(0, true, false);
    w->ebRegNum->setText(QString::number(regNum));
    member(name, zv::kHolder, egn);
    w->PersonNotes->setText(text);
    w->re6_telk->setText(text);
    w->AddClick();
    w->cbGroup->setCurrentIndex(1);
    w->cbsubGroup->setCurrentIndex(0);
    w->cbStatus->setCurrentIndex(1);
    w->dtAdress->setDate(kToday.addYears(-10));
    for (const auto &[box, column] : cardBoxes()) box->setText(text);
    w->ebAdress->setText(text.isEmpty() ? QStringLiteral("ул. Роза 1") : text);
    w->mNotes->setPlainText(text);
    if (!text.isEmpty()) {
      // A stamped note added from the one-line box as well.
      w->note_txt->setText(text);
      w->add_noteClick();
    }
  }
  static QString trimmedRight(QString s) {
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
  }
  // The holders a name search lists, as registration numbers.
  QStringList foundByName(const QString &name) {
    zv::SearchCriteria c;
    c.nameOn = true;
    c.name = name;
    const zv::SearchFilter f = zv::BuildSearchFilter(c, [](const QString &, const QString &) { return -1; });
    dm->setMainLines(f.filter, QStringLiteral(" order by Reg_Num"));
    QStringList out;
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r) out << dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toString();
    return out;
  }
};

TEST_F(HostileInput, TextsReachingSqlAreStoredAndFoundExactlyAsTyped) {
  const QString overlong = QStringLiteral("Дълъг ") + QString(300, QChar(u'щ'));
  const QString texts[] = {
      QStringLiteral("О'Брайън ''двойни'' \"кавички\""),
      QStringLiteral("'; drop table rgs_card; --"),
      QStringLiteral("100% сигурно"),
      QStringLiteral("а_б"),
      QStringLiteral("C:\\път\\\\файл \\'"),
      QStringLiteral("ред едно\nред две\r\nтри"),
      overlong,
  };
  int regNum = 1;
  for (const QString &text : texts) {
    SCOPED_TRACE(text.left(40).toStdString());
    Dialogs::clearShown();
    // A decoy whose name a wildcard reading of the text would also find.
    QString decoyName = QStringLiteral("Мария ") + text.left(60);
    for (QChar &c : decoyName)
      if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) c = QChar(u'Ж');
    const QString name = QStringLiteral("Мария ") + text.left(60);
    newCard(regNum, decoyName == name ? QStringLiteral("Петя Петрова") : decoyName, QStringLiteral("примамка"),
            egnOf(1960, 2, 2, regNum));
    w->OKClick();
    ASSERT_EQ(Dialogs::shown().size(), 1) << Dialogs::shown().front().text.toStdString();
    ASSERT_EQ(Dialogs::shown()[0].text, QStringLiteral("Данните са регистрирани успешно!"));
    Dialogs::clearShown();

    newCard(regNum + 1, name, text, egnOf(1985, 3, 10, regNum));
    // What each box holds: never more than its column takes.
    std::vector<std::pair<QString, QString>> expected;
    for (const auto &[box, column] : cardBoxes()) {
      EXPECT_LE(box->text().size(), box->maxLength()) << column.toStdString();
      expected.emplace_back(column, box->text());
    }
    const QString memo = zv::MemoText(w->mNotes);
    EXPECT_GE(memo.count(text.section(QLatin1Char('\n'), 0, 0).left(50)), 2);  // typed, and added as a note
    const zv::MemberRow holder = w->Rows().at(0);
    w->OKClick();
    ASSERT_EQ(Dialogs::shown().size(), 1) << Dialogs::shown()[0].text.toStdString();
    ASSERT_EQ(Dialogs::shown()[0].text, QStringLiteral("Данните са регистрирани успешно!"));

    const QString where = QStringLiteral(" from RGS_CARD where REG_NUM = %1").arg(regNum + 1);
    for (const auto &[column, typed] : expected) {
      zv::Query q(dm->Database, dm->Transaction);
      q.SQL = QStringList{QStringLiteral("select ") + column + where};
      q.open();
      EXPECT_EQ(trimmedRight(q.fieldByName(column).asString()), typed) << column.toStdString();
    }
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{QStringLiteral("select C.NOTES, P.NAME, P.NOTES as PNOTES, P.TELK_NUM from RGS_CARD C, "
                                       "RGS_PERSON P where C.CARD_ID = P.CARD_ID and C.REG_NUM = %1")
                            .arg(regNum + 1)};
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    // The notes are kept with CR LF line breaks; the memo shows LF.
    const auto lf = [](QString t) { return t.remove(QLatin1Char('\r')); };
    EXPECT_TRUE(lf(q.fieldByName(QStringLiteral("NOTES")).asString()).contains(lf(memo)));
    EXPECT_EQ(trimmedRight(q.fieldByName(QStringLiteral("NAME")).asString()), holder[zv::cellName]);
    EXPECT_EQ(trimmedRight(q.fieldByName(QStringLiteral("PNOTES")).asString()), holder[zv::cellNotes]);
    EXPECT_EQ(trimmedRight(q.fieldByName(QStringLiteral("TELK_NUM")).asString()), holder[zv::cellTelk]);
    EXPECT_EQ(own(QStringLiteral("select count(*) from RGS_CARD")).value(0).toInt(), regNum + 1);

    // The search finds the card by what was typed, and not the decoy.
    EXPECT_EQ(foundByName(holder[zv::cellName]), QStringList{QString::number(regNum + 1)});
    regNum += 2;
  }
}

TEST_F(HostileInput, CharactersWithoutAWindows1251FormAreRefusedNamingTheField) {
  const std::pair<QString, QString> texts[] = {
      {QStringLiteral("Ελληνικά"), QStringLiteral("Ε")},
      {QStringLiteral("усмивка 😀"), QStringLiteral("😀")},
      {QStringLiteral("Őz"), QStringLiteral("Ő")},
  };
  for (const auto &[text, bad] : texts) {
    SCOPED_TRACE(text.toStdString());
    for (const auto &[boxName, field] :
         std::vector<std::pair<QString, QString>>{{"ebAdress", "Адрес"}, {"ebDeals", "Сделки с недвижими имоти"},
                                                  {"mNotes", "Бележки"}}) {
      Dialogs::clearShown();
      newCard(1, QStringLiteral("Мария Иванова"), QString(), kHolderEgn);
      const QStringList before = committed(QStringLiteral("select count(*) from RGS_CARD"));
      if (boxName == QLatin1String("mNotes"))
        w->mNotes->setPlainText(text);
      else
        w->findChild<QLineEdit *>(boxName)->setText(text);
      w->OKClick();
      ASSERT_EQ(Dialogs::shown().size(), 1);
      EXPECT_TRUE(Dialogs::shown()[0].text.contains(QLatin1Char('"') + field + QLatin1Char('"')))
          << Dialogs::shown()[0].text.toStdString();
      EXPECT_TRUE(Dialogs::shown()[0].text.contains(bad));
      EXPECT_EQ(own(QStringLiteral("select count(*) from RGS_CARD")), QStringList{"0"});
      EXPECT_EQ(committed(QStringLiteral("select count(*) from RGS_CARD")), before);
      // The window keeps what was typed.
      if (boxName == QLatin1String("mNotes"))
        EXPECT_EQ(zv::MemoText(w->mNotes), text);
      else
        EXPECT_EQ(w->findChild<QLineEdit *>(boxName)->text(), text);
    }
    // A member's name is refused when it is added, before any row is made.
    Dialogs::clearShown();
    w->OpenCard(0, true, false);
    member(QStringLiteral("Мария ") + text, zv::kHolder, kHolderEgn);
    w->AddClick();
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_TRUE(Dialogs::shown()[0].text.contains(QStringLiteral("\"Име\""))) << Dialogs::shown()[0].text.toStdString();
  }
}

TEST_F(HostileInput, EveryTextBoxIsNoLongerThanItsColumn) {
  const std::pair<const char *, int> widths[] = {
      {"ebAdress", 100}, {"ebGot", 100},  {"ebCheck", 100},    {"ebLCond", 150},   {"ebDeals", 150},
      {"ebAssets", 150}, {"doctxt", 25},  {"dek_id", 30},      {"FirstName", 100}, {"PersonEGN", 10},
      {"PersonNotes", 200}, {"re6_telk", 40}, {"ebRegNum", 9}, {"pr", 9},
  };
  for (const auto &[name, width] : widths) {
    auto *box = w->findChild<QLineEdit *>(QLatin1String(name));
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->maxLength(), width) << name;
  }
}

}  // namespace
