// zv-admin certificate: the official certificate of one card as the main
// window prints it (the rows the usual list admits for that card), as a PDF.
#include "Certificate.h"
#include "Commands.h"
#include "DataModule.h"
#include "Options.h"

namespace {
int usage(QTextStream &err, const QString &why) {
  if (!why.isEmpty()) err << "zv-admin certificate: " << why << "\n";
  err << "usage: zv-admin certificate --database PATH --regnum N --pdf FILE\n";
  return 2;
}
}  // namespace

int cmdCertificate(const QStringList &args, QTextStream &out, QTextStream &err) {
  Q_UNUSED(out);
  const ParsedOptions o =
      parseOptions(args, {QStringLiteral("database"), QStringLiteral("regnum"), QStringLiteral("pdf")});
  if (!o.error.isEmpty()) return usage(err, o.error);
  if (!o.positional.isEmpty()) return usage(err, QStringLiteral("unexpected argument %1").arg(o.positional.first()));
  if (!o.has(QStringLiteral("database")) || !o.has(QStringLiteral("regnum")) || !o.has(QStringLiteral("pdf")))
    return usage(err, QString());
  bool ok = false;
  const int regNum = o.get(QStringLiteral("regnum")).trimmed().toInt(&ok);
  if (!ok) return usage(err, QStringLiteral("--regnum takes a registration number"));
  const QString pdf = o.get(QStringLiteral("pdf"));
  if (pdf.isEmpty()) return usage(err, QStringLiteral("--pdf needs a file name"));

  TDataModule1 dm;
  openRegister(dm, o.get(QStringLiteral("database")));
  zv::Query &q = dm.TempQuery;
  q.SQL = QStringList{QStringLiteral("select count(*) from RGS_CARD where REG_NUM = ") + QString::number(regNum)};
  q.open();
  const bool exists = q.value(0, 0).toInt() > 0;
  q.close();
  if (!exists) {
    dm.disconnectCommitting();
    err << "Не същетсвува запис с този регистрационен номер" << "\n";
    return 1;
  }
  dm.setMainLines(zv::CardHoldersFilter(regNum), QStringLiteral(" order by Reg_Num"));
  const QString heading = zv::CertificateHeading(dm);
  const std::vector<zv::CertificateRow> rows = zv::CertificateRows(dm);
  dm.disconnectCommitting();
  QString error;
  if (!zv::WriteCertificatePdf(pdf, rows, heading, zv::today(), &error)) {
    err << "zv-admin certificate: " << error << "\n";
    return 1;
  }
  return 0;
}
