#pragma once
// The columns of the register list, in order: the field each shows and its
// title. The main window's grid shows them; the export offers them.
#include <QList>
#include <QString>

namespace zv {

struct GridColumn {
  QString field;
  QString title;
  // Shown after a successful login (the points column is hidden then).
  bool visibleAfterLogin = true;
};

inline const QList<GridColumn> &MainGridColumns() {
  static const QList<GridColumn> cols = {
      {QStringLiteral("CARD_ID"), QStringLiteral("  №")},
      {QStringLiteral("REG_NUM"), QStringLiteral("Рег.номер")},
      {QStringLiteral("REGDATE"), QStringLiteral("Рег.дата")},
      {QStringLiteral("NAME"), QStringLiteral("Име")},
      {QStringLiteral("EGN"), QStringLiteral("ЕГН")},
      {QStringLiteral("ADRESS"), QStringLiteral("Адрес")},
      {QStringLiteral("ADRESS_DATE"), QStringLiteral("Адр.Рег.Дата")},
      {QStringLiteral("Stat"), QStringLiteral("Статус")},
      {QStringLiteral("grupa1"), QStringLiteral("Група")},
      {QStringLiteral("GRUPA_DATE"), QStringLiteral("от дата")},
      {QStringLiteral("group_2"), QStringLiteral("Подгрупа")},
      {QStringLiteral("KIDS"), QStringLiteral("Деца до 18г")},
      {QStringLiteral("CLASSINFO"), QStringLiteral("Данни за последно класиране")},
      {QStringLiteral("POINTS"), QStringLiteral("Точки от класиране"), false},
      {QStringLiteral("INV_PROC"), QStringLiteral("Процент на инвалидност")},
      {QStringLiteral("INV_DATE"), QStringLiteral("Валидно до")},
      {QStringLiteral("TELK_NUM"), QStringLiteral("Експертно решение на ТЕЛК")},
      {QStringLiteral("DOC_IDTXT"), QStringLiteral("номер на заявление")},
      {QStringLiteral("LASTDEK_ID"), QStringLiteral("Номер на последно подадена декларация")},
      {QStringLiteral("LASTDEK_DATE"), QStringLiteral("дата на последно подадена декларация")},
      {QStringLiteral("PROT_ID"), QStringLiteral("номер на протокол")},
  };
  return cols;
}

}  // namespace zv
