// zv-admin export: the register list as the main window shows it after the
// start of work (all cards, holders in registration-number order), or after a
// search with the criteria of zv-admin search, written as a text file, a Word
// document or an Excel workbook through the export's own writers, with the
// columns the export window offers for that list.
#include <QFile>

#include "Commands.h"
#include "DataModule.h"
#include "ExportColumns.h"
#include "ExportWriter.h"
#include "Options.h"
#include "SearchArgs.h"
#include "ZvDate.h"

namespace {
int usage(QTextStream &err, const QString &why) {
  if (!why.isEmpty()) err << "zv-admin export: " << why << "\n";
  err << "usage: zv-admin export --database PATH --type txt|doc|xls --out FILE [--title TEXT] [--footer TEXT]\n"
         "         [--delimiter D] [--columns CAPTIONS] [--portrait|--landscape] [--font-size N] [CRITERIA...]\n"
         "       CRITERIA: "
      << kSearchArgsUsage << "\n";
  return 2;
}
}  // namespace

int cmdExport(const QStringList &args, QTextStream &out, QTextStream &err) {
  Q_UNUSED(out);
  // The search's criteria, as zv-admin search takes them.
  SearchArgs search;
  QStringList options;
  QString why;
  if (!ParseSearchArgs(args, search, &options, &why)) return usage(err, why);
  // The two layout flags take no value; the last one given counts.
  QStringList rest;
  bool landscape = true;
  for (const QString &a : options) {
    if (a == QLatin1String("--portrait"))
      landscape = false;
    else if (a == QLatin1String("--landscape"))
      landscape = true;
    else
      rest << a;
  }
  const ParsedOptions o =
      parseOptions(rest, {QStringLiteral("database"), QStringLiteral("type"), QStringLiteral("out"),
                          QStringLiteral("title"), QStringLiteral("footer"), QStringLiteral("delimiter"),
                          QStringLiteral("columns"), QStringLiteral("font-size")});
  if (!o.error.isEmpty()) return usage(err, o.error);
  if (!o.positional.isEmpty()) return usage(err, QStringLiteral("unexpected argument %1").arg(o.positional.first()));
  if (!o.has(QStringLiteral("database")) || !o.has(QStringLiteral("type")) || !o.has(QStringLiteral("out")))
    return usage(err, QString());
  const QString type = o.get(QStringLiteral("type"));
  zv::ExportType kind;
  if (type == QLatin1String("txt"))
    kind = zv::ExportType::Text;
  else if (type == QLatin1String("doc"))
    kind = zv::ExportType::Word;
  else if (type == QLatin1String("xls"))
    kind = zv::ExportType::Excel;
  else
    return usage(err, QStringLiteral("unknown type %1").arg(type));
  const QString path = o.get(QStringLiteral("out"));
  if (path.isEmpty()) return usage(err, QStringLiteral("--out needs a file name"));

  zv::ExportLayout layout;
  layout.landscape = landscape;
  layout.title = o.has(QStringLiteral("title")) ? o.get(QStringLiteral("title"))
                                                : QStringLiteral("Списък на картотеката - ") + zv::dateText(zv::today());
  layout.footer = o.get(QStringLiteral("footer"));
  layout.delimiter = o.get(QStringLiteral("delimiter"), QStringLiteral("|"));
  if (o.has(QStringLiteral("font-size"))) {
    bool ok = false;
    layout.fontSize = o.get(QStringLiteral("font-size")).toInt(&ok);
    if (!ok || layout.fontSize < 8 || layout.fontSize > 20)
      return usage(err, QStringLiteral("--font-size takes a size from 8 to 20"));
  }

  TDataModule1 dm;
  openRegister(dm, o.get(QStringLiteral("database")));
  // The list after the start of work, or the search's result over it; a
  // search that takes no criterion lists all cards, as the window does.
  if (search.given.isEmpty()) {
    dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  } else {
    PickSearchLists(search);
    const zv::SearchFilter filter = zv::BuildSearchFilter(search.criteria);
    if (filter.applied > 0)
      dm.setMainLines(filter.filter, QStringLiteral(" order by Reg_Num"));
    else
      dm.setMainLines(QStringLiteral("and person_type=0"), QStringLiteral("order by REG_NUM"));
  }

  QList<zv::ColumnEntry> entries = zv::MainListEntries(dm);
  if (o.has(QStringLiteral("columns"))) {
    const QString list = o.get(QStringLiteral("columns"));
    if (list.isEmpty()) {
      zv::TickNone(entries);
    } else {
      QString bad;
      if (!zv::ChooseByCaptions(entries, list.split(QLatin1Char(',')), &bad)) {
        dm.disconnectCommitting();
        return usage(err, QStringLiteral("no such column or given twice: \"%1\"").arg(bad));
      }
    }
  }

  std::unique_ptr<zv::ExportWriter> writer = zv::MakeExportWriter(kind);
  const zv::ListRows rows(dm, zv::ChosenFields(entries));
  const bool ok = zv::WriteExportFile(*writer, path, zv::ChosenColumns(entries), rows, layout);
  dm.disconnectCommitting();
  if (!ok) {
    err << "zv-admin export: " << writer->errorText() << "\n";
    return 1;
  }
  return 0;
}
