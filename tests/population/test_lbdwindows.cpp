// The population register from the windows: the check from the card
// window's member panel, and the name comparison window.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QTableWidget>

#include "CardWindowFixture.h"
#include "Dialogs.h"
#include "LBDNames.h"
#include "LbdCompare.h"
#include "MainForm.h"
#include "Modal.h"
#include "PopulationFile.h"
#include "Progress.h"
#include "lbddialog.h"

namespace {

const QString kMaria = QStringLiteral("7501020018");
const QString kStoyan = QStringLiteral("8001010000");

// A person with every part the check shows.
Person maria() {
  Person p = named(kMaria, QStringLiteral("Мария"), QStringLiteral("Иванова"), QStringLiteral("Петрова"));
  p.insert({{QStringLiteral("PAddrPopulatedPlace"), QStringLiteral("Долинец")},
            {QStringLiteral("PAddrStreet"), QStringLiteral("Рила")},
            {QStringLiteral("PAddrNumber"), QStringLiteral("5")},
            {QStringLiteral("PAddrEntrance"), QStringLiteral("А")},
            {QStringLiteral("PAddrFloor"), QStringLiteral("3")},
            {QStringLiteral("PAddrAppartment"), QStringLiteral("12")},
            {QStringLiteral("PAddrDate"), QStringLiteral("20050201")},
            {QStringLiteral("CAddrPopulatedPlace"), QStringLiteral("Долинец")},
            {QStringLiteral("CAddrStreet"), QStringLiteral("Шипка")},
            {QStringLiteral("CAddrNumber"), QStringLiteral("9")},
            {QStringLiteral("CAddrDate"), QStringLiteral("20100315")},
            {QStringLiteral("IdDocNumber"), QStringLiteral("640123456")},
            {QStringLiteral("IdDocDate"), QStringLiteral("20190304")},
            {QStringLiteral("IdDocRPU"), QStringLiteral("МВР")},
            {QStringLiteral("IdDocPopulatedPlace"), QStringLiteral("Долинец")}});
  return p;
}

// Without identity-card data and without registration dates.
Person stoyan() {
  Person p = named(kStoyan, QStringLiteral("Стоян"), QString(), QString());
  p.insert({{QStringLiteral("CAddrPopulatedPlace"), QStringLiteral("Бреза")},
            {QStringLiteral("CAddrStreet"), QStringLiteral("Витоша")},
            {QStringLiteral("CAddrNumber"), QStringLiteral("1")},
            {QStringLiteral("CAddrDate"), QStringLiteral("20100231")}});
  return p;
}

// ------------------------------------------------------------ the check from the card window

class LbdCheckTest : public CardWindowFixture {
 protected:
  PopulationFile pop;
  std::unique_ptr<TLBDForm> form;

  void SetUp() override {
    CardWindowFixture::SetUp();
    pop.write({maria(), stoyan()});
    form = std::make_unique<TLBDForm>();
    w->OpenCard(0, true, false);
    w->mNotes->setPlainText(QStringLiteral("Бележка"));
    w->ebAdress->setText(QStringLiteral("стар адрес"));
    w->dtAdress->setDate(QDate(1999, 1, 1));
  }
  void TearDown() override {
    Dialogs::queueAnswer(false);  // the typing of SetUp is not stored
    w->CancelClick();
    form.reset();
    CardWindowFixture::TearDown();
  }
  // Presses "Провека в ЛБД ..." for this EGN; `act` works the check window,
  // when one comes up, and closes it.
  void check(const QString &egn, std::function<void(TLBDForm *)> act = nullptr) {
    w->PersonEGN->setText(egn);
    if (act) zvtest::onModal<TLBDForm>(act, QStringLiteral("LBDForm"));
    w->bLBD->click();
  }
  QStringList cardBoxes() const {
    return {w->FirstName->text(), w->PersonEGN->text(), w->PersonNotes->text(), w->ebAdress->text(),
            w->dtAdress->date().toString(Qt::ISODate), w->mNotes->toPlainText()};
  }
  static QStringList boxes(const TLBDForm *f) {
    return {f->Name->text(),     f->EGN->text(),      f->Address1->text(), f->AddrReg1->text(),
            f->Address2->text(), f->AddrReg2->text(), f->IDInfo->text()};
  }
};

TEST_F(LbdCheckTest, TheCheckWindowAsItStarts) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Проверка в Локална База Данни"));
  for (QLineEdit *box : {form->Name, form->EGN, form->Address1, form->AddrReg1, form->Address2, form->AddrReg2,
                         form->IDInfo})
    EXPECT_TRUE(box->isReadOnly()) << box->objectName().toStdString();
  const QList<std::pair<QCheckBox *, bool>> ticks = {{form->CB1, true},  {form->CB2, true},  {form->CB3, false},
                                                      {form->CB4, false}, {form->CB5, false}, {form->CB6, false},
                                                      {form->CB7, false}};
  for (const auto &[box, ticked] : ticks) {
    EXPECT_EQ(box->isChecked(), ticked) << box->objectName().toStdString();
    EXPECT_TRUE(box->text().isEmpty());
  }
  EXPECT_FALSE(form->CB2->isEnabled());
  EXPECT_TRUE(form->CB1->isEnabled());
  EXPECT_EQ(form->Button1->text(), QStringLiteral("Попълване на избраните данни"));
  EXPECT_EQ(form->Button2->text(), QStringLiteral("Отказ"));
  EXPECT_TRUE(w->bLBD->isEnabled());
  EXPECT_EQ(w->bLBD->text(), QStringLiteral("Провека в ЛБД ..."));
}

