#pragma once
// A card window over a fresh register, with the dialog facade scripted, and
// ways to read back what a save wrote.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <memory>

#include "DataModule.h"
#include "Dialogs.h"
#include "Session.h"
#include "TempRegister.h"
#include "ViewKarton.h"
#include "egn.h"

// "Now" in every card window test: 15 June 2024, 10:00.
inline const QDate kToday(2024, 6, 15);
inline void pinNow() { zv::setNow(QDateTime(kToday, QTime(10, 0))); }

// A personal number born on the given day, with its check digit.
inline QString egnOf(int year, int month, int day, int serial) {
  return zv::MakeEgn(QDate(year, month, day), serial);
}

class CardWindowFixture : public ::testing::Test {
 protected:
  TempRegister reg;
  std::unique_ptr<TDataModule1> dm;
  std::unique_ptr<TViewKart> w;

  void SetUp() override {
    pinNow();
    Dialogs::setScripted(true);
    Dialogs::clearShown();
    zv::session() = zv::Session{QStringLiteral("Иван Петров"), QStringLiteral("1"), QStringLiteral("ivan")};
    dm = std::make_unique<TDataModule1>();
    dm->connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
    listAll();
    w = std::make_unique<TViewKart>();
  }
  void TearDown() override {
    w.reset();
    if (dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    zv::setNow(std::nullopt);
    Dialogs::setScripted(false);
  }

  void listAll() { dm->setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num")); }

  // Opens the stored card with this number from the list, without showing.
  void openStored(int regNum, bool editable) {
    listAll();
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r)
      if (dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt() == regNum) dm->MainQuery.setRecNo(r);
    w->OpenCard(1, editable, false);
  }
  // Types a member into the member panel.
  void member(const QString &name, const QString &type, const QString &egn) {
    w->FirstName->setText(name);
    w->PersonType->setCurrentIndex(w->PersonType->findText(type));
    w->PersonEGN->setText(egn);
  }

  // Rows of a statement as "a|b|c": through this workstation's transaction
  // (uncommitted work included), or committed only, through a connection of
  // its own.
  static QStringList rowsOf(zv::Query &q) {
    q.open();
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < q.fieldCount(); ++c) cells << zv::Field(QString(), q.value(r, c)).asString();
      out << cells.join(QLatin1Char('|'));
    }
    return out;
  }
  QStringList own(const QString &sql) {
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{sql};
    return rowsOf(q);
  }
  QStringList committed(const QString &sql) {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    zv::Query q(db, tr);
    q.SQL = QStringList{sql};
    QStringList out = rowsOf(q);
    tr.commit();
    return out;
  }
};
