#pragma once
// Reading what the program wrote with programs we did not write: the
// office suite's converter, catdoc's xls2csv, python's xlrd, poppler's
// pdftotext. A missing reader fails the test (scripts/setup.sh installs them).
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

// Texts in failure messages as text, not as code units.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) {
  *os << '{';
  for (const QString &s : l) *os << '"' << s.toStdString() << "\", ";
  *os << '}';
}

namespace readers {

struct Run {
  int status = -1;
  QByteArray out, err;
};

inline Run run(const QString &program, const QStringList &args, int ms = 120000,
               const QByteArray &input = QByteArray(),
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) {
  Run r;
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  if (!p.waitForStarted(10000)) {
    ADD_FAILURE() << "cannot start " << program.toStdString() << " (run scripts/setup.sh)";
    return r;
  }
  if (!input.isEmpty()) p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(ms)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << program.toStdString() << " did not finish";
    return r;
  }
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

inline QByteArray fileBytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The system's python, which has xlrd.
inline QString python() {
  return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                            : QStringLiteral("python3");
}

// A workbook as xlrd reads it: per sheet its name, cell texts, merged ranges,
// and for every cell of the first rows its font (bold, height), format
// string and horizontal alignment; the column widths.
inline QJsonObject readXls(const QString &path) {
  static const char *script = R"PY(
import json, sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = {"sheets": []}
for s in b.sheets():
    sh = {"name": s.name, "rows": [], "merged": [list(m) for m in s.merged_cells], "fmt": [], "widths": []}
    for r in range(s.nrows):
        sh["rows"].append([s.cell_value(r, c) for c in range(s.ncols)])
    for r in range(min(s.nrows, 12)):
        line = []
        for c in range(s.ncols):
            xf = b.xf_list[s.cell_xf_index(r, c)]
            f = b.font_list[xf.font_index]
            line.append({"bold": bool(f.bold), "height": f.height, "format": b.format_map[xf.format_key].format_str,
                         "align": xf.alignment.hor_align, "vert": xf.alignment.vert_align,
                         "border": xf.border.left_line_style})
        sh["fmt"].append(line)
    for c in range(s.ncols):
        sh["widths"].append(s.colinfo_map[c].width if c in s.colinfo_map else -1)
    out["sheets"].append(sh)
print(json.dumps(out))
)PY";
  const Run r = run(python(), {QStringLiteral("-c"), QString::fromLatin1(script), path});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  return QJsonDocument::fromJson(r.out).object();
}

// Converts the files with the office suite's converter ("txt:Text" for
// documents, "csv" for workbooks, "pdf") into dir; one start for them all.
inline bool officeConvert(const QStringList &files, const QString &filter, const QString &dir) {
  QTemporaryDir home;
  QStringList args{QStringLiteral("-env:UserInstallation=file://") + home.path(), QStringLiteral("--headless"),
                   QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), dir};
  args << files;
  const Run r = run(QStringLiteral("soffice"), args, 240000);
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  return r.status == 0;
}

// The text of a PDF, laid out as on the page.
inline QString pdfText(const QString &path) {
  const Run r = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  return QString::fromUtf8(r.out);
}

}  // namespace readers
