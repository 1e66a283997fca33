// Qt's own texts in the program's language: the boxes of the dialog facade
// as the running program shows them.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDate>
#include <QMessageBox>
#include <QPushButton>

#include "Dialogs.h"
#include "Modal.h"
#include "ZvApplication.h"

namespace {

TEST(Bulgarian, QuestionButtonsAndCalendarReadBulgarian) {
  ASSERT_TRUE(InstallBulgarian(*QCoreApplication::instance()));
  Dialogs::setScripted(false);
  QStringList buttons;
  QString defaultButton;
  zvtest::onModal<QMessageBox>([&](QMessageBox *box) {
    for (QAbstractButton *b : box->buttons()) buttons << b->text();
    defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(Dialogs::ask(QStringLiteral("Искате ли да запазите промените върху картона"),
                            QStringLiteral("Потвърждение")));
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({QStringLiteral("&Да"), QStringLiteral("&Не")}));
  EXPECT_EQ(defaultButton, QStringLiteral("&Не"));

  QString okText;
  zvtest::onModal<QMessageBox>([&](QMessageBox *box) {
    okText = box->buttons().value(0)->text();
    box->buttons().value(0)->click();
  });
  Dialogs::warning(QStringLiteral("Невалидно ЕГН!"));
  EXPECT_EQ(okText, QStringLiteral("Добре"));
  Dialogs::setScripted(true);

  // Month and day names of the calendars come from the Bulgarian locale.
  QCalendarWidget cal;
  EXPECT_EQ(cal.locale().monthName(1), QStringLiteral("януари"));
  EXPECT_EQ(cal.locale().dayName(1), QStringLiteral("понеделник"));
  EXPECT_EQ(QLocale().toString(QDate(2026, 12, 10), QStringLiteral("d MMMM yyyy")), QStringLiteral("10 декември 2026"));
}

}  // namespace
