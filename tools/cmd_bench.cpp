// zv-admin bench: the figures of the program at scale, on a synthetic
// register in a temporary embedded database. One "name<TAB>value" line each:
// build_register (not part of the other figures), open_list (the all-cards
// list opened, fetched whole and its display fields read), refresh_points,
// ranking (the refresh and the ranking list fetched whole, as the ranking
// command runs them), write_places (every ranked card's place recorded and
// committed), peak_rss_mb.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <sys/resource.h>

#include "Commands.h"
#include "DataModule.h"
#include "Install.h"
#include "Options.h"
#include "Points.h"
#include "Ranking.h"

namespace {
double seconds(const QElapsedTimer &t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

double peakRssMb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0;  // kilobytes on Linux
}
}  // namespace

int cmdBench(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("cards")});
  bool ok = true;
  const int cards = o.get(QStringLiteral("cards"), QStringLiteral("100000")).toInt(&ok);
  if (!o.error.isEmpty() || !ok || cards < 1 || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin bench [--cards N]\n";
    return 2;
  }
  QTemporaryDir dir;
  if (!dir.isValid()) {
    err << "zv-admin bench: no temporary directory\n";
    return 1;
  }
  const QString path = dir.filePath(QStringLiteral("bench.fdb"));
  const auto line = [&out](const char *name, double value, int decimals) {
    out << name << '\t' << QString::number(value, 'f', decimals) << '\n';
    out.flush();
  };

  QElapsedTimer t;
  t.start();
  zv::InstallOptions opt;
  opt.database = path;
  opt.dbUser = envUser();
  opt.dbPassword = envPassword();
  opt.adminPassword = QStringLiteral("bench");
  zv::createRegister(opt);
  int members = 0;
  {
    fb::Database db;
    connectWithEnv(db, path);
    fb::Transaction tr(db);
    fillDemoRegister(db, tr, cards, 1, &members);
    db.disconnect();
  }
  line("build_register", seconds(t), 2);
  err << "cards " << cards << ", members " << members << "\n";
  err.flush();

  TDataModule1 dm;
  dm.connectTo(path, envUser(), envPassword());

  t.restart();
  dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  const int rows = dm.MainQuery.recordCount();
  qsizetype shown = 0;  // keeps the reads from being optimised away
  for (int r = 0; r < rows; ++r)
    for (const QString &f : {QStringLiteral("Stat"), QStringLiteral("grupa1"), QStringLiteral("grupa11"),
                             QStringLiteral("group_2")})
      shown += dm.displayText(r, f).size();
  line("open_list", seconds(t), 3);
  err << "listed rows " << rows << ", display characters " << shown << "\n";
  err.flush();

  t.restart();
  zv::RecordingProgress progress;
  zv::RefreshAllPoints(progress);
  line("refresh_points", seconds(t), 3);

  t.restart();
  zv::RefreshAllPoints(progress);
  dm.setMainLines(zv::kRankingFilter, zv::RankingOrderOf(zv::LoadCriteria(dm).entries));
  const int ranked = dm.MainQuery.recordCount();
  line("ranking", seconds(t), 3);
  err << "ranked rows " << ranked << "\n";
  err.flush();

  t.restart();
  const int placed = zv::WriteRankingPlaces(progress);
  line("write_places", seconds(t), 3);
  err << "places written " << placed << "\n";
  err.flush();

  dm.disconnectCommitting();
  line("peak_rss_mb", peakRssMb(), 1);
  return 0;
}
