#pragma once
// The search panel above the register list: eight criteria, each with a
// small tick box to the right of its input(s), and the button that runs the
// search. The panel keeps the tick boxes consistent (the registration number
// and the personal number are each searched alone), highlights the inputs
// that take part, ticks a criterion when its input changes, and asks for the
// search on Enter in its text fields and lists.
#include <QGroupBox>

#include "SearchFilter.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

class TSearchPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit TSearchPanel(QWidget *parent = nullptr);

  QCheckBox *CheckBox1;  // registration number
  QCheckBox *CheckBox2;  // name
  QCheckBox *CheckBox3;  // personal number
  QCheckBox *CheckBox4;  // children under 18
  QCheckBox *CheckBox5;  // registration date
  QCheckBox *CheckBox6;  // group
  QCheckBox *CheckBox8;  // status
  QCheckBox *CheckBox9;  // no declaration
  QLineEdit *sRegNum;
  QLineEdit *sName;
  QLineEdit *sEGN;
  QLineEdit *sMemFrom;
  QLineEdit *sMemTo;
  QDateEdit *sDateFrom;
  QDateEdit *sDateTo;
  QComboBox *sGroup;
  QComboBox *sStatus;
  QDateEdit *dFrom;
  QDateEdit *dTo;
  QPushButton *sbSearch;

  // The criteria as the panel holds them.
  zv::SearchCriteria criteria() const;
  // True while the input shows the background of a criterion taking part.
  static bool isHighlighted(const QWidget *input);

 signals:
  // Enter in a text field or list, or the button.
  void searchRequested();

 protected:
  bool eventFilter(QObject *obj, QEvent *e) override;

 private:
  struct Criterion {
    QCheckBox *box;
    QList<QWidget *> inputs;
  };
  QList<Criterion> criteria_;
  void boxToggled(QCheckBox *box, bool on);
  void inputChanged(QCheckBox *box);
};
