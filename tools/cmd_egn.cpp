// zv-admin egn NUMBER...: tells for each personal number whether the register
// accepts it and which date of birth it encodes.
#include "Commands.h"

#include "ZvDate.h"
#include "egn.h"

int cmdEgn(const QStringList &args, QTextStream &out, QTextStream &err) {
  if (args.isEmpty()) {
    err << "usage: zv-admin egn NUMBER...\n";
    return 2;
  }
  for (const QString &number : args) {
    const zv::TDate born = zv::EgnBirthDate(number, 0);
    out << number << '\t' << (born != 0 ? "valid" : "invalid") << '\t' << zv::dateText(born)
        << '\n';
  }
  return 0;
}
