// The export window over the main window's list: its controls, the column
// list, writing each type, its refusals, and the saved views.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTest>
#include <QToolButton>

#include "egn.h"
#include "ExportColumns.h"
#include "IniFile.h"
#include "ListFixture.h"
#include "Modal.h"
#include "Readers.h"
#include "SaveRep_u.h"

using namespace zv;

namespace {

class SaveRepTest : public ListFixture {
 protected:
  QStringList opened;
  bool opens = true;

  void fillRegister() override {
    addCard(reg.path, 7, QStringLiteral("Иван Петров"), QStringLiteral("ул. Шипка 5"), QStringLiteral("15.06.2024 10:30:00"));
    addCard(reg.path, 8, QStringLiteral("Мария Стоянова"), QStringLiteral("ул. Гурко 1"));
    addCard(reg.path, 9, QStringLiteral("Петър Колев"), QStringLiteral("ул. Витоша 3"));
  }
  void SetUp() override {
    ListFixture::SetUp();
    TfrmSaveRep::openDocument = [this](const QString &path) {
      opened << path;
      return opens;
    };
  }
  void TearDown() override {
    TfrmSaveRep::openDocument = nullptr;
    ListFixture::TearDown();
  }
  // Runs `act` on the export window opened by the list command (F7).
  void withWindow(const std::function<void(TfrmSaveRep *)> &act) {
    zvtest::onModal<TfrmSaveRep>([&](TfrmSaveRep *w) {
      act(w);
      if (w->isVisible()) w->reject();
    });
    form->findChild<QAction *>(QStringLiteral("mList"))->trigger();
  }
  static QStringList checked(const TfrmSaveRep *w) {
    QStringList out;
    for (int i = 0; i < w->CLB->count(); ++i)
      if (w->CLB->item(i)->checkState() == Qt::Checked) out << w->CLB->item(i)->text();
    return out;
  }
  static QStringList listed(const TfrmSaveRep *w) {
    QStringList out;
    for (int i = 0; i < w->CLB->count(); ++i) out << w->CLB->item(i)->text();
    return out;
  }
  // The display texts of the list's rows for the fields, as the grid shows them.
  QString line(int row, const QStringList &fields, const QString &d) const {
    QStringList cells;
    // exported without the blanks that pad the columns
    for (const QString &f : fields) cells << zv::TrimRight(dm->displayText(row, f));
    return cells.join(d);
  }
};

QStringList allCaptionsButPoints() {
  QStringList out;
  for (const GridColumn &c : MainGridColumns())
    if (c.visibleAfterLogin) out << c.title;
  return out;
}

QByteArray cp1251(const QString &s) {
  QStringEncoder enc("windows-1251");
  return enc.encode(s);
}

}  // namespace

