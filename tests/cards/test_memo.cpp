// The text window of the history: a history entry's whole message, opened by
// a double click in the history window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "DataModule.h"
#include "History.h"
#include "LogForm.h"
#include "Modal.h"
#include "Session.h"
#include "TempRegister.h"
#include "frmMemo.h"

namespace {

TEST(HistoryText, DoubleClickShowsTheWholeMessageInTheTextWindow) {
  TempRegister reg;
  TDataModule1 dm;
  dm.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  zv::session().CurrentUserName = QStringLiteral("Администратор");
  zv::session().CurrentUserId = QStringLiteral("1");
  // 400 characters with a line break far past what the grid shows
  QString text = QString(300, QChar(u'ж')) + QStringLiteral("\r\n");
  text += QString(400 - text.size(), QChar(u'я'));
  zv::LogAction(3, QStringLiteral("RGS_CARD"), text);

  TLogF f(nullptr, &TfrmuMemo::ShowText);
  f.show();
  const QModelIndex cell = f.DBGrid1->model()->index(0, zv::LogModel::ColText);
  ASSERT_TRUE(cell.isValid());
  EXPECT_EQ(cell.data().toString(), QString(150, QChar(u'ж')));

  QString shown;
  bool readOnly = false;
  QWidget *owner = nullptr;
  // The text window runs its own modal loop; act on it from there.
  zvtest::onModal<TfrmuMemo>([&](TfrmuMemo *memo) {
    shown = memo->ml->toPlainText();
    readOnly = memo->ml->isReadOnly();
    owner = memo->parentWidget();
    memo->bClose->click();
  });
  const QPoint at = f.DBGrid1->visualRect(cell).center();
  QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, at);

  EXPECT_EQ(shown, QString(300, QChar(u'ж')) + QLatin1Char('\n') + QString(98, QChar(u'я')));
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(owner, &f);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // discarded on closing
  zv::session() = zv::Session{};
  dm.Transaction.rollback();
  dm.Database.disconnect();
}

}  // namespace
