#pragma once
// A card with its holder (and more members), straight into a register.
#include <QDateTime>
#include <QStringList>

#include "Dataset.h"
#include "Fb.h"

inline void addCard(const QString &path, int regNum, const QString &name, const QString &address,
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
