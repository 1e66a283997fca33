#pragma once
// "Редактиране на ЕГН": corrects the personal number of the member on the
// register's current row, and steps through the listed rows without leaving
// the window. Changes only RGS_PERSON.EGN of one row at a time; created once
// at start-up and shown modally from the invalid-number list.
#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

class TEGNRepair : public QDialog {
  Q_OBJECT
 public:
  explicit TEGNRepair(QWidget *parent = nullptr);
  ~TEGNRepair() override;

  QLabel *Label1;
  QLabel *DBText1;  // NAME of the current row, read-only
  QLabel *Label2;
  QLineEdit *EgnEdit;
  QWidget *Nav;
  QToolButton *nbFirst;
  QToolButton *nbPrior;
  QToolButton *nbNext;
  QToolButton *nbLast;
  QToolButton *SpeedButton1;  // "Редактиране"
  QToolButton *SpeedButton2;  // closes with OK

  enum NavigateBtn { nbtFirst, nbtPrior, nbtNext, nbtLast };

  // Shows the window modally on the register's current row; Accepted only
  // when it was closed with SpeedButton2.
  int Execute();

  void FormShow();
  void NavClick(int button);
  // Stores the typed number (Enter or "Редактиране").
  void OKClick();
  void SpeedButton2Click();
  void FormClose();

 signals:
  // The register's current row after a move of the navigator.
  void rowMoved(int row);

 protected:
  void showEvent(QShowEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;
  bool eventFilter(QObject *obj, QEvent *e) override;
  void done(int r) override;

 private:
  void loadCurrent();
  void focusEgn();
  bool located_ = false;
};

// The window of the program, created at start-up.
extern TEGNRepair *EGNRepair;
