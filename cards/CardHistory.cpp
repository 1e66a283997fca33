#include "CardHistory.h"

#include <cmath>

#include "Fb.h"
#include "egn.h"

namespace zv {

namespace {

// History texts break their lines the Windows way, as the stored notes do.
const QString kLineBreak = QStringLiteral("\r\n");
const QString kOnCard = QStringLiteral(" на картон с номер : ");

QString listText(const QStringList &texts, int position) {
  return CollapseSpaces(position >= 0 && position < texts.size() ? texts.at(position) : QString());
}

QString change(const QString &what, const QString &from, const QString &to, const QString &regNum) {
  return what + QStringLiteral(" от ") + from + QStringLiteral(" на ") + to + kOnCard + regNum;
}

}  // namespace

QString CardCreatedText(const QString &regNum) {
  return QStringLiteral("Създаване на картон с регистрационен номер ") + regNum;
}

QStringList CardChangeTexts(const WatchedCardFields &before, const WatchedCardFields &now,
                            const QStringList &groupTexts, const QStringList &statusTexts, const QString &regNum) {
  QStringList out;
  if (now.dekId != before.dekId)
    out << change(QStringLiteral("Промяна на последно подадена декларация"), before.dekId, now.dekId, regNum);
  if (now.dekDate != before.dekDate)
    out << change(QStringLiteral("Промяна дата на последно подадена декларация"), dateText(before.dekDate),
                  dateText(now.dekDate), regNum);
  if (now.group != before.group)
    out << change(QStringLiteral("Промяна на група"), listText(groupTexts, before.group), listText(groupTexts, now.group),
                  regNum);
  if (now.groupDate != before.groupDate)
    out << change(QStringLiteral("Промяна дата на група"), dateText(before.groupDate), dateText(now.groupDate), regNum);
  if (now.status != before.status)
    out << change(QStringLiteral("Промяна на състояние"), listText(statusTexts, before.status),
                  listText(statusTexts, now.status), regNum);
  return out;
}

QString MemberAddedText(const QString &name) { return QStringLiteral("Добавяне на член със име ") + name; }

QString StoredDateText(const QString &stored) {
  const TDate d = ParseDateText(stored.trimmed());
  if (d == 0) throw fb::Error(QStringLiteral("'%1' is not a valid date").arg(stored));
  return dateText(std::floor(d));
}

QStringList MemberChangeLines(const StoredMember &stored, const MemberRow &row, const QStringList &socGroupTexts) {
  QStringList lines;
  const auto line = [&lines](const char *what, const QString &from, const QString &to) {
    lines << QStringLiteral("Променено ") + QString::fromUtf8(what) + QStringLiteral(" от ") + from +
                 QStringLiteral(" на ") + to;
  };
  if (stored.name && *stored.name != row[cellName]) line("име", *stored.name, row[cellName]);
  if (stored.egn && *stored.egn != row[cellEgn]) line("ЕГН", *stored.egn, row[cellEgn]);
  if (stored.type && *stored.type != TypeCodeOf(row[cellType]))
    line("тип", TypeTextOf(*stored.type), row[cellType]);
  if (stored.socGroup) {
    // The row holds the list's text; its code is its position in the list.
    const int code = row[cellSoc].isEmpty() ? -1 : static_cast<int>(socGroupTexts.indexOf(row[cellSoc]));
    if (*stored.socGroup != code) {
      const QString from = *stored.socGroup >= 0 && *stored.socGroup < socGroupTexts.size()
                               ? socGroupTexts.at(*stored.socGroup)
                               : QString();
      line("Соц. група", from, row[cellSoc]);
    }
  }
  if (stored.notes && *stored.notes != row[cellNotes]) line("бележки", *stored.notes, row[cellNotes]);
  if (stored.invProc && QString::number(*stored.invProc) != row[cellInvProc])
    line("процент на инвалидност", QString::number(*stored.invProc), row[cellInvProc]);
  if (stored.invDate) {
    const QString from = StoredDateText(*stored.invDate);
    if (from != row[cellInvDate]) line("дата на ТЕЛК", from, row[cellInvDate]);
  }
  if (stored.telk && *stored.telk != row[cellTelk]) line("решение на ТЕЛК", *stored.telk, row[cellTelk]);
  return lines;
}

QString MemberChangeText(const QStringList &lines, const QString &regNum) {
  QString text;
  for (const QString &l : lines) text += l + kLineBreak;
  return text + QStringLiteral("Картон номер :") + regNum + kLineBreak;
}

QString MemberRemovedText(int typeCode, const QString &name, const QString &regNum) {
  return QStringLiteral("Изтриване на ") + TypeTextOf(typeCode) + QStringLiteral(" с име ") + name +
         QStringLiteral(" с картон номер :") + regNum;
}

}  // namespace zv
