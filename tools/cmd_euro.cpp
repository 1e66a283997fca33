// zv-admin euro --database PATH: the one-time conversion of the incomes from
// leva to euro on its own, for a register no program has opened since the
// changeover. Prints how many incomes it converted: 0 when the register is
// converted already.
#include "Commands.h"
#include "DataModule.h"
#include "Options.h"

int cmdEuro(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin euro --database PATH\n";
    return 2;
  }
  TDataModule1 dm;
  dm.connectTo(o.get(QStringLiteral("database")), envUser(), envPassword());
  // The upgrade step that converts, run here so that its count is reported.
  const int converted = upgradeOpenRegister(dm);
  dm.disconnectCommitting();
  out << QStringLiteral("Превалутирани доходи: ") << converted << "\n";
  return 0;
}
