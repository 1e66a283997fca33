#pragma once
// The check window of the population register: what the register holds for
// the member's personal number, with a check box beside each box for what is
// to be copied into the card window. Created once; the check boxes keep the
// user's last choice for the next check of the run.
#include <QDialog>

#include "LbdCheck.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class TViewKart;

class TLBDForm : public QDialog {
  Q_OBJECT
 public:
  explicit TLBDForm(QWidget *parent = nullptr);
  ~TLBDForm() override;

  QLineEdit *Name;
  QLineEdit *EGN;
  QLineEdit *Address1;
  QLineEdit *AddrReg1;
  QLineEdit *Address2;
  QLineEdit *AddrReg2;
  QLineEdit *IDInfo;
  QCheckBox *CB1;
  QCheckBox *CB2;
  QCheckBox *CB3;
  QCheckBox *CB4;
  QCheckBox *CB5;
  QCheckBox *CB6;
  QCheckBox *CB7;
  QPushButton *Button1;  // "Попълване на избраните данни": OK
  QPushButton *Button2;  // "Отказ"

  void Fill(const zv::LbdBoxes &boxes);
  zv::LbdBoxes Boxes() const;
  zv::LbdTicks Ticks() const;
};

// The check window of the program, created once at start-up.
extern TLBDForm *LBDForm;

// The card window's check (its button "Провека в ЛБД ..."): looks the
// member's EGN up, shows the check window and copies what the user ticked
// into the card window's boxes. Nothing is stored. Throws
// PersonInfoUnavailable when the service cannot be reached.
void bLBDClick(TViewKart *kart);
