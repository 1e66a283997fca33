#pragma once
// The main window after the start of work on a fresh register with a few
// cards, with the dialog facade scripted and a settings folder of its own.
#include <gtest/gtest.h>

#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

#include "DataModule.h"
#include "Dialogs.h"
#include "Install.h"
#include "LoginCall.h"
#include "MainForm.h"
#include "Session.h"
#include "TempRegister.h"

// "Now" in these tests: 15 June 2024.
inline void pinToday() { zv::setNow(QDateTime(QDate(2024, 6, 15), QTime(9, 30))); }

class ListFixture : public ::testing::Test {
 protected:
  TempRegister reg;
  QTemporaryDir profile;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TDataModule1> dm;

  void SetUp() override {
    pinToday();
    qputenv("USERPROFILE", QFile::encodeName(profile.path()));
    zv::session() = zv::Session{};
    {
      fb::Database db;
      db.databaseName = reg.path;
      db.connect();
      fb::Transaction tr(db);
      zv::putUser(db, tr, QStringLiteral("ivan"), QStringLiteral("Иван Иванов"), QStringLiteral("USER1"),
                  QStringLiteral("pw"));
      db.disconnect();
    }
    fillRegister();
  }
  void TearDown() override {
    form.reset();
    if (dm && dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    FreeLoginRecord();
    zv::setNow(std::nullopt);
  }

  // Cards added before the start of work; override to add others.
  virtual void fillRegister() {}

  void start(const QString &login = QStringLiteral("ivan")) {
    TLogInfoRec *rec = NewLoginRecord();
    logrec::writeText(rec->data(), logrec::DbPath, reg.path);
    logrec::writeText(rec->data(), logrec::DbUser, QStringLiteral("SYSDBA"));
    logrec::writeText(rec->data(), logrec::UserName, QStringLiteral("Иван Иванов"));
    logrec::writeText(rec->data(), logrec::LoginName, login);
    logrec::writeText(rec->data(), logrec::Role, QStringLiteral("USER1"));
    form = std::make_unique<TMainForm>();
    dm = std::make_unique<TDataModule1>();
    form->quitApplication = [] {};
    form->FormShow();
  }

  // A card with its holder (and more members), straight into the register.
  static void addCard(const QString &path, int regNum, const QString &name, const QString &address,
                      const QString &groupDate = QString(), int group1 = 2, int grupa = 1,
                      const QStringList &others = {}) {
    fb::Database db;
    db.databaseName = path;
    db.connect();
    fb::Transaction tr(db);
    fb::execute(db, tr,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, GRUPA_DATE, "
                               "ADD_USER, STATUS, KIDS) values (?, '01.02.2003', ?, ?, 1, ?, ?, 'Default', 1, 2)"),
                {regNum, address, group1, grupa,
                 groupDate.isEmpty() ? QVariant() : QVariant(QDateTime::fromString(groupDate, "dd.MM.yyyy hh:mm:ss"))});
    zv::Query q(db, tr);
    q.SQL = QStringList{QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    const int card = q.fieldByName(QStringLiteral("CARD_ID")).asInteger();
    int type = 0;
    for (const QString &n : QStringList{name} + others)
      fb::execute(db, tr,
                  QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (?, ?, '0101010007', ?)"),
                  {card, n, type++ == 0 ? 0 : 3});
    tr.commit();
    db.disconnect();
  }

  QTableView *grid() const { return form->grid(); }
  int currentRegNum() const { return form->currentRegNum(); }
  void selectRegNum(int regNum) {
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r)
      if (dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt() == regNum) form->setCurrentRow(r);
  }
};
