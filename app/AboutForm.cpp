#include "AboutForm.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("За програмата"));
  auto *v = new QVBoxLayout(this);
  auto *icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("imgAbout"));
  icon->setPixmap(QIcon(QStringLiteral(":/icons/quorinzv.svg")).pixmap(96, 96));
  v->addWidget(icon, 0, Qt::AlignHCenter);
  auto *text = new QLabel(this);
  text->setObjectName(QStringLiteral("lblAbout"));
  text->setTextFormat(Qt::RichText);
  text->setOpenExternalLinks(true);
  text->setAlignment(Qt::AlignCenter);
  text->setText(QStringLiteral("<h3>Куорин Зелво</h3>"
                               "<p>Общинска картотека на нуждаещите се от жилище</p>"
                               "<p>Версия %1</p>"
                               "<p>Отдел \"Жилищна политика\"<br>тел. за помощ: вътр. 215</p>")
                    .arg(QStringLiteral(QUORINZV_VERSION)));
  v->addWidget(text);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Добре"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  v->addWidget(buttons);
}
