#include "Upgrade.h"

#include <QThread>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "DataModule.h"
#include "History.h"
#include "LoginThrottle.h"
#include "Session.h"

namespace zv {

const QString kEuroStep = QStringLiteral("EURO_INCOMES");
const QString kPlacesRecording = QStringLiteral("PLACES_RECORDING");

namespace {

struct OwnTable {
  const char *name;
  const char *ddl;
};

// The program's own tables, in the order they are added. A later version
// appends its tables here; a table once released is never changed in place.
const OwnTable kOwnTables[] = {
    {"REGISTER_STEPS",
     "create table REGISTER_STEPS ("
     "  STEP    varchar(40) not null,"
     "  DONE_AT date,"
     "  DONE_BY varchar(50),"
     "  constraint PK_REGISTER_STEPS primary key (STEP))"},
    {"LOGIN_FAILURES", kLoginFailuresDdl},
    {"REGISTER_LOCKS",
     "create table REGISTER_LOCKS ("
     "  NAME     varchar(40) not null,"
     "  TAKEN_AT date,"
     "  TAKEN_BY varchar(50),"
     "  constraint PK_REGISTER_LOCKS primary key (NAME))"},
};

bool tableExists(fb::Database &db, fb::Transaction &tr, const QString &name) {
  tr.ensure();
  fb::Statement q(db, tr);
  q.prepare(QStringLiteral("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = ?"));
  q.execute({name});
  const bool found = q.fetch();
  q.closeCursor();
  return found;
}

// Adds one table unless present; true when this call added it.
bool addTable(fb::Database &db, fb::Transaction &tr, const OwnTable &t) {
  const QString name = QString::fromLatin1(t.name);
  if (tableExists(db, tr, name)) return false;
  tr.commit();  // a table is added in a transaction of its own
  try {
    tr.start();
    fb::execute(db, tr, QString::fromLatin1(t.ddl));
    tr.commit();
    return true;
  } catch (const fb::ConnectionLost &) {
    throw;
  } catch (const fb::Error &) {
    tr.rollbackQuietly();
    // Another workstation adding the same table at this moment: its table
    // serves us once it is committed, which takes a moment at most.
    for (int tries = 0; tries < 30; ++tries) {
      if (tableExists(db, tr, name)) return false;
      tr.commit();
      QThread::msleep(100);
    }
    throw;
  }
}

// 10 to the power n, for n from 0 to 38.
__int128 tenTo(int n) {
  __int128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

}  // namespace

UpgradeReport UpgradeRegister(fb::Database &db, fb::Transaction &tr) {
  UpgradeReport report;
  try {
    for (const OwnTable &t : kOwnTables)
      if (addTable(db, tr, t)) report.createdTables << QString::fromLatin1(t.name);
  } catch (const fb::Error &) {
    tr.rollbackQuietly();
    throw;
  }
  return report;
}

bool StepDone(fb::Database &db, fb::Transaction &tr, const QString &step) {
  tr.ensure();
  fb::Statement q(db, tr);
  q.prepare(QStringLiteral("select 1 from REGISTER_STEPS where STEP = ?"));
  q.execute({step});
  const bool found = q.fetch();
  q.closeCursor();
  return found;
}

void MarkStepDone(fb::Database &db, fb::Transaction &tr, const QString &step, const QString &by) {
  tr.ensure();
  fb::execute(db, tr, QStringLiteral("insert into REGISTER_STEPS (STEP, DONE_AT, DONE_BY) values (?, 'now', ?)"),
              {step, by.left(50)});
}

void TakeRegisterLock(fb::Database &db, fb::Transaction &tr, const QString &name, const QString &by) {
  tr.ensure();
  fb::execute(db, tr,
              QStringLiteral("update or insert into REGISTER_LOCKS (NAME, TAKEN_AT, TAKEN_BY) values (?, 'now', ?) "
                             "matching (NAME)"),
              {name, by.left(50)});
}

double LevaToEuro(double leva) {
  if (!std::isfinite(leva) || leva == 0) return leva;
  // Beyond a hundred billion the cents are lost in the double anyway.
  if (std::fabs(leva) >= 1e11) return std::round(leva / kLevaPerEuro * 100) / 100;
  // The shortest decimal that reads back as this double: digits d and an
  // exponent, the amount being d x 10^exp as the clerk typed it.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(leva), std::chars_format::scientific);
  const std::string text(buf, res.ptr);
  const size_t e = text.find('e');
  __int128 digits = 0;
  int fraction = 0;
  bool point = false;
  for (size_t i = 0; i < e; ++i) {
    if (text[i] == '.') {
      point = true;
      continue;
    }
    digits = digits * 10 + (text[i] - '0');
    if (point) ++fraction;
  }
  const int exponent = std::atoi(text.c_str() + e + 1) - fraction;
  // Cents = digits x 10^exponent x 100 / 1.95583 = digits x 10^(exponent + 7) / 195583.
  const int shift = exponent + 7;
  __int128 num = digits, den = 195583;
  if (shift >= 0)
    num *= tenTo(shift);  // below 10^18: the amount is below 10^11
  else if (shift >= -30)
    den *= tenTo(-shift);
  else
    return 0;  // far below half a cent
  const __int128 cents = (2 * num + den) / (2 * den);  // half up
  const double value = static_cast<double>(static_cast<long long>(cents)) / 100;
  return leva < 0 ? -value : value;
}

QString EuroConversionMessage(int cards) {
  return QStringLiteral("Доходите са превалутирани от лева в евро: %1 %2 (1 евро = 1,95583 лв.)")
      .arg(cards)
      .arg(cards == 1 ? QStringLiteral("картон") : QStringLiteral("картона"));
}

int ConvertIncomesToEuro(const std::function<void()> &beforeCommit) {
  fb::Database &db = DataModule1->Database;
  fb::Transaction &tr = DataModule1->Transaction;
  if (tr.active())
    tr.commitRetaining();
  else
    tr.start();
  if (StepDone(db, tr, kEuroStep)) return 0;
  const Session &s = session();
  // The step is recorded first: a second workstation doing the same at this
  // moment is refused here at once (no wait), before it has written anything.
  try {
    MarkStepDone(db, tr, kEuroStep, s.CurrentUserName);
  } catch (const fb::Error &e) {
    tr.rollbackQuietly();
    if (e.isConflict() && !dynamic_cast<const fb::ConnectionLost *>(&e)) return 0;  // being done elsewhere
    throw;
  }
  int converted = 0;
  try {
    std::vector<std::pair<int, double>> incomes;
    {
      fb::Statement q(db, tr);
      q.prepare(QStringLiteral("select CARD_ID, INCOME from RGS_CARD where INCOME is not null"));
      q.execute();
      while (q.fetch()) incomes.emplace_back(q.value(0).toInt(), q.value(1).toDouble());
      q.closeCursor();
    }
    fb::Statement update(db, tr);
    update.prepare(QStringLiteral("update RGS_CARD set INCOME = ? where CARD_ID = ?"));
    std::vector<QVariant> p(2);
    for (const auto &[card, leva] : incomes) {
      p[0] = LevaToEuro(leva);
      p[1] = card;
      update.execute(p);
      ++converted;
    }
    bool ok = false;
    const int userId = s.CurrentUserId.toInt(&ok);
    LogAction(ok ? userId : 0, QStringLiteral("SYSTEM"), EuroConversionMessage(converted));
    if (beforeCommit) beforeCommit();
    tr.commit();
  } catch (...) {
    tr.rollbackQuietly();
    throw;
  }
  return converted;
}

}  // namespace zv
