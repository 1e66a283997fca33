#pragma once
// "Настройки": the user's printout texts in zv.ini and the shared counters and
// organisation heading in NOM.
#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// Section and keys of zv.ini written here.
inline const QString kIniUserSection = QStringLiteral("User");
inline const QString kIniPageHeader = QStringLiteral("pageheader");
inline const QString kIniPageFooter = QStringLiteral("pagefooter");
// What the window offers while zv.ini has no texts yet.
inline const QString kOptionsHeaderDefault = QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ ОТ");
inline const QString kPageFooterDefault = QStringLiteral("Проверил:_________");
// Shown when a counter is not a whole number or a counter write fails.
inline const QString kBadInputMessage = QStringLiteral("Грешно въведени данни");

class TOptionsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TOptionsForm(QWidget *parent = nullptr);

  // The access level of the logged-in user; only level 1 may change the
  // organisation heading and the minimum years at the address.
  void setAccessLevel(int level) { accessLevel_ = level; }
  int accessLevel() const { return accessLevel_; }

  // The whole command: fills the fields, shows the window modally and, when
  // it is confirmed, writes the values back. True when confirmed.
  bool Execute();
  // Fills the fields from NOM rows 0, 1 and 3 and from zv.ini, and enables
  // the administrator's fields by the access level.
  void LoadValues();
  // Writes the fields as "ОК" does: the two texts to zv.ini, then the
  // counters through Nom. False when "Грешно въведени данни" was shown; what
  // was written before the failing step stays.
  bool SaveValues();
  // Shows the message and answers true when a text has no Windows-1251 form.
  bool RefuseUnwritableTexts();

  QLineEdit *PrHeader;
  QLineEdit *PrFooter;
  QLineEdit *lastn;
  QLineEdit *currn;
  QLineEdit *DateNum;
  QLineEdit *edSob;
  QPushButton *bOK;
  QPushButton *bCancel;

 protected:
  void showEvent(QShowEvent *e) override;

 private:
  int accessLevel_ = 0;
  int oldCurrent_ = 0;  // "Текущ :" as read from NOM
};
