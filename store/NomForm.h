#pragma once
// The nomenclature window, and the one routine that fills every list control
// of the program from a NOM column.
#include <QDialog>

#include "Nomen.h"

class QComboBox;
class QPushButton;
class QTableView;

namespace zv {

// Empties box and fills it with NomEntries(column); each item carries its code
// as item data. The box is left without a choice (current index -1).
void FillNomList(QComboBox *box, const QString &column);

}  // namespace zv

// "Номенклатури": pages through the seven lists one at a time. Created once
// and shown modally; every opening starts again at "Група".
class TNomForm : public QDialog {
  Q_OBJECT
 public:
  explicit TNomForm(QWidget *parent = nullptr);

  QTableView *NomGrid;
  QPushButton *bPrev;
  QPushButton *bNext;
  QPushButton *bExit;

  // The list shown, 1 (GROUP1) to 7 (KARTFOR).
  int currentList() const { return current_; }
  // The user's access level: everyone may look at the lists, only an
  // administrator may delete from them. Nothing is allowed until it is set.
  void setAccessLevel(int level) { accessLevel_ = level; }

 public slots:
  void FormShow();
  void bPrevClick();
  void bNextClick();
  // Ctrl+Delete in the grid: deletes the current row after a confirmation;
  // refused without the right to edit the code lists.
  void NomGridDeleteRow();

 protected:
  void showEvent(QShowEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  zv::NomGridModel *model_;
  int current_ = 1;
  int accessLevel_ = 0;
  void showOnly(int list);
};