TEST_F(LbdCheckTest, TickedPartsGoIntoTheCardWindowOnly) {
  w->PersonNotes->setText(QStringLiteral("Студент"));
  QStringList shown;
  check(kMaria, [&](TLBDForm *f) {
    shown = boxes(f);
    for (QCheckBox *b : {f->CB3, f->CB4, f->CB5, f->CB6, f->CB7}) b->setChecked(true);
    f->Button1->click();
  });
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Мария Иванова Петрова"), kMaria,
                                QStringLiteral("Долинец Рила 5 вх.А ет.3 ап.12"), QStringLiteral("01.02.2005"),
                                QStringLiteral("Долинец Шипка 9"), QStringLiteral("15.03.2010"),
                                QStringLiteral("№640123456 от 04.03.2019,издаден от МВР Долинец")}));
  EXPECT_EQ(cardBoxes(),
            (QStringList{QStringLiteral("Мария Иванова Петрова"), kMaria,
                         QStringLiteral("Студент; Лична карта №640123456 от 04.03.2019,издаден от МВР Долинец"),
                         QStringLiteral("Долинец Шипка 9"), QStringLiteral("2010-03-15"),
                         QStringLiteral("Бележка; Постоянен адрес: Долинец Рила 5 вх.А ет.3 ап.12, адр.рег от "
                                        "дата 01.02.2005")}));
  EXPECT_TRUE(Dialogs::shown().isEmpty());
  // Nothing is stored until the clerk stores the card.
  EXPECT_EQ(own(QStringLiteral("select count(*) from RGS_PERSON")), QStringList{QStringLiteral("0")});
  EXPECT_EQ(own(QStringLiteral("select count(*) from RGS_CARD")), QStringList{QStringLiteral("0")});
}

TEST_F(LbdCheckTest, NotFoundCancelledOrNoServiceChangeNothing) {
  w->FirstName->setText(QStringLiteral("Име"));
  struct Case {
    const char *what;
    QString egn;
    bool cancel;      // the check window comes up and "Отказ" closes it
    QString message;  // else this message
    bool noService;
  };
  const Case cases[] = {
      {"not in the register", QStringLiteral("1111111111"), false,
       QStringLiteral("Лице с това ЕГН не фигурира в Локална База Данни"), false},
      {"cancelled", kMaria, true, QString(), false},
      {"no service", kMaria, false, QStringLiteral("НЯМА ВРЪЗКА С ЛБД!"), true},
  };
  for (const Case &c : cases) {
    if (c.noService) qputenv("ZV_PERSONINFO_DATA", QFile::encodeName(pop.dir.filePath(QStringLiteral("none.tsv"))));
    const QStringList before = cardBoxes();
    Dialogs::clearShown();
    bool opened = false;
    check(c.egn, c.cancel ? std::function<void(TLBDForm *)>([&](TLBDForm *f) {
      opened = true;
      for (QCheckBox *b : {f->CB3, f->CB5, f->CB6, f->CB7}) b->setChecked(true);
      f->Button2->click();
    })
                          : nullptr);
    EXPECT_EQ(opened, c.cancel) << c.what;
    QStringList after = cardBoxes();
    after[1] = before[1];  // the EGN typed for the check
    EXPECT_EQ(after, before) << c.what;
    if (c.message.isEmpty()) {
      EXPECT_TRUE(Dialogs::shown().isEmpty()) << c.what;
    } else {
      ASSERT_EQ(Dialogs::shown().size(), 1) << c.what;
      EXPECT_EQ(Dialogs::shown().first().text, c.message) << c.what;
    }
  }
  EXPECT_EQ(Dialogs::shown().first().icon, Dialogs::Icon::Error);  // the error display
}

