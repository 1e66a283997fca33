#include "lbddialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dialogs.h"
#include "PersonInfo.h"
#include "ViewKarton.h"

TLBDForm *LBDForm = nullptr;

namespace {
void setBox(QLineEdit *box, const QString &text) {
  box->setText(text);
  box->setCursorPosition(0);  // long addresses show their beginning
}
}  // namespace

TLBDForm::TLBDForm(QWidget *parent) : QDialog(parent) {
  if (!LBDForm) LBDForm = this;
  setObjectName(QStringLiteral("LBDForm"));
  setWindowTitle(QStringLiteral("Проверка в Локална База Данни"));
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setColumnStretch(1, 1);
  int row = 0;
  // A date box is short; a text box runs the whole width.
  const auto line = [&](const QString &caption, QLineEdit *&box, const char *boxName, QCheckBox *&tick,
                        const char *tickName, bool date = false) {
    box = new QLineEdit(this);
    box->setObjectName(QLatin1String(boxName));
    box->setReadOnly(true);
    if (date)
      box->setFixedWidth(110);
    else
      box->setMinimumWidth(500);
    tick = new QCheckBox(this);
    tick->setObjectName(QLatin1String(tickName));
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    grid->addWidget(label, row, 0);
    if (date)
      grid->addWidget(box, row, 1, Qt::AlignLeft);
    else
      grid->addWidget(box, row, 1);
    grid->addWidget(tick, row, 2);
    ++row;
  };
  line(QStringLiteral("Име:"), Name, "Name", CB1, "CB1");
  line(QStringLiteral("ЕГН:"), EGN, "EGN", CB2, "CB2");
  line(QStringLiteral("Постоянен адрес:"), Address1, "Address1", CB3, "CB3");
  line(QStringLiteral("Адресна рег. от дата:"), AddrReg1, "AddrReg1", CB4, "CB4", true);
  line(QStringLiteral("Настоящ адрес:"), Address2, "Address2", CB5, "CB5");
  line(QStringLiteral("Адресна рег. от дата:"), AddrReg2, "AddrReg2", CB6, "CB6", true);
  line(QStringLiteral("Данни за личната карта:"), IDInfo, "IDInfo", CB7, "CB7");

  CB1->setChecked(true);
  CB2->setChecked(true);
  CB2->setEnabled(false);  // the EGN is never copied

  Button1 = new QPushButton(QStringLiteral("Попълване на избраните данни"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Отказ"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);

  auto *root = new QVBoxLayout(this);
  root->addLayout(grid);
  root->addSpacing(6);
  root->addLayout(buttons);
  root->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog frame
}

TLBDForm::~TLBDForm() {
  if (LBDForm == this) LBDForm = nullptr;
}

void TLBDForm::Fill(const zv::LbdBoxes &b) {
  setBox(Name, b.Name);
  setBox(EGN, b.EGN);
  setBox(Address1, b.Address1);
  setBox(AddrReg1, b.AddrReg1);
  setBox(Address2, b.Address2);
  setBox(AddrReg2, b.AddrReg2);
  setBox(IDInfo, b.IDInfo);
}

zv::LbdBoxes TLBDForm::Boxes() const {
  return {Name->text(),     EGN->text(),      Address1->text(), AddrReg1->text(),
          Address2->text(), AddrReg2->text(), IDInfo->text()};
}

zv::LbdTicks TLBDForm::Ticks() const {
  zv::LbdTicks t;
  t.CB1 = CB1->isChecked();
  t.CB3 = CB3->isChecked();
  t.CB4 = CB4->isChecked();
  t.CB5 = CB5->isChecked();
  t.CB6 = CB6->isChecked();
  t.CB7 = CB7->isChecked();
  return t;
}

void bLBDClick(TViewKart *kart) {
  // One service object for this check, released when the check ends.
  TPersonInfo info;
  const QString egn = kart->PersonEGN->text();
  if (!info.Lookup(egn)) {
    Dialogs::message(zv::LbdNotFoundText());
    return;
  }
  // The program makes the window at start-up; a card window working without
  // it gets one that lives as long as the card window.
  TLBDForm *form = LBDForm ? LBDForm : new TLBDForm(kart);
  form->Fill(zv::ComposeLbdBoxes(info.Values, egn));
  if (form->exec() != QDialog::Accepted) return;

  const zv::LbdCopy copy =
      zv::CopyTicked(form->Boxes(), form->Ticks(), kart->mNotes->toPlainText(), kart->PersonNotes->text());
  // Only what the copy changes is set, as if the clerk had typed it.
  if (copy.FirstName) kart->FirstName->setText(*copy.FirstName);
  if (copy.ebAdress) kart->ebAdress->setText(*copy.ebAdress);
  if (copy.dtAdress) kart->dtAdress->setDate(*copy.dtAdress);
  if (copy.mNotes) kart->mNotes->setPlainText(*copy.mNotes);
  if (copy.PersonNotes) kart->PersonNotes->setText(*copy.PersonNotes);
}