TEST_F(SaveRepTest, OpensWithTheListTitleTheVisibleColumnsAndTheDefaults) {
  start();
  bool seen = false;
  withWindow([&](TfrmSaveRep *w) {
    seen = true;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Избор на колони за запис"));
    EXPECT_EQ(w->Memo1->toPlainText(), QStringLiteral("Списък на картотеката - 15.06.2024"));
    EXPECT_TRUE(w->Footer_M->toPlainText().isEmpty());
    EXPECT_EQ(w->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(w->pcColList->tabText(0), QStringLiteral("Главна таблица"));
    // the visible columns in grid order, all ticked but "  №"
    EXPECT_EQ(listed(w), allCaptionsButPoints());
    EXPECT_EQ(checked(w), allCaptionsButPoints().mid(1));
    EXPECT_TRUE(w->MSWord_RB->isChecked());
    EXPECT_FALSE(w->Delim_ed->isVisible());
    EXPECT_TRUE(w->Layout_CB->isVisible());
    EXPECT_EQ(w->Layout_CB->currentText(), QStringLiteral("Пейзаж"));
    EXPECT_EQ(w->Font_CB->currentText(), QStringLiteral("По подразбиране"));
    EXPECT_EQ(w->Font_CB->count(), 14);
    EXPECT_EQ(w->Delim_ed->text(), QStringLiteral("|"));
    EXPECT_EQ(w->cbSavedViews->itemText(0), QStringLiteral("Няма"));
    EXPECT_EQ(w->InvertSel_SB->toolTip(), QStringLiteral("Избира елементите които не избрани"));
    EXPECT_FALSE(grid()->updatesEnabled());  // the grid is detached while the window is open

    w->rbTextFile->setChecked(true);
    EXPECT_TRUE(w->Delim_ed->isVisible());
    EXPECT_FALSE(w->Layout_CB->isVisible());
    EXPECT_FALSE(w->Font_CB->isVisible());
    w->MSExcel_RB->setChecked(true);
    EXPECT_FALSE(w->Delim_ed->isVisible());
    EXPECT_TRUE(w->Font_CB->isVisible());

    w->InvertSel_SB->click();
    EXPECT_EQ(checked(w), QStringList{QStringLiteral("  №")});
    w->SelectAll_SB->click();
    EXPECT_EQ(checked(w), allCaptionsButPoints());
    w->DeselectAll_SB->click();
    EXPECT_TRUE(checked(w).isEmpty());
    w->Quit_SB->click();
    EXPECT_FALSE(w->isVisible());
  });
  EXPECT_TRUE(seen);
  EXPECT_TRUE(grid()->updatesEnabled());
  EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST_F(SaveRepTest, TextFileHoldsTheChosenColumnsInTheirOrder) {
  start();
  const QString path = profile.filePath(QStringLiteral("list.txt"));
  withWindow([&](TfrmSaveRep *w) {
    w->rbTextFile->setChecked(true);
    w->Delim_ed->setText(QStringLiteral(";"));
    // drag "Име" onto "Рег.номер", untick "ЕГН" with a click on its box
    const auto centre = [&](int row) { return w->CLB->visualItemRect(w->CLB->item(row)).center(); };
    ASSERT_EQ(w->CLB->item(3)->text(), QStringLiteral("Име"));
    QTest::mouseClick(w->CLB->viewport(), Qt::LeftButton, {}, centre(3));
    QTest::mousePress(w->CLB->viewport(), Qt::LeftButton, {}, centre(3));
    QTest::mouseMove(w->CLB->viewport(), centre(2));
    QTest::mouseMove(w->CLB->viewport(), centre(1));
    QTest::mouseRelease(w->CLB->viewport(), Qt::LeftButton, {}, centre(1));
    EXPECT_EQ(listed(w).mid(0, 4), QStringList({"  №", "Име", "Рег.номер", "Рег.дата"}));
    w->CLB->item(4)->setCheckState(Qt::Unchecked);  // "ЕГН"
    // Ctrl+Down moves the current entry one place
    w->CLB->setCurrentRow(0);
    QTest::keyClick(w->CLB, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(listed(w).mid(0, 2), QStringList({"Име", "  №"}));
    Dialogs::queueAnswer(path);
    w->Save_SB->click();
    EXPECT_FALSE(w->isVisible());  // closed after the message
    // the gauge went one step per row
    EXPECT_EQ(w->FillProgress->maximum(), 3);
    EXPECT_EQ(w->FillProgress->value(), 3);
  });
  ASSERT_EQ(Dialogs::shown().size(), 2);
  EXPECT_EQ(Dialogs::shown()[0].kind, QStringLiteral("saveFile"));
  EXPECT_EQ(Dialogs::shown()[1].text, QStringLiteral("Файлът е записан успешно."));
  QStringList fields;
  QStringList captions;
  for (const GridColumn &c : MainGridColumns())
    if (c.visibleAfterLogin && c.field != QLatin1String("CARD_ID") && c.field != QLatin1String("NAME") &&
        c.field != QLatin1String("EGN")) {
      fields << c.field;
      captions << c.title;
    }
  fields.prepend(QStringLiteral("NAME"));
  captions.prepend(QStringLiteral("Име"));
  QString expected = captions.join(';') + QStringLiteral("\r\n");
  for (int r = 0; r < 3; ++r) expected += line(r, fields, QStringLiteral(";")) + QStringLiteral("\r\n");
  EXPECT_EQ(readers::fileBytes(path), cp1251(expected));
  EXPECT_TRUE(expected.contains(QStringLiteral("15.06.2024 10:30:00")));  // a stored time shows
  // the list stands on its last row, the grid following it again
  EXPECT_EQ(currentRegNum(), 9);
  EXPECT_TRUE(grid()->updatesEnabled());
  EXPECT_TRUE(opened.isEmpty());
}

TEST_F(SaveRepTest, WordAndExcelAreOpenedOnTheDesktop) {
  start();
  const QString doc = profile.filePath(QStringLiteral("list.doc"));
  withWindow([&](TfrmSaveRep *w) {
    w->Footer_M->setPlainText(QStringLiteral("Проверил:"));
    Dialogs::queueAnswer(doc);
    w->Save_SB->click();
    EXPECT_FALSE(w->isVisible());
  });
  EXPECT_EQ(opened, QStringList{doc});
  EXPECT_TRUE(readers::fileBytes(doc).startsWith("{\\rtf1"));
  ASSERT_EQ(Dialogs::shown().size(), 1);  // the file dialog alone

  // nothing opens it: the clerk is told the file is written
  opens = false;
  const QString xls = profile.filePath(QStringLiteral("list.xls"));
  withWindow([&](TfrmSaveRep *w) {
    w->MSExcel_RB->setChecked(true);
    w->Font_CB->setCurrentText(QStringLiteral("12"));
    Dialogs::queueAnswer(xls);
    w->Save_SB->click();
    EXPECT_FALSE(w->isVisible());
  });
  EXPECT_EQ(opened.last(), xls);
  EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Файлът е записан успешно."));
  const QJsonObject s = readers::readXls(xls).value("sheets").toArray()[0].toObject();
  const QJsonArray rows = s.value("rows").toArray();
  ASSERT_EQ(rows.size(), 1 + 1 + 1 + 3);  // title, empty row, header, three rows
  EXPECT_EQ(rows[0].toArray()[0].toString(), QStringLiteral("Списък на картотеката - 15.06.2024"));
  EXPECT_EQ(rows[2].toArray()[0].toString(), QStringLiteral("Рег.номер"));
  EXPECT_EQ(rows[3].toArray()[0].toString(), QStringLiteral("7"));
  EXPECT_EQ(s.value("fmt").toArray()[3].toArray()[0].toObject().value("height").toInt(), 12 * 20);
}

TEST_F(SaveRepTest, RefusalsAndCancelledDialogs) {
  start();
  const QString txt = profile.filePath(QStringLiteral("none.txt"));
  withWindow([&](TfrmSaveRep *w) {
    w->rbTextFile->setChecked(true);
    // the file dialog cancelled: the window stays
    Dialogs::queueAnswer(QVariant());
    w->Save_SB->click();
    EXPECT_TRUE(w->isVisible());
    // nothing ticked: refused after the file is chosen, the window stays
    w->DeselectAll_SB->click();
    Dialogs::queueAnswer(txt);
    w->Save_SB->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Няма избрани колони за извеждане !"));
    w->MSExcel_RB->setChecked(true);
    Dialogs::queueAnswer(profile.filePath(QStringLiteral("none.xls")));
    w->Save_SB->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Няма избрани колони за извеждане !"));
    // a file that cannot be written: the error, the window stays
    w->SelectAll_SB->click();
    w->rbTextFile->setChecked(true);
    Dialogs::queueAnswer(profile.filePath(QStringLiteral("no/such/dir/x.txt")));
    w->Save_SB->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Dialogs::shown().last().icon, Dialogs::Icon::Error);
    w->MSExcel_RB->setChecked(true);
    Dialogs::queueAnswer(profile.filePath(QStringLiteral("no/such/dir/x.xls")));
    w->Save_SB->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(Dialogs::lastText().startsWith(QStringLiteral("Грешка при запис на файл!\n"))) << Dialogs::lastText().toStdString();
    // the Excel type's dialog cancelled: the window closes
    w->MSExcel_RB->setChecked(true);
    Dialogs::queueAnswer(QVariant());
    w->Save_SB->click();
    EXPECT_FALSE(w->isVisible());
  });
  EXPECT_FALSE(QFile::exists(txt));
  EXPECT_FALSE(QFile::exists(profile.filePath(QStringLiteral("none.xls"))));
  EXPECT_TRUE(opened.isEmpty());
}

TEST_F(SaveRepTest, ViewsAreMadeRecalledAndErased) {
  start(QStringLiteral("maria"));
  const QString ini = profile.filePath(QStringLiteral("zv_views.ini"));
  withWindow([&](TfrmSaveRep *w) {
    EXPECT_EQ(w->gridKey(), QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_maria_20_0"));
    w->CLB->item(1)->setCheckState(Qt::Unchecked);  // "Рег.номер"
    // a blank name asks again; the name goes in as typed
    Dialogs::queueAnswer(QString());
    Dialogs::queueAnswer(QStringLiteral("   "));
    Dialogs::queueAnswer(QStringLiteral("Без номер"));
    w->SaveView_SB->click();  // with "Няма" chosen it makes a new view
    EXPECT_EQ(Dialogs::shown().size(), 3);
    EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Създаване на нов изглед"));
    EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("Име на изглед"));
    EXPECT_EQ(w->cbSavedViews->currentText(), QStringLiteral("Без номер"));
    // cancelled: nothing made
    Dialogs::queueAnswer(QVariant());
    w->NewView_SB->click();
    EXPECT_EQ(w->cbSavedViews->count(), 2);

    // "Няма" ticks everything; the view brings its ticks back
    w->cbSavedViews->setCurrentIndex(0);
    w->cbSavedViewsChange(0);
    EXPECT_EQ(checked(w), allCaptionsButPoints());
    w->cbSavedViews->setCurrentIndex(1);
    w->cbSavedViewsChange(1);
    EXPECT_EQ(checked(w), allCaptionsButPoints().mid(2));  // without "  №" and "Рег.номер"
    // saving the chosen view writes the current ticks
    w->CLB->item(2)->setCheckState(Qt::Unchecked);
    w->SaveView_SB->click();
  });
  EXPECT_EQ(IniFile(ini).readString(QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_maria_20_0_1"),
                                    QStringLiteral("COL_VIS_2"), QString()),
            QStringLiteral("0"));
  EXPECT_EQ(IniFile(ini).readString(QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_maria_20_0_1"),
                                    QStringLiteral("User"), QString()),
            QStringLiteral("maria"));

  Dialogs::clearShown();
  withWindow([&](TfrmSaveRep *w) {
    ASSERT_EQ(w->cbSavedViews->count(), 2);
    EXPECT_EQ(w->cbSavedViews->currentIndex(), 0);  // listed, not applied
    EXPECT_EQ(checked(w), allCaptionsButPoints().mid(1));
    w->cbSavedViews->setCurrentIndex(1);
    // answered No: the view stays
    Dialogs::queueAnswer(false);
    w->EraseView_SB->click();
    EXPECT_EQ(w->cbSavedViews->count(), 2);
    EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Сигурнили сте, че изкате да изтриете избрания поглед?"));
    Dialogs::queueAnswer(true);
    w->EraseView_SB->click();
    EXPECT_EQ(w->cbSavedViews->count(), 1);
    EXPECT_EQ(w->cbSavedViews->currentText(), QStringLiteral("Няма"));
    EXPECT_EQ(checked(w), allCaptionsButPoints());
  });
  EXPECT_FALSE(IniFile(ini).sections().contains(QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_maria_20_0_1")));
  EXPECT_EQ(IniFile(ini).readString(QStringLiteral("QRNViewMain"), QStringLiteral("SectionCount"), QString()),
            QStringLiteral("1"));
}

TEST_F(SaveRepTest, ColumnsOfTheListFollowTheGrid) {
  start();
  // the export reads the same texts as the grid, field by field, without the
  // blanks that pad them
  QStringList fields;
  for (const GridColumn &c : MainGridColumns()) fields << c.field;
  const ListRows rows(*dm, fields);
  ASSERT_EQ(rows.count(), 3);
  QStringList cells;
  for (int r = 0; r < 3; ++r) {
    rows.cells(r, cells);
    for (int c = 0; c < fields.size(); ++c)
      EXPECT_EQ(cells[c], zv::TrimRight(dm->displayText(r, fields[c]))) << fields[c].toStdString();
  }
  EXPECT_EQ(cells[0], QStringLiteral("3"));  // the running number
  // lookups within their display widths, no padding after them
  rows.cells(0, cells);
  EXPECT_EQ(cells[fields.indexOf("grupa1")], QStringLiteral("2 - Живеещи в негодни за обитаване помещения"));
  EXPECT_EQ(cells[fields.indexOf("group_2")], QStringLiteral("Самотен родител"));
  const QList<ColumnEntry> entries = MainListEntries(*dm);
  EXPECT_EQ(entries.size(), 20);
  EXPECT_FALSE(entries[0].ticked);
  EXPECT_FALSE(std::any_of(entries.begin(), entries.end(), [](const ColumnEntry &e) { return e.alignRight; }));
}
