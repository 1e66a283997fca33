// zv-admin: setting up and looking after a register from the command line.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

#include "Commands.h"
#include "Fb.h"

namespace {
int usage(QTextStream &err) {
  err << "usage: zv-admin COMMAND [OPTIONS]\n"
         "commands:\n"
         "  create --database PATH [--admin LOGIN] [--password P]\n"
         "  user --database PATH --login L --name NAME --role ROLE [--password P]\n"
         "  egn NUMBER...\n"
         "  demo --database PATH --cards N [--seed S]\n"
         "  refresh-points --database PATH\n"
         "  ranking --database PATH [--write-places] [--pdf FILE]\n"
         "  export --database PATH --type txt|doc|xls --out FILE [--title TEXT] [--footer TEXT]\n"
         "         [--delimiter D] [--columns CAPTIONS] [--portrait|--landscape] [--font-size N] [CRITERIA...]\n"
         "  certificate --database PATH --regnum N --pdf FILE\n"
         "  bench [--cards N]\n"
         "  backup --database PATH --out FILE.fbk\n"
         "  restore --from FILE.fbk --database PATH [--replace]\n"
         "  lbd EGN\n"
         "  lbd-names --database PATH\n"
         "  search --database PATH CRITERIA...\n"
         "  invalid-egn --database PATH\n"
         "  euro --database PATH\n";
  return 2;
}
}  // namespace

int main(int argc, char **argv) {
  // The ranking and the certificate paint their pages, which takes fonts and
  // so a GUI application; without a display they paint offscreen.
  const bool paints = argc > 1 && (qstrcmp(argv[1], "ranking") == 0 || qstrcmp(argv[1], "certificate") == 0);
  if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (paints && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // The folder the toolkit would fall back to, without its warning on
    // standard error, where only the progress and the failures belong.
    const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(getuid());
    if (mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) qputenv("XDG_RUNTIME_DIR", dir);
  }
  std::unique_ptr<QCoreApplication> application =
      paints ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QCoreApplication &app = *application;
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) return usage(err);
  const QString cmd = args.takeFirst();
  try {
    if (cmd == QLatin1String("egn")) return cmdEgn(args, out, err);
    if (cmd == QLatin1String("create")) return cmdCreate(args, out, err);
    if (cmd == QLatin1String("user")) return cmdUser(args, out, err);
    if (cmd == QLatin1String("demo")) return cmdDemo(args, out, err);
    if (cmd == QLatin1String("refresh-points")) return cmdRefreshPoints(args, out, err);
    if (cmd == QLatin1String("ranking")) return cmdRanking(args, out, err);
    if (cmd == QLatin1String("bench")) return cmdBench(args, out, err);
    if (cmd == QLatin1String("backup")) return cmdBackup(args, out, err);
    if (cmd == QLatin1String("restore")) return cmdRestore(args, out, err);
    if (cmd == QLatin1String("lbd")) return cmdLbd(args, out, err);
    if (cmd == QLatin1String("lbd-names")) return cmdLbdNames(args, out, err);
    if (cmd == QLatin1String("search")) return cmdSearch(args, out, err);
    if (cmd == QLatin1String("invalid-egn")) return cmdInvalidEgn(args, out, err);
    if (cmd == QLatin1String("export")) return cmdExport(args, out, err);
    if (cmd == QLatin1String("certificate")) return cmdCertificate(args, out, err);
    if (cmd == QLatin1String("euro")) return cmdEuro(args, out, err);
  } catch (const fb::Error &e) {
    out.flush();
    err << "zv-admin " << cmd << ": " << e.text() << "\n";
    return 1;
  } catch (const std::exception &e) {
    out.flush();
    err << "zv-admin " << cmd << ": " << e.what() << "\n";
    return 1;
  }
  return usage(err);
}
