#pragma once
// The data module: the workstation's one connection, its one transaction,
// the table objects and the queries every window works through.
#include <QObject>

#include "Dataset.h"
#include "Fb.h"

class TDataModule1 : public QObject {
  Q_OBJECT
 public:
  explicit TDataModule1(QObject *parent = nullptr);
  ~TDataModule1() override;

  fb::Database Database;
  fb::Transaction Transaction{Database};

  zv::Table Cards{Database, Transaction, QStringLiteral("RGS_CARD"), QStringLiteral("CARD_ID"),
                  QStringLiteral("CARD_ID")};
  zv::Table Person{Database, Transaction, QStringLiteral("RGS_PERSON"), QStringLiteral("PERSON_ID")};
  zv::Table Nom{Database, Transaction, QStringLiteral("NOM"), QStringLiteral("N"), QStringLiteral("N")};
  zv::Table inf_log{Database, Transaction, QStringLiteral("INF_LOG"), QStringLiteral("LOG_ID"),
                    QStringLiteral("LOG_ID")};
  zv::Table KLAS_NOM{Database, Transaction, QStringLiteral("KLAS_NOM"), QStringLiteral("KLAS_ID")};

  zv::Query MainQuery{Database, Transaction};
  zv::Query TempQuery{Database, Transaction};
  zv::Query tq{Database, Transaction};
  zv::Query tq2{Database, Transaction};

  // Line 0 of the register query.
  static const QString kMainSelect;

  // Sets the location and credentials (the stored ones are always replaced),
  // connects and opens Nom.
  void connectTo(const QString &path, const QString &user, const QString &password);
  // Commits what is pending and closes the connection.
  void disconnectCommitting();

  // Sets lines 1 and 2 of the register query and reopens it.
  void setMainLines(const QString &filter, const QString &order);
  QString mainFilter() const { return MainQuery.SQL.value(1); }
  QString mainOrder() const { return MainQuery.SQL.value(2); }

  // What the grid and the printouts show for one listed row: the CARD_ID
  // column shows the running row number, dates come as dd.mm.yyyy.
  QString displayText(int row, const QString &field) const;

  // The text of a NOM column in row n, as stored; invalid when the row is
  // missing or the column is NULL. Used by the display fields.
  QVariant nomValue(const QString &column, const QVariant &code) const;

  void MainQueryAfterOpen();

 signals:
  // After every open of the register query: the number of listed rows.
  void mainQueryOpened(int count);
};

// The one data module of the process, created at start-up.
extern TDataModule1 *DataModule1;
