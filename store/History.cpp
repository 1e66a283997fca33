#include "History.h"

#include "DataModule.h"
#include "Session.h"
#include "SqlText.h"
#include "egn.h"

namespace zv {

Session &session() {
  static Session s;
  return s;
}

void LogAction(int subjectId, const QString &type, const QString &message) {
  const Session &s = session();
  zv::Query &tq = DataModule1->tq;
  tq.close();
  // A user id that is not a number would break the statement; it is read
  // from USERS at login and is always one.
  bool ok = false;
  const qlonglong uid = s.CurrentUserId.toLongLong(&ok);
  tq.SQL = QStringList{QStringLiteral("insert into inf_log(U_NAME,USER_ID,TYPE_T,T_ID,T_TEXT,C_DATE,S_DATE)values(") +
                       sqlQuote(s.CurrentUserName) + QLatin1Char(',') + (ok ? QString::number(uid) : QStringLiteral("0")) +
                       QLatin1Char(',') + sqlQuote(type) + QLatin1Char(',') + QString::number(subjectId) +
                       QLatin1Char(',') + sqlQuote(CollapseSpaces(message)) + QLatin1Char(',') +
                       sqlQuote(dateTimeText(now())) + QLatin1Char(',') + QStringLiteral("current_timestamp") +
                       QLatin1Char(')')};
  DataModule1->Transaction.ensure();
  tq.execSQL();
}

QString ExecutorStamp(const QString &message, const QString &kind) {
  const QString crlf = QStringLiteral("\r\n");
  return QStringLiteral("{ Изпълнител: ") + session().CurrentUserName + crlf + QStringLiteral("  Дата и час: ") +
         dateTimeText(now()) + crlf + QStringLiteral("  Тип: ") + kind + crlf + QStringLiteral("  Съобщение: '") +
         message + QStringLiteral("' }");
}

QString AddNoteStamp(const QString &notes, const QString &message, const QString &kind) {
  if (message.isEmpty()) return notes;
  const QString stamp = ExecutorStamp(message, kind);
  if (notes.isEmpty()) return stamp;
  return stamp + QStringLiteral("\r\n") + notes;
}

}  // namespace zv
