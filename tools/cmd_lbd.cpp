// zv-admin lbd EGN: the population register check as the card window makes
// it, one "box<TAB>text" line per box of the check window.
// zv-admin lbd-names --database PATH: the members whose stored name differs
// from the register's, one "number<TAB>EGN<TAB>stored name<TAB>register name"
// line each, in the order the member table yields them.
#include "Commands.h"
#include "Fb.h"
#include "LbdCheck.h"
#include "LbdCompare.h"
#include "Options.h"
#include "egn.h"
#include "PersonInfo.h"
#include "TerminalProgress.h"

int cmdLbd(const QStringList &args, QTextStream &out, QTextStream &err) {
  if (args.size() != 1 || args.first().startsWith(QLatin1String("--"))) {
    err << "usage: zv-admin lbd EGN\n";
    return 2;
  }
  const QString egn = args.first();
  TPersonInfo info;
  try {
    if (!info.Lookup(egn)) {
      out << zv::LbdNotFoundText() << "\n";
      return 1;
    }
  } catch (const zv::PersonInfoUnavailable &) {
    out << zv::NoLbdConnectionText() << "\n";
    if (const QString why = info.LoadProblem(); !why.isEmpty()) err << "zv-admin lbd: " << why << "\n";
    return 1;
  }
  const zv::LbdBoxes b = zv::ComposeLbdBoxes(info.Values, egn);
  out << "Name\t" << b.Name << "\n"
      << "EGN\t" << b.EGN << "\n"
      << "Address1\t" << b.Address1 << "\n"
      << "AddrReg1\t" << b.AddrReg1 << "\n"
      << "Address2\t" << b.Address2 << "\n"
      << "AddrReg2\t" << b.AddrReg2 << "\n"
      << "IDInfo\t" << b.IDInfo << "\n";
  return 0;
}

int cmdLbdNames(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin lbd-names --database PATH\n";
    return 2;
  }
  fb::Database db;
  connectRegister(db, o.get(QStringLiteral("database")));
  fb::Transaction tr(db);
  std::vector<zv::NameDifference> found;
  try {
    TerminalProgress progress(err);
    found = zv::FindNameDifferences(db, tr, &progress);
  } catch (const zv::PersonInfoUnavailable &) {
    tr.rollback();
    out << zv::NoLbdConnectionText() << "\n";
    if (const QString why = TPersonInfo().LoadProblem(); !why.isEmpty()) err << "zv-admin lbd-names: " << why << "\n";
    return 1;
  }
  tr.commit();
  db.disconnect();
  if (found.empty()) {
    out << zv::NoNameDifferencesText() << "\n";
    return 0;
  }
  int n = 0;
  for (const zv::NameDifference &d : found)
    out << ++n << '\t' << zv::TrimRight(d.egn) << '\t' << zv::TrimRight(d.storedName) << '\t' << d.registerName << '\n';
  return 0;
}
