#pragma once
// A fresh register with a connected data module, the clock pinned and a
// user logged in, and ways to add cards and read back what was stored.
#include <gtest/gtest.h>

#include "DataModule.h"
#include "Session.h"
#include "TempRegister.h"
#include "ZvDate.h"

// Readable texts in failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class BrowseFixture : public ::testing::Test {
 protected:
  TempRegister reg;
  std::unique_ptr<TDataModule1> dm;

  void SetUp() override {
    zv::setNow(QDateTime(QDate(2024, 6, 15), QTime(10, 20, 30)));
    zv::session() = zv::Session{QStringLiteral("Мария Д'Арк"), QStringLiteral("1"), QStringLiteral("maria")};
    dm = std::make_unique<TDataModule1>();
    dm->connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  }
  void TearDown() override {
    if (dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    zv::setNow(std::nullopt);
  }

  void exec(const QString &sql, const std::vector<QVariant> &params = {}) {
    dm->Transaction.ensure();
    fb::execute(dm->Database, dm->Transaction, sql, params);
  }
  // A card with its status and notes (NULL for an invalid QVariant).
  int addCard(int regNum, int status = 1, int kids = 0, const QVariant &notes = QVariant()) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, ADD_USER, STATUS, "
                        "KIDS, NOTES) values (?, '01.02.2003', 'адрес', 1, 9, 1, 'Default', ?, ?, ?)"),
         {regNum, status, kids, notes});
    return scalar(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)).toInt();
  }
  void addPerson(int card, const QString &name, const QString &egn, int type = 0) {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (?, ?, ?, ?)"),
         {card, name, egn, type});
  }
  // One value through this workstation's transaction (its own work included).
  QVariant scalar(const QString &sql) {
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{sql};
    q.open();
    return q.isEmpty() ? QVariant() : q.value(0, 0);
  }
  // One value as another workstation sees it: committed work only.
  QVariant committedScalar(const QString &sql) {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    zv::Query q(db, tr);
    q.SQL = QStringList{sql};
    q.open();
    const QVariant v = q.isEmpty() ? QVariant() : q.value(0, 0);
    tr.commit();
    return v;
  }
  QString notesOf(int card) {
    return scalar(QStringLiteral("select NOTES from RGS_CARD where CARD_ID = %1").arg(card)).toString();
  }
  // The listed rows as "REG_NUM NAME", names without their padding.
  QStringList listed() {
    QStringList out;
    const zv::Query &q = dm->MainQuery;
    for (int r = 0; r < q.recordCount(); ++r)
      out << q.value(r, QStringLiteral("REG_NUM")).toString() + QLatin1Char(' ') +
                 q.value(r, QStringLiteral("NAME")).toString().trimmed();
    return out;
  }
};
