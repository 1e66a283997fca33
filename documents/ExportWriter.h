#pragma once
// The writers behind the export of a list: a delimited text file, a Word
// document and an Excel 97-2003 workbook. Each takes the captions of the
// chosen columns and reads the rows one at a time (a writer may go through
// them twice), so a long list is never held twice; each writes to any
// seekable device and tells what went wrong in a text of its own.
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace zv {

enum class ExportType { Word, Excel, Text };

struct ExportColumn {
  QString caption;
  bool alignRight = false;  // the column holds floating-point numbers
};

// The rows of an export, read by position.
class ExportRows {
 public:
  virtual ~ExportRows() = default;
  virtual int count() const = 0;
  // The cell texts of row `row`, one per column, in column order.
  virtual void cells(int row, QStringList &out) const = 0;
};

// Rows held in memory.
class RowList : public ExportRows {
 public:
  RowList() = default;
  explicit RowList(QList<QStringList> rows) : rows_(std::move(rows)) {}
  int count() const override { return static_cast<int>(rows_.size()); }
  void cells(int row, QStringList &out) const override { out = rows_.at(row); }

 private:
  QList<QStringList> rows_;
};

struct ExportLayout {
  QString title;   // may hold several lines
  QString footer;  // may hold several lines
  QString delimiter = QStringLiteral("|");
  bool landscape = true;
  int fontSize = 0;  // points; 0 keeps the document's default size
};

// Told as the rows are gone through: `done` of `total` steps.
using ExportProgress = std::function<void(int done, int total)>;

// "Няма избрани колони за извеждане !"
extern const QString kNoColumnsChosen;

class ExportWriter {
 public:
  virtual ~ExportWriter() = default;
  // The file dialog's filter list as pairs of description and pattern, all
  // separated by "|", and the extension proposed for a new file.
  virtual QString filter() const = 0;
  virtual QString extension() const = 0;
  // Writes the whole document to out, which must be open for writing. False,
  // with the reason in errorText(), when nothing usable was written.
  virtual bool write(const QList<ExportColumn> &columns, const ExportRows &rows, const ExportLayout &layout,
                     QIODevice &out, const ExportProgress &progress = {}) = 0;
  QString errorText() const { return error_; }
  void setErrorText(const QString &why) { error_ = why; }

 protected:
  bool fail(const QString &why) {
    error_ = why;
    return false;
  }
  QString error_;
};

std::unique_ptr<ExportWriter> MakeExportWriter(ExportType type);

// Writes the document to the file at path. The file is replaced only when
// the whole document is written; a failure leaves an earlier file as it was.
bool WriteExportFile(ExportWriter &writer, const QString &path, const QList<ExportColumn> &columns,
                     const ExportRows &rows, const ExportLayout &layout, const ExportProgress &progress = {});

// The "|"-separated pairs of a writer's filter as a file dialog takes them:
// "Текстов файл|*.txt|Всички|*.*" becomes "Текстов файл (*.txt);;Всички (*.*)".
QString FileDialogFilter(const QString &pairs);
// "*.doc" -> "doc"
QString ExtensionSuffix(const QString &extension);

// The lines of a multi-line text box: split at line breaks, a final line
// break ending the last line rather than starting an empty one. An empty
// text has no lines.
QStringList MemoLines(const QString &text);

// The cells, each followed by the delimiter, with the last delimiter cut off.
QString JoinCells(const QStringList &cells, const QString &delimiter);

// The column after `letters` on a worksheet: A -> B, Z -> AA, AB -> AC,
// AZ -> BA (upper-cased first).
QString NextColumnLetter(const QString &letters);

// The Windows-1251 code of a character, -1 when it has none.
int Cp1251Code(char16_t c);

}  // namespace zv
