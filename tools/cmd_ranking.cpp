// zv-admin ranking: the ranking as the clerk makes it with the criteria left
// in their stored order. The points are refreshed (progress on standard
// error), then standard output gets the order clause, one tab-separated line
// per ranked family and the count. --pdf writes the printed report to a file
// and --write-places records the places on the cards, saying on standard
// error how many it recorded once they are committed.
#include "Commands.h"
#include "DataModule.h"
#include "IniFile.h"
#include "Options.h"
#include "Points.h"
#include "Ranking.h"
#include "RankingReport.h"
#include "TerminalProgress.h"

namespace {
int usage(QTextStream &err, const QString &why) {
  if (!why.isEmpty()) err << why << "\n";
  err << "usage: zv-admin ranking --database PATH [--write-places] [--pdf FILE]\n";
  return 2;
}
}  // namespace

int cmdRanking(const QStringList &args, QTextStream &out, QTextStream &err) {
  QStringList rest = args;
  const bool writePlaces = rest.removeAll(QStringLiteral("--write-places")) > 0;
  const ParsedOptions o = parseOptions(rest, {QStringLiteral("database"), QStringLiteral("pdf")});
  if (!o.error.isEmpty()) return usage(err, o.error);
  if (!o.positional.isEmpty()) return usage(err, QStringLiteral("unexpected argument %1").arg(o.positional.first()));
  if (!o.has(QStringLiteral("database"))) return usage(err, QString());
  const QString pdf = o.get(QStringLiteral("pdf"));
  if (o.has(QStringLiteral("pdf")) && pdf.isEmpty()) return usage(err, QStringLiteral("--pdf needs a file name"));

  TDataModule1 dm;
  openRegister(dm, o.get(QStringLiteral("database")));
  const QString order = zv::RankingOrderOf(zv::LoadCriteria(dm).entries);
  TerminalProgress progress(err);
  zv::RefreshAllPoints(progress);  // commits
  dm.setMainLines(zv::kRankingFilter, order);

  const std::vector<zv::RankingRow> rows = zv::RankingRows(dm);
  out << order << '\n';
  for (const zv::RankingRow &r : rows)
    out << r.place << '\t' << r.regNum << '\t' << r.name << '\t' << r.group << '\t' << r.address << '\t' << r.kids
        << '\t' << r.points << '\t' << r.regDate << '\t' << r.groupDate << '\n';
  out << "Класирани са " << rows.size() << " семейства\n";
  out.flush();

  if (!pdf.isEmpty()) {
    zv::RankingReportTexts texts;
    const QString ini = SettingsFilePath();
    if (!zv::ReadRankingTexts(ini, texts)) err << SettingsFileError(ini) << "\n";
    texts.printDate = zv::today();
    QString error;
    if (!zv::WriteRankingPdf(pdf, rows, texts, &error)) {
      err << "zv-admin ranking: " << error << "\n";
      dm.disconnectCommitting();
      return 1;
    }
  }
  // Standard output stays the listing alone: the count of the recorded
  // places goes with the progress.
  if (writePlaces) err << zv::PlacesRecordedText(zv::WriteRankingPlaces(progress)) << "\n";  // commits
  dm.disconnectCommitting();
  return 0;
}
