#pragma once
// Small pieces the card window's files share: naming and highlighting its
// controls, the date box, the text of a memo.
#include <QDateEdit>
#include <QString>

#include "ZvDate.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QPlainTextEdit;

namespace zv {

template <class W>
W *named(W *w, const char *name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

// The pale yellow background of the fields a card must have.
void highlight(QWidget *w);

// A date box as the card window uses it: a calendar to pick from, the date as
// dd.MM.yyyy, and Tab / Shift+Tab going to the next / previous field instead
// of walking day, month and year (the arrow keys and typing do that).
class DateBox : public QDateEdit {
  Q_OBJECT
 public:
  explicit DateBox(QWidget *parent = nullptr);

 protected:
  bool focusNextPrevChild(bool next) override;
};

// Makes the controls of one window, each named and owned by the window.
struct ControlMaker {
  QWidget *owner;
  QLineEdit *edit(const char *name) const;
  QComboBox *list(const char *name) const;
  DateBox *date(const char *name) const;  // showing today
  // A push button that takes Enter itself while it has the focus; Enter
  // anywhere else presses the window's default button.
  QPushButton *button(const char *name, const QString &text) const;
  QLabel *label(const QString &text) const;
};

// The memo's text with every character it holds; toPlainText() would turn a
// non-breaking space into a blank. Line breaks come as LF.
QString MemoText(const QPlainTextEdit *memo);

// A drop-down list at least as wide as its longest entry, measured without
// the blanks code-list texts come back filled with.
void fitToEntries(QComboBox *box);
// Their widest entry, the same way.
int widestEntry(const QComboBox *box);

// The day a date box shows.
TDate dayOf(const QDateEdit *box);

// A failure the command does not handle itself, with its text.
void ShowServerError(const QString &text);

// Shows a text in a one-line box from its start: a long address shows the
// street, not its end.
void setTextAtStart(QLineEdit *box, const QString &text);

}  // namespace zv