TEST_F(LbdCheckTest, TwoChecksInARowKeepTheTicksAndShowOnlyTheNewPerson) {
  w->PersonNotes->clear();
  check(kMaria, [](TLBDForm *f) {
    f->CB1->setChecked(false);
    f->CB7->setChecked(true);
    f->Button1->click();
  });
  const QString afterFirst = QStringLiteral("Лична карта №640123456 от 04.03.2019,издаден от МВР Долинец");
  EXPECT_EQ(w->PersonNotes->text(), afterFirst);
  EXPECT_EQ(w->FirstName->text(), QString()) << "CB1 was unticked";

  QStringList shown;
  bool cb1 = true, cb7 = false;
  check(kStoyan, [&](TLBDForm *f) {
    shown = boxes(f);
    cb1 = f->CB1->isChecked();
    cb7 = f->CB7->isChecked();
    f->CB6->setChecked(true);
    f->Button1->click();
  });
  EXPECT_FALSE(cb1);
  EXPECT_TRUE(cb7);
  // A date that is no calendar day shows nothing and copies nothing.
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Стоян  "), kStoyan, QStringLiteral("  "), QString(),
                                QStringLiteral("Бреза Витоша 1"), QString(), QString()}));
  EXPECT_EQ(w->PersonNotes->text(), afterFirst + QStringLiteral("; "));
  EXPECT_EQ(w->dtAdress->date(), QDate(1999, 1, 1));
}

// ------------------------------------------------------------ the name comparison

class LbdNamesTest : public ::testing::Test {
 protected:
  TempRegister reg;
  PopulationFile pop;
  std::unique_ptr<TDataModule1> dm;
  std::unique_ptr<TLbdNamesForm> form;
  int card = 0;

  void SetUp() override {
    dm = std::make_unique<TDataModule1>();
    dm->connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
    fb::execute(dm->Database, dm->Transaction,
                QStringLiteral("insert into RGS_CARD (CARD_ID, REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, "
                               "STATUS) values (1, 1, '01.02.2003', 'адрес', 1, 9, 'Default', 1)"));
    form = std::make_unique<TLbdNamesForm>();
  }
  void TearDown() override {
    form.reset();
    if (dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
  }
  void member(const QString &name, const QString &egn) {
    fb::execute(dm->Database, dm->Transaction,
                QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (1, ?, ?, 0)"),
                {name, egn});
  }
  QStringList rows() const {
    QStringList out;
    for (int r = 0; r < form->slNames->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < 4; ++c) {
        const QTableWidgetItem *i = form->slNames->item(r, c);
        cells << (i ? i->text() : QString());
      }
      cells[2] = cells[2].trimmed();
      out << cells.join(QLatin1Char('|'));
    }
    return out;
  }
  QStringList committedNames() const {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    zv::Query q(db, tr);
    q.SQL = QStringList{QStringLiteral("select EGN, NAME from RGS_PERSON order by PERSON_ID")};
    q.open();
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r) out << q.value(r, 0).toString() + '|' + q.value(r, 1).toString().trimmed();
    tr.commit();
    return out;
  }
};

