#include "CardWidgets.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocument>

#include "Dialogs.h"

namespace zv {

void highlight(QWidget *w) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, QColor(255, 255, 200));
  p.setColor(QPalette::Button, QColor(255, 255, 200));
  w->setPalette(p);
}

DateBox::DateBox(QWidget *parent) : QDateEdit(parent) {
  setCalendarPopup(true);
  setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
}

bool DateBox::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

QLineEdit *ControlMaker::edit(const char *name) const { return named(new QLineEdit(owner), name); }

QComboBox *ControlMaker::list(const char *name) const { return named(new QComboBox(owner), name); }

DateBox *ControlMaker::date(const char *name) const {
  auto *d = named(new DateBox(owner), name);
  d->setDate(toQDate(today()));
  return d;
}

QPushButton *ControlMaker::button(const char *name, const QString &text) const {
  auto *b = named(new QPushButton(text, owner), name);
  b->setAutoDefault(true);
  return b;
}

QLabel *ControlMaker::label(const QString &text) const { return new QLabel(text, owner); }

QString MemoText(const QPlainTextEdit *memo) {
  QString text = memo->document()->toRawText();
  for (QChar &c : text) {
    // Block ends (and the frame marks a plain memo never holds) are line breaks.
    const char16_t u = c.unicode();
    if (u == QChar::ParagraphSeparator || u == 0xfdd0 || u == 0xfdd1) c = QLatin1Char('\n');
  }
  return text;
}

int widestEntry(const QComboBox *box) {
  const QFontMetrics fm = box->fontMetrics();
  int widest = 0;
  for (int i = 0; i < box->count(); ++i) {
    QString text = box->itemText(i);
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    widest = qMax(widest, fm.horizontalAdvance(text));
  }
  return widest;
}

void fitToEntries(QComboBox *box) {
  // The size hint would count the blanks; the least width is set instead.
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(8);
  QStyleOptionComboBox opt;
  opt.initFrom(box);
  const QSize text(widestEntry(box) + 4, box->fontMetrics().height());
  box->setMinimumWidth(box->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, text, box).width());
}

TDate dayOf(const QDateEdit *box) { return fromQDate(box->date()); }

void ShowServerError(const QString &text) {
  Dialogs::message(text, QApplication::applicationName(), Dialogs::Icon::Error);
}

void setTextAtStart(QLineEdit *box, const QString &text) {
  box->setText(text);
  box->setCursorPosition(0);
}

}  // namespace zv
