#include "Install.h"

#include <QFile>
#include <QRegularExpression>

#include "Passwords.h"
#include "Upgrade.h"

namespace zv {

QStringList schemaStatements() {
  QFile f(QStringLiteral(":/store/schema.sql"));
  if (!f.open(QIODevice::ReadOnly)) throw fb::Error(QStringLiteral("The schema script is missing from the build"));
  const QString text = QString::fromUtf8(f.readAll());
  QStringList out;
  QString term = QStringLiteral(";");
  QString current;
  static const QRegularExpression setTerm(QStringLiteral("^\\s*set\\s+term\\s+(\\S+)\\s+(\\S+)\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
  // Comments are dropped; statements end at the current terminator.
  QString noComments = text;
  noComments.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
  for (const QString &line : noComments.split(QLatin1Char('\n'))) {
    const auto m = setTerm.match(line);
    if (m.hasMatch()) {
      // "set term ^ ;" ends with the old terminator
      QString newTerm = m.captured(1);
      term = newTerm;
      continue;
    }
    current += line + QLatin1Char('\n');
    const QString trimmed = current.trimmed();
    if (trimmed.endsWith(term)) {
      QString stmt = trimmed.left(trimmed.size() - term.size()).trimmed();
      if (!stmt.isEmpty()) out << stmt;
      current.clear();
    }
  }
  if (!current.trimmed().isEmpty()) out << current.trimmed();
  return out;
}

void createSchema(fb::Database &db, fb::Transaction &tr) {
  for (const QString &stmt : schemaStatements()) {
    tr.ensure();
    fb::execute(db, tr, stmt);
    tr.commit();  // DDL must be committed before later statements use it
  }
}

namespace {
// Rows 0..9 of each list; missing entries stay NULL.
struct NomList {
  const char *column;
  QStringList texts;
};

QList<NomList> defaultLists() {
  return {
      // Each group's text begins with the number that the certificate, the
      // place line and the ranking printout give it: its row plus one.
      {"GROUP1",
       {QStringLiteral("1 - Без група (не участва в класирането)"),
        QStringLiteral("2 - Живеещи в негодни за обитаване помещения"),
        QStringLiteral("3 - Живеещи в пренаселени жилища"), QStringLiteral("4 - Живеещи под наем в частни жилища"),
        QStringLiteral("5 - Живеещи при родители или близки"), QStringLiteral("6 - Други")}},
      // Codes 3 and 5 count for the points; a family without any feature
      // still needs an entry to choose.
      {"GROUP2",
       {QStringLiteral("Многодетно семейство"), QStringLiteral("Самотен родител"), QStringLiteral("Младо семейство"),
        QStringLiteral("Член с увреждане"), QStringLiteral("Пенсионери"),
        QStringLiteral("Тежки жилищни условия"), QStringLiteral("Без особености")}},
      {"STATUS",
       {QStringLiteral("Подадено заявление"), QStringLiteral("Вписан в картотеката"), QStringLiteral("Настанен"),
        QStringLiteral("Отказано вписване"), QStringLiteral("Изваден от картотеката")}},
      {"SOCGRUPA",
       {QStringLiteral("Работещ"), QStringLiteral("Безработен"), QStringLiteral("Пенсионер"),
        QStringLiteral("С трайно увреждане"), QStringLiteral("Учащ"), QStringLiteral("Дете")}},
      {"LDATA",
       {QStringLiteral("Общинско жилище"), QStringLiteral("Частно жилище под наем"),
        QStringLiteral("Жилище на родители или близки"), QStringLiteral("Общежитие"),
        QStringLiteral("Негодно за обитаване помещение")}},
      {"LREASON",
       {QStringLiteral("Договор за наем"), QStringLiteral("Съгласие на собственика"),
        QStringLiteral("Настанителна заповед"), QStringLiteral("Без основание")}},
      {"KARTFOR",
       {QStringLiteral("Общинско жилище под наем"), QStringLiteral("Резервно жилище"),
        QStringLiteral("Покупка на общинско жилище")}},
  };
}
}  // namespace

void seedDefaults(fb::Database &db, fb::Transaction &tr) {
  tr.ensure();
  const QList<NomList> lists = defaultLists();
  fb::Statement ins(db, tr);
  ins.prepare(QStringLiteral(
      "insert into NOM (N, GROUP1, GROUP2, STATUS, SOCGRUPA, LDATA, LREASON, KARTFOR, COUNTER, S_INFO) "
      "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  for (int n = 0; n <= 9; ++n) {
    std::vector<QVariant> p{n};
    for (const NomList &l : lists) p.push_back(n < l.texts.size() ? QVariant(l.texts[n]) : QVariant());
    // counters: row 0 last number, row 1 current number, row 3 minimum years at the address
    if (n == 0 || n == 1)
      p.push_back(0);
    else if (n == 3)
      p.push_back(5);
    else
      p.push_back(QVariant());
    p.push_back(n == 0 ? QVariant(QStringLiteral("ОБЩИНА ДОЛИНЕЦ")) : QVariant());
    ins.execute(p);
  }
  // The ranking criteria in their usual order. The group keeps its place at
  // the head; the clerk may move the other eight before each ranking.
  const std::pair<QString, QString> criteria[] = {
      {QStringLiteral(" - група: 1..5"), QStringLiteral("GRUPA")},
      {QStringLiteral(" - Точки (Брой точки)"), QStringLiteral("POINTS DESC")},
      {QStringLiteral(" - дата на регистриране"), QStringLiteral("REGDATE")},
      {QStringLiteral(" - брой деца до 18 г."), QStringLiteral("KIDS DESC")},
      {QStringLiteral(" - дали е самотен родител"), QStringLiteral("ONLY_PARENT")},
      {QStringLiteral(" - инвалиди в семейството"), QStringLiteral("N_INVALIDS DESC")},
      {QStringLiteral(" - дали е младо семейство"), QStringLiteral("YOUNG_FAMILY")},
      {QStringLiteral(" - дали сем. живее в тежки жилищни условия"), QStringLiteral("HARD_LIFE")},
      {QStringLiteral(" - ср. възраст на децата до 18 г."), QStringLiteral("KIDS_AGE DESC")},
  };
  fb::Statement klas(db, tr);
  klas.prepare(QStringLiteral("insert into KLAS_NOM (KLAS_ID, KLAS_TXT, KLAS_COLUMN, KLAS_VAJ) values (?, ?, ?, ?)"));
  int id = 0;
  for (const auto &[text, term] : criteria) {
    ++id;
    klas.execute({id, text, term, id == 1 ? 1 : 0});
  }
  tr.commit();
}

int putUser(fb::Database &db, fb::Transaction &tr, const QString &login, const QString &name, const QString &role,
            const QString &password) {
  tr.ensure();
  fb::Statement find(db, tr);
  find.prepare(QStringLiteral("select USER_ID from USERS where LOGIN = ?"));
  find.execute({login});
  int id = -1;
  if (find.fetch()) id = find.value(0).toInt();
  find.closeCursor();
  // The program finds the user by name after login, and the history keeps
  // the user's id: two logins under one name would share one history.
  {
    fb::Statement same(db, tr);
    same.prepare(QStringLiteral("select LOGIN from USERS where NAME = ? and LOGIN <> ?"));
    same.execute({name, login});
    const QString other = same.fetch() ? same.value(0).toString().trimmed() : QString();
    same.closeCursor();
    if (!other.isEmpty())
      throw fb::Error(QStringLiteral("the name '%1' belongs to the login '%2' already: give each user a name of "
                                     "their own")
                          .arg(name, other));
  }
  if (id < 0) {
    if (password.isEmpty()) throw fb::Error(QStringLiteral("A new user needs a password"));
    fb::execute(db, tr, QStringLiteral("insert into USERS (NAME, LOGIN, PWHASH, ROLE) values (?, ?, ?, ?)"),
                {name, login, hashPassword(password), role});
    find.execute({login});
    if (find.fetch()) id = find.value(0).toInt();
    find.closeCursor();
  } else {
    fb::execute(db, tr, QStringLiteral("update USERS set NAME = ?, ROLE = ? where USER_ID = ?"), {name, role, id});
    if (!password.isEmpty())
      fb::execute(db, tr, QStringLiteral("update USERS set PWHASH = ? where USER_ID = ?"),
                  {hashPassword(password), id});
  }
  tr.commit();
  return id;
}

QString createRegister(const InstallOptions &opt) {
  // Check every text before anything is created.
  fb::toWin1251(opt.adminName);
  fb::toWin1251(opt.adminLogin);
  fb::Database::create(opt.database, opt.dbUser, opt.dbPassword);
  fb::Database db;
  db.databaseName = opt.database;
  db.userName = opt.dbUser;
  db.password = opt.dbPassword;
  db.connect();
  fb::Transaction tr(db);
  createSchema(db, tr);
  UpgradeRegister(db, tr);
  // Amounts in a new register are euro from the start.
  MarkStepDone(db, tr, kEuroStep, QStringLiteral("Създаване на картотеката"));
  tr.commit();
  seedDefaults(db, tr);
  const QString pw = opt.adminPassword.isEmpty() ? generatePassword() : opt.adminPassword;
  putUser(db, tr, opt.adminLogin, opt.adminName, QStringLiteral("USER1"), pw);
  db.disconnect();
  return pw;
}

}  // namespace zv
