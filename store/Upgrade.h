#pragma once
// Bringing a register made by an earlier version of the program up to this
// one. What the program keeps beyond the shared tables lives in tables of its
// own (REGISTER_STEPS, ...): zv-admin create makes them, and every open of a
// register (the program after login, every zv-admin command) first runs
// UpgradeRegister, which adds the ones missing. The shared tables and their
// columns are never altered.
//
// REGISTER_STEPS records the one-time steps done on the register's data, one
// row per step, so that none runs twice, whichever workstation opens first.
#include <QString>
#include <QStringList>
#include <functional>

#include "Fb.h"

namespace zv {

// What an upgrade did: the tables it added, none when nothing was missing.
struct UpgradeReport {
  QStringList createdTables;
};

// Adds the program's own tables the register lacks, each committed on its
// own (work pending on tr is committed first). Safe to run again and from two
// workstations at once: a table another workstation adds at the same moment
// counts as present. Errors of the server reach the caller, tr rolled back.
UpgradeReport UpgradeRegister(fb::Database &db, fb::Transaction &tr);

// The step of REGISTER_STEPS that marks the incomes converted to euro.
extern const QString kEuroStep;
// Leva in a euro, the fixed rate of the changeover.
inline constexpr double kLevaPerEuro = 1.95583;

// Whether a step is recorded as done (committed by anyone).
bool StepDone(fb::Database &db, fb::Transaction &tr, const QString &step);
// Records a step as done now by `by`, in tr (not committed).
void MarkStepDone(fb::Database &db, fb::Transaction &tr, const QString &step, const QString &by);

// REGISTER_LOCKS holds one row per kind of work that only one workstation
// may do at a time. The work writes its row first, in the transaction that
// then does the work: the row stays locked until that transaction ends, and
// another workstation's write of the same row fails at once (transactions
// never wait), which refuses the second before it has written anything.
extern const QString kPlacesRecording;
// Writes the row `name` (adding it when missing) in tr, not committed. A
// conflict (isConflict()) when another transaction holds it.
void TakeRegisterLock(fb::Database &db, fb::Transaction &tr, const QString &name, const QString &by);

// An amount in leva as euro: divided by the rate and rounded half up (away
// from zero) to the cent, computed on the amount's shortest decimal form so
// that 1955.83 gives 1000.00 and 100 gives 51.13; the result is the double
// nearest to those cents.
double LevaToEuro(double leva);

// The one-time conversion of every stored income (RGS_CARD.INCOME) from leva
// to euro, on the data module DataModule1: in one go of its transaction it
// records the step first, converts every income that is not NULL, and writes
// one history entry, then commits. Returns the number of incomes converted;
// 0 when the register is converted already, or when another workstation is
// converting it at this moment (its uncommitted record of the step refuses
// ours at once: nothing is written here). On any error everything it wrote
// is rolled back, the step stays unrecorded, and the error reaches the
// caller. Work pending on the transaction is committed (retaining) first.
// beforeCommit, when given, runs after the writes and before the commit.
int ConvertIncomesToEuro(const std::function<void()> &beforeCommit = {});

// The history message of a conversion of `cards` incomes.
QString EuroConversionMessage(int cards);

}  // namespace zv