TEST_F(LbdNamesTest, ListsTheDifferencesAndReplacesOneMemberAtATime) {
  const QString a = QStringLiteral("7501020018"), b = QStringLiteral("7502030027"), c = QStringLiteral("7503040036"),
                d = QStringLiteral("7504050045"), e = QStringLiteral("7505060054"), f = QStringLiteral("7506070063");
  pop.write({named(a, QStringLiteral("Иван"), QStringLiteral("Петров"), QStringLiteral("Иванов")),
             named(b, QStringLiteral("Иван"), QStringLiteral("Петров"), QStringLiteral("Иванов")),
             named(c, QStringLiteral("Мария"), QStringLiteral("Иванова"), QStringLiteral("Петрова")),
             named(e, QStringLiteral("Петър"), QStringLiteral("Иванов"), QStringLiteral("Петров")),
             named(f, QStringLiteral("Гергана"), QString(), QString())});
  member(QStringLiteral("Иван Петров Иванов"), a);            // equal but for the padding
  member(QStringLiteral("иван петров иванов"), b);            // letter case
  member(QStringLiteral("Мария Иванова Петрова-Колева"), c);  // longer, beginning with the register's name
  member(QStringLiteral("Стоян Стоянов"), d);                 // not in the register
  member(QStringLiteral("Петър Петров"), e);                  // two members share one EGN
  member(QStringLiteral("П. Петров"), e);
  member(QStringLiteral("Гергана"), f);                       // only a first name: two blanks follow

  // Showing the window runs the comparison.
  zvtest::onModal<TLbdNamesForm>([](TLbdNamesForm *w) { w->bExit->click(); }, QStringLiteral("LbdNamesForm"));
  form->exec();
  EXPECT_TRUE(Dialogs::shown().isEmpty());
  EXPECT_EQ(rows(), (QStringList{"1|" + b + "|иван петров иванов|Иван Петров Иванов",
                                 "2|" + e + "|Петър Петров|Петър Иванов Петров",
                                 "3|" + e + "|П. Петров|Петър Иванов Петров"}));
  EXPECT_EQ(form->slNames->item(0, 2)->text().size(), 100) << "the whole stored name";
  EXPECT_TRUE(form->bSave->isEnabled());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Имена от Локална База Данни Население"));
  const QStringList headings{"#", "ЕГН", "Име от базата дани", "Име от ЛБД"};
  for (int col = 0; col < 4; ++col)
    EXPECT_EQ(form->slNames->horizontalHeaderItem(col)->text(), headings[col]);
  EXPECT_EQ(form->slNames->columnWidth(1), 86);
  EXPECT_EQ(form->slNames->columnWidth(2), 246);

  // The first member with the shared EGN takes the register's name; the
  // list is built again and numbered from 1.
  form->slNames->setCurrentCell(1, 0);
  form->bSaveClick();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown().first().text, QStringLiteral("Името е променено!"));
  EXPECT_EQ(Dialogs::shown().first().caption, QStringLiteral("Потвърждение"));
  EXPECT_EQ(rows(), (QStringList{"1|" + b + "|иван петров иванов|Иван Петров Иванов",
                                 "2|" + e + "|П. Петров|Петър Иванов Петров"}));
  EXPECT_EQ(committedNames()[4], e + QStringLiteral("|Петър Иванов Петров")) << "committed, retaining";

  // A double click replaces the selected one.
  Dialogs::clearShown();
  form->slNames->setCurrentCell(0, 3);
  emit form->slNames->cellDoubleClicked(0, 3);
  EXPECT_EQ(rows(), (QStringList{"1|" + e + "|П. Петров|Петър Иванов Петров"}));
  EXPECT_EQ(committedNames(),
            (QStringList{a + "|Иван Петров Иванов", b + "|Иван Петров Иванов", c + "|Мария Иванова Петрова-Колева",
                         d + "|Стоян Стоянов", e + "|Петър Иванов Петров", e + "|П. Петров", f + "|Гергана"}));
}

TEST_F(LbdNamesTest, MemberHeldElsewhereKeepsItsNameAndTheCardIsNamed) {
  const QString e = QStringLiteral("7505060054");
  pop.write({named(e, QStringLiteral("Петър"), QStringLiteral("Иванов"), QStringLiteral("Петров"))});
  member(QStringLiteral("Петър Петров"), e);
  dm->Transaction.commit();
  fb::Database other;
  other.databaseName = reg.path;
  other.connect();
  fb::Transaction tr(other);
  fb::execute(other, tr, QStringLiteral("update RGS_PERSON set PERSON_TYPE = 0 where EGN = ?"), {e});
  zvtest::onModal<TLbdNamesForm>(
      [](TLbdNamesForm *w) {
        w->slNames->setCurrentCell(0, 0);
        w->bSaveClick();
        w->bExit->click();
      },
      QStringLiteral("LbdNamesForm"));
  form->exec();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_TRUE(Dialogs::shown().first().text.startsWith(QStringLiteral(
      "Името не е променено: картон с рег. номер 1 се променя на друго работно място. Опитайте отново.\n")))
      << Dialogs::shown().first().text.toStdString();
  EXPECT_EQ(Dialogs::shown().first().icon, Dialogs::Icon::Error);
  EXPECT_EQ(rows(), (QStringList{"1|" + e + "|Петър Петров|Петър Иванов Петров"}));
  EXPECT_FALSE(dm->Transaction.active());  // nothing of it pending
  tr.commit();
  other.disconnect();
  EXPECT_EQ(committedNames(), QStringList{e + QStringLiteral("|Петър Петров")});
}

