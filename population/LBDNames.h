#pragma once
// The name comparison window: every member whose stored name differs from
// the population register's name for the same EGN, and the replacement of a
// stored name with the register's, one member at a time. Created once; the
// list is built afresh at every showing and after every replacement.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

class TLbdNamesForm : public QDialog {
  Q_OBJECT
 public:
  explicit TLbdNamesForm(QWidget *parent = nullptr);
  ~TLbdNamesForm() override;

  QTableWidget *slNames;
  QPushButton *bSave;
  QPushButton *bExit;
  QLabel *Label1;

  // Rebuilds the list from the member table and the register; the message
  // when no member differs. Errors reach the caller.
  void Compare();

 public slots:
  // Replaces the stored name of the selected row (while there is a
  // difference to replace), then rebuilds the list.
  void bSaveClick();
  void slNamesDblClick();

 protected:
  void showEvent(QShowEvent *e) override;

 private:
  // Runs an action; an error it does not catch is shown with its text.
  void guarded(const std::function<void()> &fn);
  void ResetGrid();
};

// The name comparison window of the program, created once at start-up.
extern TLbdNamesForm *LbdNamesForm;
