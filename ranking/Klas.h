#pragma once
// The criteria window: the clerk orders the ranking's sort criteria before a
// ranking is made. Created for one ranking command and destroyed after it;
// the order lives only in the window.
#include <QDialog>
#include <vector>

#include "Ranking.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TKlasForm : public QDialog {
  Q_OBJECT
 public:
  // Reads the criteria from KLAS_NOM through the data module (the built-in
  // list when the table is empty or there is no connection).
  explicit TKlasForm(QWidget *parent = nullptr);

  QPlainTextEdit *KlasInfo;
  QListWidget *ClassList;
  QToolButton *sbUp;
  QToolButton *sbDown;
  QCheckBox *cbRefreshInfo;
  QPushButton *bOK;
  QPushButton *bCancel;

  // Rows of KLAS_NOM (T) and the fixed ones among them (F); 0 and 0 for the
  // built-in list.
  int T = 0;
  int F = 0;

  // The entries in the list's current order.
  std::vector<zv::Criterion> criteria() const;
  // The order clause the list gives now.
  QString RankingOrderText() const;

 public slots:
  void sbUpClick();
  void sbDownClick();
  void FormShow();

 protected:
  void showEvent(QShowEvent *e) override;

 private:
  void fill(const std::vector<zv::Criterion> &entries);
  void swapWith(int row, int other);
};