TEST_F(LbdNamesTest, NoDifferenceLeavesOneEmptyRowAndSaveDisabled) {
  const QString a = QStringLiteral("7501020018");
  pop.write({named(a, QStringLiteral("Иван"), QStringLiteral("Петров"), QStringLiteral("Иванов"))});
  member(QStringLiteral("Иван Петров Иванов"), a);
  dm->Transaction.commitRetaining();
  form->Compare();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  const Dialogs::Shown m = Dialogs::shown().first();
  EXPECT_EQ(m.text, QStringLiteral("Не са намерени никакви съвпадащи ЕГН-та с различаващи се имена от ЛБД"));
  EXPECT_EQ(m.caption, QStringLiteral("Греша"));
  EXPECT_EQ(m.icon, Dialogs::Icon::Error);
  EXPECT_EQ(rows(), QStringList{QStringLiteral("|||")});
  EXPECT_FALSE(form->bSave->isEnabled());

  // A double click then only builds the list again.
  Dialogs::clearShown();
  emit form->slNames->cellDoubleClicked(0, 0);
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown().first().caption, QStringLiteral("Греша"));
  EXPECT_EQ(committedNames(), QStringList{a + "|Иван Петров Иванов"});
}

TEST_F(LbdNamesTest, NoServiceBuildsNoList) {
  member(QStringLiteral("Иван Петров Иванов"), QStringLiteral("7501020018"));
  EXPECT_THROW(form->Compare(), zv::PersonInfoUnavailable);
  zvtest::onModal<TLbdNamesForm>([](TLbdNamesForm *w) { w->bExit->click(); }, QStringLiteral("LbdNamesForm"));
  form->exec();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown().first().text, QStringLiteral("НЯМА ВРЪЗКА С ЛБД!"));
  EXPECT_EQ(rows(), QStringList{QStringLiteral("|||")});
  EXPECT_FALSE(form->bSave->isEnabled());
}

TEST_F(LbdNamesTest, TheComparisonShowsItsProgress) {
  QList<Person> people;
  for (int i = 0; i < 300; ++i) {
    const QString egn = QStringLiteral("75%1").arg(i, 8, 10, QLatin1Char('0'));
    member(QStringLiteral("Име %1").arg(i), egn);
    people << named(egn, QStringLiteral("Име"), QString::number(i % 7 ? i : i + 1), QString());
  }
  pop.write(people);
  zv::RecordingProgress progress;
  const auto found = zv::FindNameDifferences(dm->Database, dm->Transaction, &progress);
  EXPECT_EQ(found.size(), 43u);  // every seventh name: 0, 7, ... 294
  EXPECT_EQ(found.front().egn, QStringLiteral("7500000000"));
  EXPECT_FALSE(progress.shown);
  ASSERT_FALSE(progress.positions.empty());
  EXPECT_GE(progress.positions.back(), 99);
  EXPECT_LE(progress.positions.size(), 100u);
}

TEST_F(LbdNamesTest, F10OpensTheWindowForLevelsBelowThree) {
  pop.write({});
  TMainForm main;
  for (const int level : {3, 2}) {
    main.AccessLevel = level;
    Dialogs::clearShown();
    bool opened = false;
    if (level < 3)
      zvtest::onModal<TLbdNamesForm>(
          [&](TLbdNamesForm *w) {
            opened = true;
            w->bExit->click();
          },
          QStringLiteral("LbdNamesForm"));
    auto *action = main.findChild<QAction *>(QStringLiteral("mLBDNames"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_F10));
    action->trigger();
    EXPECT_EQ(opened, level < 3);
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown().first().text, level < 3 ? zv::NoNameDifferencesText()
                                                       : QStringLiteral("Потребителят не разполага с достатъчно права"));
  }
}

}  // namespace
