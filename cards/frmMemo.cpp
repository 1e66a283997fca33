#include "frmMemo.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmuMemo::TfrmuMemo(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmuMemo"));
  setWindowTitle(QStringLiteral("Извършено действие"));

  ml = new QPlainTextEdit(this);
  ml->setObjectName(QStringLiteral("ml"));
  // The text is shown, not edited: nothing typed here would be kept.
  ml->setReadOnly(true);
  ml->setLineWrapMode(QPlainTextEdit::NoWrap);
  ml->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ml->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  bClose = new QPushButton(QStringLiteral("Затвори"), this);
  bClose->setObjectName(QStringLiteral("bClose"));
  bClose->setDefault(true);
  connect(bClose, &QPushButton::clicked, this, &QDialog::accept);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bClose);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ml, 1);
  layout->addLayout(buttons);
  resize(600, 400);
}

void TfrmuMemo::ShowText(QWidget *owner, const QString &text) {
  TfrmuMemo w(owner);
  // Stored texts break their lines with CR LF; the memo wants plain LF.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  w.ml->setPlainText(shown);
  w.exec();
}
