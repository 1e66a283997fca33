#include "DataModule.h"

TDataModule1 *DataModule1 = nullptr;

const QString TDataModule1::kMainSelect = QStringLiteral(
    "select CARD_ID,KIDS,REG_NUM, REGDATE, GROUP1, GROUP2,NAME, ONLY_PARENT, YOUNG_FAMILY, KIDS_AGE, "
    "N_INVALIDS, HARD_LIFE, PERSON_ID, EGN,ADRESS,ADRESS_DATE,C.NOTES,GRUPA,GRUPA_DATE,STATUS,CLASSINFO,"
    "INV_PROC,INV_DATE,TELK_NUM,POINTS,DOC_IDTXT,LASTDEK_ID,LASTDEK_DATE,PROT_ID,PROT_DATE from RGS_CARD "
    "C,RGS_PERSON  P where C.CARD_ID=P.CARD_ID ");

TDataModule1::TDataModule1(QObject *parent) : QObject(parent) {
  if (!DataModule1) DataModule1 = this;
  MainQuery.SQL = QStringList{kMainSelect, QString(), QString()};
  const auto lookup = [this](const QString &column, int width) {
    return [this, column, width](const QVariant &code) -> QVariant {
      const QVariant v = nomValue(column, code);
      if (!v.isValid()) return QVariant();
      return v.toString().left(width);
    };
  };
  MainQuery.addLookup(QStringLiteral("Stat"), QStringLiteral("STATUS"), lookup(QStringLiteral("STATUS"), 50));
  MainQuery.addLookup(QStringLiteral("grupa1"), QStringLiteral("GRUPA"), lookup(QStringLiteral("GROUP1"), 50));
  MainQuery.addLookup(QStringLiteral("grupa11"), QStringLiteral("GRUPA"), lookup(QStringLiteral("GROUP1"), 1));
  MainQuery.addLookup(QStringLiteral("group_2"), QStringLiteral("GROUP2"), lookup(QStringLiteral("GROUP2"), 20));
  MainQuery.afterOpen = [this] { MainQueryAfterOpen(); };
}

TDataModule1::~TDataModule1() {
  if (DataModule1 == this) DataModule1 = nullptr;
}

void TDataModule1::connectTo(const QString &path, const QString &user, const QString &password) {
  if (Database.connected()) disconnectCommitting();
  Database.databaseName = path;
  Database.userName = user;
  Database.password = password;
  Database.connect();
  Nom.open();
}

void TDataModule1::disconnectCommitting() {
  MainQuery.close();
  TempQuery.close();
  tq.close();
  tq2.close();
  Nom.close();
  if (Database.connected()) {
    Transaction.commit();
    Database.disconnect();
  }
}

void TDataModule1::setMainLines(const QString &filter, const QString &order) {
  MainQuery.close();
  while (MainQuery.SQL.size() < 3) MainQuery.SQL << QString();
  MainQuery.SQL[1] = filter;
  MainQuery.SQL[2] = order;
  MainQuery.open();
}

QVariant TDataModule1::nomValue(const QString &column, const QVariant &code) const {
  if (!code.isValid() || code.isNull()) return QVariant();
  const int ci = Nom.fieldIndex(column);
  const int ni = Nom.fieldIndex(QStringLiteral("N"));
  if (ci < 0 || ni < 0) return QVariant();
  const int n = code.toInt();
  for (const zv::Row &r : Nom.rows())
    if (r[static_cast<size_t>(ni)].toInt() == n) return r[static_cast<size_t>(ci)];
  return QVariant();
}

QString TDataModule1::displayText(int row, const QString &field) const {
  if (field.compare(QStringLiteral("CARD_ID"), Qt::CaseInsensitive) == 0) return QString::number(row + 1);
  const QVariant v = MainQuery.value(row, field);
  return zv::Field(field, v).asString();
}

void TDataModule1::MainQueryAfterOpen() { emit mainQueryOpened(MainQuery.recordCount()); }
