// zv-admin bench: the figures of the program at scale, on a synthetic
// register in a temporary embedded database. One "name<TAB>value" line each:
// build_register (not part of the other figures), open_list (the all-cards
// list opened, fetched whole and its display fields read), export_txt,
// export_xls and export_doc (that list written with the export window's
// default columns), search_name (a
// name search over every member, fetched whole), invalid_egn (the invalid
// personal number list opened), refresh_points, ranking (the refresh and the
// ranking list fetched whole, as the ranking command runs them), write_places
// (every ranked card's place recorded and committed), lbd_load (the person
// service reading a population file of the same persons), lbd_lookup (the
// slowest of a sample of single checks as the card window makes them, service
// loaded), lbd_names (the name comparison over every member), status_all (the
// status of every card of the all-cards list changed, with its note),
// peak_rss_mb. And euro, the one-time conversion of every card's income from
// leva to euro with its history entry, committed: measured first, on the
// register as built, as a register of the previous version opens after its
// restore from a backup; its line comes before peak_rss_mb.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/resource.h>

#include <algorithm>

#include "CardStatus.h"
#include "Commands.h"
#include "Fb.h"
#include "DataModule.h"
#include "ExportColumns.h"
#include "ExportWriter.h"
#include "InvalidEgn.h"
#include "SearchFilter.h"
#include "Session.h"
#include "Install.h"
#include "LbdCheck.h"
#include "LbdCompare.h"
#include "Options.h"
#include "PersonInfo.h"
#include "Points.h"
#include "Ranking.h"
#include "Upgrade.h"

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
    // Loaded in bulk, the register still has the index statistics of its
    // empty tables; recompute them, as a restore or a maintenance run does,
    // so that the server plans the lists by the real table sizes.
    fb::Statement idx(db, tr);
    idx.prepare(QStringLiteral("select trim(RDB$INDEX_NAME) from RDB$INDICES where coalesce(RDB$SYSTEM_FLAG, 0) = 0"));
    idx.execute();
    QStringList names;
    while (idx.fetch()) names << idx.value(0).toString();
    for (const QString &n : names) fb::execute(db, tr, QStringLiteral("set statistics index %1").arg(n));
    tr.commit();
    db.disconnect();
  }
  line("build_register", seconds(t), 2);
  err << "cards " << cards << ", members " << members << "\n";
  err.flush();

  TDataModule1 dm;
  dm.connectTo(path, envUser(), envPassword());

  zv::session().CurrentUserName = QStringLiteral("bench");
  // The register was made in euro: take its mark away, as in a register of
  // the previous version, and convert. A full read afterwards, not timed,
  // collects the old versions of the cards, so that the figures below start
  // from a register as clean as before.
  dm.Transaction.ensure();
  fb::execute(dm.Database, dm.Transaction, QStringLiteral("delete from REGISTER_STEPS where STEP = ?"), {zv::kEuroStep});
  dm.Transaction.commit();
  t.restart();
  const int converted = zv::ConvertIncomesToEuro();
  const double euroSeconds = seconds(t);
  err << "incomes converted " << converted << " (" << QString::number(euroSeconds, 'f', 3) << " s)\n";
  err.flush();
  {
    fb::Statement all(dm.Database, dm.Transaction);
    dm.Transaction.ensure();
    all.prepare(QStringLiteral("select count(*) from RGS_CARD where INCOME >= 0"));
    all.execute();
    all.fetch();
    all.closeCursor();
    dm.Transaction.commit();
  }

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

  // The export of that list, as the list command's window would write it.
  const QList<zv::ColumnEntry> entries = zv::MainListEntries(dm);
  const zv::ListRows listRows(dm, zv::ChosenFields(entries));
  zv::ExportLayout layout;
  layout.title = QStringLiteral("Списък на картотеката - ") + zv::dateText(zv::today());
  const std::pair<const char *, zv::ExportType> exports[] = {
      {"export_txt", zv::ExportType::Text}, {"export_xls", zv::ExportType::Excel}, {"export_doc", zv::ExportType::Word}};
  for (const auto &[name, type] : exports) {
    std::unique_ptr<zv::ExportWriter> writer = zv::MakeExportWriter(type);
    const QString file = dir.filePath(QStringLiteral("bench") + writer->extension().mid(1));
    t.restart();
    if (!zv::WriteExportFile(*writer, file, zv::ChosenColumns(entries), listRows, layout)) {
      err << "zv-admin bench: " << writer->errorText() << "\n";
      return 1;
    }
    line(name, seconds(t), 3);
    err << name << ": " << QFileInfo(file).size() / (1024 * 1024) << " MB\n";
    err.flush();
    QFile::remove(file);
  }

  // Before the points are refreshed: that rewrites every card, and the first
  // reads after it would be timed collecting its old record versions too.
  zv::SearchCriteria byName;
  byName.nameOn = true;
  byName.name = QStringLiteral("Петров");
  t.restart();
  dm.setMainLines(zv::BuildSearchFilter(byName).filter, QStringLiteral(" order by Reg_Num"));
  line("search_name", seconds(t), 3);
  err << "name search rows " << dm.MainQuery.recordCount() << "\n";
  err.flush();

  t.restart();
  zv::OpenInvalidEgnList(dm.MainQuery);
  line("invalid_egn", seconds(t), 3);
  err << "invalid rows " << dm.MainQuery.recordCount() << "\n";
  err.flush();
  dm.MainQuery.close();
  dm.MainQuery.setFiltered(false);

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

  // The population register: a file of the same persons for the service.
  t.restart();
  const QString population = dir.filePath(QStringLiteral("personinfo.tsv"));
  int persons = 0;
  {
    fb::Database pdb;
    connectWithEnv(pdb, path);
    fb::Transaction ptr(pdb);
    persons = writeDemoPopulation(pdb, ptr, population, 1);
    pdb.disconnect();
  }
  err << "population file: persons " << persons << " (" << QString::number(seconds(t), 'f', 2) << " s)\n";
  err.flush();
  qputenv("ZV_PERSONINFO_DATA", QFile::encodeName(population));

  t.restart();
  {
    const TPersonInfo service;
    if (!service.HasService()) {
      err << "zv-admin bench: " << zv::NoLbdConnectionText() << "\n";
      return 1;
    }
  }
  line("lbd_load", seconds(t), 3);

  QStringList sample;
  {
    zv::Query q(dm.Database, dm.Transaction);
    q.SQL = QStringList{QStringLiteral("select EGN from RGS_PERSON")};
    q.open();
    const int step = std::max(1, q.recordCount() / 200);
    for (int r = 0; r < q.recordCount(); r += step) sample << q.value(r, 0).toString();
  }
  double slowest = 0;
  int known = 0;
  for (const QString &egn : sample) {
    QElapsedTimer one;
    one.start();
    TPersonInfo info;
    if (info.Lookup(egn)) {
      ++known;
      shown += zv::ComposeLbdBoxes(info.Values, egn).Name.size();
    }
    slowest = std::max(slowest, seconds(one));
  }
  line("lbd_lookup", slowest, 4);
  err << "checks " << sample.size() << ", found " << known << "\n";
  err.flush();

  t.restart();
  const std::vector<zv::NameDifference> differing =
      zv::FindNameDifferences(dm.Database, dm.Transaction, &progress);
  line("lbd_names", seconds(t), 3);
  err << "names differing " << differing.size() << "\n";
  dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  t.restart();
  const int changed = zv::SetCardsStatus(zv::ListedCardIds(dm.MainQuery), 2, progress);
  line("status_all", seconds(t), 3);
  err << "status changed on " << changed << " cards\n";
  err.flush();


  dm.disconnectCommitting();
  line("euro", euroSeconds, 3);
  line("peak_rss_mb", peakRssMb(), 1);
  return 0;
}
