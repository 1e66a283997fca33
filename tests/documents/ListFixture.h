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
#include "LoginAs.h"
#include "MainForm.h"
#include "Session.h"
#include "TempRegister.h"
#include "AddCard.h"

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
    zvtest::FillLoginRecord({.dbPath = reg.path, .userName = QStringLiteral("Иван Иванов"),
                             .loginName = login, .role = QStringLiteral("USER1")});
    form = std::make_unique<TMainForm>();
    dm = std::make_unique<TDataModule1>();
    form->quitApplication = [] {};
    form->FormShow();
  }

  static void addCard(const QString &path, int regNum, const QString &name, const QString &address,
                      const QString &groupDate = QString(), int group1 = 2, int grupa = 1,
                      const QStringList &others = {}) {
    ::addCard(path, regNum, name, address, groupDate, group1, grupa, others);
  }

  QTableView *grid() const { return form->grid(); }
  int currentRegNum() const { return form->currentRegNum(); }
  void selectRegNum(int regNum) {
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r)
      if (dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt() == regNum) form->setCurrentRow(r);
  }
};
