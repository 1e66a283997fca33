#include "frmNotes.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>

#include "CardWidgets.h"
#include "Dialogs.h"
#include "History.h"

namespace zv {

QString StampedMemoText(const QString &memoText, const QString &note) {
  if (note.isEmpty()) return memoText;
  QString text = memoText;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  text = AddNoteStamp(text, note, QStringLiteral("Потребителско"));
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace zv

namespace {

const QString kErrorCaption = QStringLiteral("Грешка");

void printError(const QString &text) {
  Dialogs::message(QStringLiteral("Грешка при печат: ") + text, kErrorCaption, Dialogs::Icon::Error);
}

QString printerLabel(const QPrinter &printer) {
  if (!printer.outputFileName().isEmpty())
    return QStringLiteral("файлът \"%1\" не може да бъде записан").arg(printer.outputFileName());
  return QStringLiteral("принтерът \"%1\" не може да бъде отворен").arg(printer.printerName());
}

}  // namespace

TfrmuNotes::TfrmuNotes(QPlainTextEdit *cardMemo, QWidget *parent) : QDialog(parent), cardMemo_(cardMemo) {
  setObjectName(QStringLiteral("frmuNotes"));
  setWindowTitle(QStringLiteral("Бележки"));
  setModal(true);

  GroupBox1 = new QGroupBox(QStringLiteral("Бележки"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  mNotes = new QPlainTextEdit(GroupBox1);
  mNotes->setObjectName(QStringLiteral("mNotes"));
  // Stamping is the only way to change the text here.
  mNotes->setReadOnly(true);
  mNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  note_txt = new QLineEdit(GroupBox1);
  note_txt->setObjectName(QStringLiteral("note_txt"));
  add_note = new QPushButton(QStringLiteral("Добави"), GroupBox1);
  add_note->setObjectName(QStringLiteral("add_note"));
  add_note->setAutoDefault(false);
  Button1 = new QPushButton(QStringLiteral("Изход"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setAutoDefault(false);
  Button2 = new QPushButton(QStringLiteral("Печат"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setAutoDefault(false);

  auto *noteRow = new QHBoxLayout;
  noteRow->addWidget(note_txt, 1);
  noteRow->addWidget(add_note);
  auto *group = new QVBoxLayout(GroupBox1);
  group->addWidget(mNotes, 1);
  group->addLayout(noteRow);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button1);
  auto *root = new QVBoxLayout(this);
  root->addWidget(GroupBox1, 1);
  root->addLayout(buttons);
  resize(700, 550);

  connect(add_note, &QPushButton::clicked, this, &TfrmuNotes::add_noteClick);
  connect(Button1, &QPushButton::clicked, this, &TfrmuNotes::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TfrmuNotes::PrintIt);

  if (cardMemo_) mNotes->setPlainText(zv::MemoText(cardMemo_));
}

void TfrmuNotes::add_noteClick() {
  if (note_txt->text().isEmpty()) return;
  mNotes->setPlainText(zv::StampedMemoText(zv::MemoText(mNotes), note_txt->text()));
}

void TfrmuNotes::Button1Click() { accept(); }

void TfrmuNotes::done(int r) {
  // Only a real difference marks the card as changed.
  if (cardMemo_ && zv::MemoText(cardMemo_) != zv::MemoText(mNotes)) cardMemo_->setPlainText(zv::MemoText(mNotes));
  QDialog::done(r);
}

QStringList TfrmuNotes::Lines() const {
  const QString text = mNotes->toPlainText();
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  // A text ending in a line break has no further line after it.
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void TfrmuNotes::PrintIt() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    printError(QStringLiteral("няма зададен принтер по подразбиране"));
    return;
  }
  QPrinter printer(info);
  PrintTo(printer);
}

bool TfrmuNotes::PrintTo(QPrinter &printer) {
  printer.setDocName(QStringLiteral("Бележки"));
  QPainter painter;
  if (!painter.begin(&printer)) {
    printError(printerLabel(printer));
    return false;
  }
  // Plain text: a fixed-pitch font, line after line from the top of the page.
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(10);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const qreal width = page.width();
  const qreal height = page.height();
  const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();

  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  qreal y = 0;
  bool ok = true;
  for (const QString &text : Lines()) {
    // A line wider than the paper goes on below rather than off the edge.
    QTextLayout layout(text, font, &printer);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) l.setLineWidth(width);
    layout.endLayout();
    const int count = qMax(layout.lineCount(), 1);
    for (int i = 0; i < count && ok; ++i) {
      if (y + lineHeight > height && y > 0) {
        ok = printer.newPage();
        y = 0;
      }
      if (i < layout.lineCount()) {
        const QTextLine l = layout.lineAt(i);
        l.draw(&painter, QPointF(0, y - l.y()));
      }
      y += lineHeight;
    }
    if (!ok) break;
  }
  if (!painter.end()) ok = false;
  if (!ok) printError(printerLabel(printer));
  return ok;
}
