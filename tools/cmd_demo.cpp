// zv-admin demo: a synthetic register for trying the program out and for
// measuring it at scale. The same seed on the same day gives the same
// register: every random choice comes from one std::mt19937 in a fixed order,
// and every date is counted back from today (zv::today(), so a pinned clock
// pins the register too).
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <random>
#include <stdexcept>
#include <utility>

#include "Commands.h"
#include "Fb.h"
#include "Options.h"
#include "ZvDate.h"
#include "egn.h"
#include "DataModule.h"
#include "LbdCompare.h"
#include "PersonInfo.h"
#include "Points.h"
#include "TerminalProgress.h"

namespace {

struct Given {
  const char *name;
  const char *patronymic;  // the father's name as a middle or family name
};

const Given kMen[] = {{"Иван", "Иванов"},         {"Георги", "Георгиев"},   {"Димитър", "Димитров"},
                      {"Петър", "Петров"},        {"Николай", "Николаев"},  {"Христо", "Христов"},
                      {"Стефан", "Стефанов"},     {"Тодор", "Тодоров"},     {"Васил", "Василев"},
                      {"Александър", "Александров"}, {"Стоян", "Стоянов"},  {"Йордан", "Йорданов"},
                      {"Атанас", "Атанасов"},     {"Красимир", "Красимиров"}, {"Пламен", "Пламенов"},
                      {"Емил", "Емилов"},         {"Борис", "Борисов"},     {"Калин", "Калинов"},
                      {"Мартин", "Мартинов"},     {"Ангел", "Ангелов"}};
const char *const kWomen[] = {"Мария",    "Елена",   "Иванка",   "Йорданка", "Десислава", "Гергана", "Петя",
                              "Надежда",  "Цветелина", "Стефка", "Росица",   "Даниела",   "Виктория", "Снежана",
                              "Милена",   "Радка",   "Теодора",  "Анелия",   "Силвия",    "Катя"};
const char *const kFamilies[] = {"Иванов",  "Георгиев", "Димитров", "Петров",  "Николов", "Христов", "Стоянов",
                                 "Тодоров", "Илиев",    "Василев",  "Атанасов", "Петков", "Ангелов", "Колев",
                                 "Маринов", "Попов",    "Йорданов", "Костов",  "Кирилов", "Павлов", "Цанков",
                                 "Добрев",  "Славов",   "Марков"};
const char *const kStreets[] = {"Васил Левски", "Христо Ботев", "Иван Вазов",  "Г. С. Раковски", "Шипка",
                                "Цар Симеон",   "Гурко",        "Витоша",      "Стара планина",  "Освобождение",
                                "Опълченска",   "Родопи",       "Св. Климент Охридски", "Хан Аспарух"};
const char *const kQuarters[] = {"Младост", "Възраждане", "Изток", "Запад", "Дружба", "Тракия"};
const char *const kCardNotes[] = {
    "Представени документи за доходите на семейството.",
    "Семейството живее в едностайно жилище с обща баня.",
    "Проверка на място: жилището е влажно и без отопление.",
    "Заявлението е подадено лично от титуляря.",
    "Чака решение на комисията по картотекиране.",
    "Подадена декларация за промяна в състава на семейството."};
const char *const kMemberNotes[] = {"Студент редовно обучение", "Безработен от две години",
                                    "Пенсионер по болест", "Живее временно в чужбина"};

QString u(const char *s) { return QString::fromUtf8(s); }

class Dice {
 public:
  explicit Dice(unsigned seed) : g_(seed) {}
  // lo..hi inclusive. Modulo instead of a distribution: std::mt19937 is the
  // same everywhere, the standard distributions are not.
  int pick(int lo, int hi) { return lo + static_cast<int>(g_() % static_cast<unsigned>(hi - lo + 1)); }
  bool chance(int percent) { return pick(0, 99) < percent; }
  template <typename T, size_t N>
  const T &of(const T (&items)[N]) {
    return items[static_cast<size_t>(pick(0, static_cast<int>(N) - 1))];
  }

 private:
  std::mt19937 g_;
};

// A valid personal number for a birth date: century offset on the month,
// an even ninth digit for a man and an odd one for a woman, the check digit.
QString egnFor(const QDate &born, bool male, Dice &dice) {
  // Drawn one by one so that a seed always gives the same numbers.
  const int d7 = dice.pick(0, 9);
  const int d8 = dice.pick(0, 9);
  const int d9 = dice.pick(0, 4) * 2 + (male ? 0 : 1);  // even for a man, odd for a woman
  const int serial = d7 * 100 + d8 * 10 + d9;
  return zv::MakeEgn(born, serial);
}

// The kinds of wrong numbers an old register holds.
QString spoil(const QString &egn, Dice &dice) {
  const int kind = dice.pick(0, 9);
  if (kind < 7) {  // a wrong check digit
    const int last = egn.at(9).unicode() - '0';
    return egn.left(9) + QChar(u'0' + (last + dice.pick(1, 9)) % 10);
  }
  if (kind < 9) return egn.left(9);  // a digit short
  return egn.left(6) + QStringLiteral("О") + egn.mid(7);  // a Cyrillic O typed for a zero
}

// Someone `age` years old today: the date of a day within that year of life.
QDate bornAged(const QDate &today, int age, Dice &dice) {
  return today.addYears(-age).addDays(-dice.pick(0, 364));
}

struct Member {
  // Built with braces only: their parts are worked out left to right, which
  // keeps the order of the random draws fixed.
  Member(QString name, QString egn, int type, int socGrupa)
      : name(std::move(name)), egn(std::move(egn)), type(type), socGrupa(socGrupa) {}
  QString name, egn;
  int type;
  int socGrupa;
  QString notes;
  int invProc = -1;
  QString invDate, telkNum;
};

}  // namespace

int fillDemoRegister(fb::Database &db, fb::Transaction &tr, int cards, unsigned seed, int *membersOut) {
  Dice dice(seed);
  const QDate today = zv::toQDate(zv::today());
  tr.ensure();

  // Numbers follow whatever the register already holds; card keys come as a
  // block from the register's own sequence, so they stay ascending.
  fb::Statement q(db, tr);
  q.prepare(QStringLiteral("select coalesce(max(REG_NUM), 0) from RGS_CARD"));
  q.execute();
  q.fetch();
  const int firstRegNum = q.value(0).toInt() + 1;
  q.closeCursor();
  q.prepare(QStringLiteral("select gen_id(GEN_CARD_ID, %1) from RDB$DATABASE").arg(cards));
  q.execute();
  q.fetch();
  const int firstCardId = static_cast<int>(q.value(0).toLongLong()) - cards + 1;
  q.closeCursor();

  fb::Statement card(db, tr);
  card.prepare(QStringLiteral(
      "insert into RGS_CARD (CARD_ID, REG_NUM, REGDATE, ADRESS, ADRESS_DATE, L_DATA, L_REASON, GROUP1, GROUP2, "
      "GRUPA, GRUPA_DATE, INCOME, ADD_USER, STATUS, KART, HARD_LIFE, NOTES, DOC_IDTXT, LASTDEK_ID, LASTDEK_DATE, "
      "PROT_ID, PROT_DATE, GOT_HOUSE) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'Default', ?, ?, ?, ?, ?, ?, ?, ?, "
      "?, ?)"));
  fb::Statement person(db, tr);
  person.prepare(QStringLiteral(
      "insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE, SOCGRUPA, NOTES, INV_PROC, INV_DATE, TELK_NUM) "
      "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));

  const QVariant null;
  std::vector<QVariant> cp(22), pp(9);
  std::vector<Member> family;
  int members = 0;
  for (int k = 0; k < cards; ++k) {
    const int cardId = firstCardId + k;
    const int regNum = firstRegNum + k;
    const QDate regDate = today.addDays(-dice.pick(0, 25 * 365));

    // ---- the family
    family.clear();
    const bool holderMale = dice.chance(50);
    const Given &father = dice.of(kMen);
    const QString familyRoot = u(dice.of(kFamilies));
    const auto fullName = [&](bool male, const QString &first, const QString &middleRoot) {
      const QString ending = male ? QString() : QStringLiteral("а");
      return first + QLatin1Char(' ') + middleRoot + ending + QLatin1Char(' ') + familyRoot + ending;
    };
    // One draw per statement or per braced part, never two inside one call's
    // arguments, whose order the language leaves open.
    const auto someone = [&](bool male) {
      const QString first = male ? u(dice.of(kMen).name) : u(dice.of(kWomen));
      const QString middle = u(dice.of(kMen).patronymic);
      return fullName(male, first, middle);
    };
    const auto socGrupaOfAdult = [&](int age) {
      if (dice.chance(4)) return 3;
      if (age >= 62) return 2;
      return dice.chance(80) ? 0 : 1;
    };
    const int holderAge = dice.chance(70) ? dice.pick(22, 50) : dice.pick(18, 85);
    {
      const QString name = holderMale ? fullName(true, u(father.name), u(dice.of(kMen).patronymic)) : someone(false);
      family.push_back(Member{name, egnFor(bornAged(today, holderAge, dice), holderMale, dice), 0,
                              socGrupaOfAdult(holderAge)});
    }
    if (dice.chance(45)) {
      const int age = std::max(18, holderAge + dice.pick(-6, 6));
      const bool male = !holderMale;
      const QString name = male ? fullName(true, u(father.name), u(dice.of(kMen).patronymic)) : someone(false);
      family.push_back(
          Member{name, egnFor(bornAged(today, age, dice), male, dice), male ? 1 : 2, socGrupaOfAdult(age)});
    }
    const int roll = dice.pick(0, 99);
    const int kids = roll < 40 ? 0 : roll < 70 ? 1 : roll < 90 ? 2 : roll < 97 ? 3 : 4;
    const int oldestChild = std::min(holderAge - 18, 26);
    for (int c = 0; c < kids && family.size() < 6; ++c) {
      const int age = dice.pick(0, oldestChild);
      const bool male = dice.chance(50);
      const QString first = male ? u(dice.of(kMen).name) : u(dice.of(kWomen));
      const int soc = dice.chance(3) ? 3 : age < 7 ? 5 : age < 19 ? 4 : 0;
      family.push_back(
          Member{fullName(male, first, u(father.patronymic)), egnFor(bornAged(today, age, dice), male, dice), 3, soc});
    }
    if (family.size() < 6 && dice.chance(10)) {
      const int age = dice.pick(60, 92);
      const bool male = dice.chance(40);
      family.push_back(
          Member{someone(male), egnFor(bornAged(today, age, dice), male, dice), 4, dice.chance(30) ? 3 : 2});
    }
    for (Member &m : family) {
      if (dice.pick(0, 99) == 0) m.egn = spoil(m.egn, dice);
      if (dice.chance(5)) m.notes = u(dice.of(kMemberNotes));
      if (m.socGrupa == 3) {
        m.invProc = dice.pick(50, 100);
        m.invDate = zv::dateText(zv::fromQDate(today.addDays(dice.pick(-200, 3 * 365))));
        m.telkNum = QStringLiteral("%1/%2").arg(dice.pick(100, 9999)).arg(today.year() - dice.pick(0, 3));
      }
    }

    // ---- the card
    const int grupa = dice.pick(0, 5);
    const int sub = dice.pick(0, 9);
    const int group2 = sub <= 5 ? sub : 6;  // "Без особености"
    const int statusRoll = dice.pick(0, 99);
    const int status = statusRoll < 75 ? 1 : statusRoll < 85 ? 0 : statusRoll < 92 ? 2 : statusRoll < 96 ? 3 : 4;
    QString address;
    if (dice.chance(60))
      address = QStringLiteral("гр. Долинец, ул. \"%1\" № %2").arg(u(dice.of(kStreets))).arg(dice.pick(1, 180));
    else
      address = QStringLiteral("гр. Долинец, ж.к. %1, бл. %2, вх. %3, ет. %4, ап. %5")
                    .arg(u(dice.of(kQuarters)))
                    .arg(dice.pick(1, 250))
                    .arg(QChar(u'А' + dice.pick(0, 3)))
                    .arg(dice.pick(1, 8))
                    .arg(dice.pick(1, 60));
    const QDate addressDate = regDate.addDays(-dice.pick(0, 20 * 365));
    const bool declared = dice.chance(60);
    const QDate lastDeclaration = regDate.addDays(dice.pick(0, static_cast<int>(regDate.daysTo(today))));
    const bool protocol = dice.chance(70);
    const QDate protocolDate = regDate.addDays(dice.pick(0, 90));

    size_t i = 0;
    cp[i++] = cardId;
    cp[i++] = regNum;
    cp[i++] = zv::fromQDate(regDate);
    cp[i++] = address;
    cp[i++] = zv::fromQDate(addressDate);
    cp[i++] = dice.pick(0, 4);
    cp[i++] = dice.pick(0, 3);
    cp[i++] = grupa + 1;
    cp[i++] = group2;
    cp[i++] = grupa;
    cp[i++] = zv::fromQDate(regDate.addDays(dice.pick(0, 30)));
    cp[i++] = static_cast<double>(dice.pick(600, 18000));  // yearly income in euro
    cp[i++] = status;
    cp[i++] = dice.pick(0, 2);
    cp[i++] = dice.chance(8) ? 1 : 0;
    cp[i++] = dice.chance(12) ? QVariant(u(dice.of(kCardNotes))) : null;
    cp[i++] = QStringLiteral("94-00-%1").arg(regNum);
    cp[i++] = declared ? QVariant(QStringLiteral("Д-%1").arg(dice.pick(1, 9999))) : null;
    cp[i++] = declared ? QVariant(zv::fromQDate(lastDeclaration)) : null;
    cp[i++] = protocol ? QVariant(dice.pick(1, 400)) : null;
    cp[i++] = protocol ? QVariant(zv::fromQDate(protocolDate)) : null;
    cp[i++] = status == 2 ? QVariant(QStringLiteral("Настанен в общинско жилище")) : null;
    card.execute(cp);

    for (const Member &m : family) {
      pp[0] = cardId;
      pp[1] = m.name;
      pp[2] = m.egn;
      pp[3] = m.type;
      pp[4] = m.socGrupa;
      pp[5] = m.notes.isEmpty() ? null : QVariant(m.notes);
      pp[6] = m.invProc >= 0 ? QVariant(m.invProc) : null;
      pp[7] = m.invDate.isEmpty() ? null : QVariant(m.invDate);
      pp[8] = m.telkNum.isEmpty() ? null : QVariant(m.telkNum);
      person.execute(pp);
      ++members;
    }
  }

  // The counters: the last number given and the current one.
  const int lastRegNum = firstRegNum + cards - 1;
  if (cards > 0) fb::execute(db, tr, QStringLiteral("update NOM set COUNTER = ? where N in (0, 1)"), {lastRegNum});
  tr.commit();
  if (membersOut) *membersOut = members;
  return lastRegNum;
}

namespace {

const char *const kPlaces[] = {"Долинец", "Бреза", "Росен", "Извор", "Камен дол", "Ябълково", "Средец"};
const char *const kLbdStreets[] = {"Рила", "Пирин", "Васил Левски", "Христо Ботев", "Иван Вазов", "Шипка",
                                   "Гурко", "Витоша", "Освобождение", "Опълченска", "Родопи", "Хан Аспарух"};

// The name parts as the register keeps them: first, middle, and the rest as
// the family name.
QStringList nameParts(const QString &name) {
  QStringList parts = name.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  while (parts.size() < 3) parts << QString();
  if (parts.size() > 3) parts = QStringList{parts[0], parts[1], parts.mid(2).join(QLatin1Char(' '))};
  return parts;
}

QString yyyymmdd(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QString(); }

QString clean(QString s) {
  s.replace(QLatin1Char('\t'), QLatin1Char(' '));
  s.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return s;
}

}  // namespace

int writeDemoPopulation(fb::Database &db, fb::Transaction &tr, const QString &path, unsigned seed, int *differing) {
  Dice dice(seed);
  const QDate today = zv::toQDate(zv::today());
  tr.ensure();
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);  // replaced whole, so the service never reads half a file
  if (!file.open(QIODevice::WriteOnly))
    throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
  QTextStream ts(&file);
  const QStringList keys = TPersonInfo::Keys();
  ts << "EGN\t" << keys.join(QLatin1Char('\t')) << '\n';

  fb::Statement q(db, tr);
  q.prepare(QStringLiteral("select EGN, NAME, CARD_ID from RGS_PERSON order by CARD_ID, PERSON_ID"));
  q.execute();
  QHash<QString, QString> written;  // EGN -> the name the register gives
  std::vector<std::pair<QString, QString>> members;  // EGN, stored name
  int lastCard = -1;
  // One home per family: the current address, and the permanent one that is
  // often the same.
  QStringList current(7), permanent(7);
  while (q.fetch()) {
    const QString egn = q.value(0).toString().trimmed();
    const QString stored = q.value(1).toString();
    const int card = q.value(2).toInt();
    if (card != lastCard) {
      lastCard = card;
      const bool block = dice.chance(40);
      current[0] = u(kPlaces[0]);
      current[1] = (block ? QStringLiteral("ж.к. ") : QString()) + u(dice.of(kLbdStreets));
      current[2] = QString::number(dice.pick(1, 180));
      current[3] = block ? QString(QChar(u'А' + dice.pick(0, 3))) : QString();
      current[4] = block ? QString::number(dice.pick(1, 8)) : QString();
      current[5] = block ? QString::number(dice.pick(1, 60)) : QString();
      current[6] = dice.chance(95) ? yyyymmdd(today.addDays(-dice.pick(30, 30 * 365))) : QString();
      permanent = current;
      if (dice.chance(30)) {
        permanent[0] = u(dice.of(kPlaces));
        permanent[1] = u(dice.of(kLbdStreets));
        permanent[2] = QString::number(dice.pick(1, 90));
        permanent[3] = permanent[4] = permanent[5] = QString();
        permanent[6] = yyyymmdd(today.addDays(-dice.pick(365, 40 * 365)));
      }
    }
    members.emplace_back(egn, stored);
    // The register knows one person per number: the first member written.
    if (written.contains(egn)) continue;
    // A number the register would never have given, and a few people it has lost.
    const bool missing = dice.chance(2);
    const zv::TDate born = zv::EgnBirthDate(egn, 0);
    if (missing || born == 0) continue;

    QStringList name = nameParts(stored);
    const auto joined = [&name] { return name.join(QLatin1Char(' ')); };
    if (dice.chance(3)) {
      const QString before = joined();
      const int kind = dice.pick(0, 2);
      if (kind == 0) {
        name[2] = name[2].toUpper();  // the family name in capitals
      } else if (kind == 1) {
        const QString ending = name[1].endsWith(QStringLiteral("а")) ? QStringLiteral("а") : QString();
        name[1] = u(dice.of(kMen).patronymic) + ending;  // another middle name
      }
      if (kind == 2 || joined() == before) {  // a second family name
        const QString ending = name[2].endsWith(QStringLiteral("а")) ? QStringLiteral("а") : QString();
        name[2] += QStringLiteral("-") + u(dice.of(kFamilies)) + ending;
      }
    }
    written.insert(egn, joined());
    const bool adult = zv::toQDate(born).addYears(14) <= today;
    const bool idCard = adult && dice.chance(90);
    QStringList id(6);
    if (idCard) {
      id[0] = QStringLiteral("%1%2").arg(dice.pick(10000, 99999)).arg(dice.pick(1000, 9999));
      id[1] = yyyymmdd(today.addDays(-dice.pick(0, 10 * 365)));
      id[2] = dice.chance(80) ? QStringLiteral("МВР") : QString();
      id[3] = u(kPlaces[0]);
      id[4] = u(kPlaces[0]);
    }
    const QStringList row{egn,
                          name[0], name[1], name[2],
                          u(kPlaces[0]), u(kPlaces[0]),
                          permanent[0], permanent[1], permanent[2], permanent[3], permanent[4], permanent[5],
                          permanent[6],
                          u(kPlaces[0]), u(kPlaces[0]),
                          current[0], current[1], current[2], current[3], current[4], current[5], current[6],
                          QStringLiteral("БЪЛГАРИЯ"), QString(),
                          id[0], id[1], id[2], id[3], id[4],
                          u(dice.of(kPlaces))};
    QStringList cells;
    for (const QString &c : row) cells << clean(c);
    ts << cells.join(QLatin1Char('\t')) << '\n';
  }
  q.closeCursor();
  tr.commit();
  ts.flush();
  if (!file.commit()) throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
  // Names, addresses and identity documents: the owner's only.
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  // Differences as the comparison finds them, members sharing a number included.
  int changed = 0;
  for (const auto &[egn, stored] : members) {
    const auto person = written.constFind(egn);
    if (person != written.cend() && zv::StoredNameDiffers(stored, *person)) ++changed;
  }
  if (differing) *differing = changed;
  return static_cast<int>(written.size());
}

int cmdDemo(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o =
      parseOptions(args, {QStringLiteral("database"), QStringLiteral("cards"), QStringLiteral("seed")});
  bool cardsOk = false, seedOk = true;
  const int cards = o.get(QStringLiteral("cards")).toInt(&cardsOk);
  const unsigned seed = o.get(QStringLiteral("seed"), QStringLiteral("1")).toUInt(&seedOk);
  // A register of a million families is far beyond any municipality's; a
  // larger count is a typing error that would run for hours.
  constexpr int kMostCards = 1000000;
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !cardsOk || cards < 0 || cards > kMostCards ||
      !seedOk || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    if (cardsOk && cards > kMostCards) err << "--cards takes at most " << kMostCards << "\n";
    err << "usage: zv-admin demo --database PATH --cards N [--seed S]\n";
    return 2;
  }
  fb::Database db;
  connectRegister(db, o.get(QStringLiteral("database")));
  fb::Transaction tr(db);
  QElapsedTimer t;
  t.start();
  int members = 0;
  const int last = fillDemoRegister(db, tr, cards, seed, &members);
  db.disconnect();
  // Children, their ages, the family facts and the points of every card,
  // as the program keeps them, so the demo list reads like a real register.
  TDataModule1 dm;
  dm.connectTo(o.get(QStringLiteral("database")), envUser(), envPassword());
  TerminalProgress progress(err);
  zv::RefreshAllPoints(progress);  // commits
  dm.disconnectCommitting();
  out << "cards " << cards << ", members " << members << ", last number " << last << " ("
      << QString::number(t.elapsed() / 1000.0, 'f', 1) << " s)\n";
  // The population register's file for the same people, where the person
  // service looks for it.
  {
    fb::Database pdb;
    connectWithEnv(pdb, o.get(QStringLiteral("database")));
    fb::Transaction ptr(pdb);
    const QString file = zv::PersonInfoDataFile();
    int differing = 0;
    const int persons = writeDemoPopulation(pdb, ptr, file, seed, &differing);
    pdb.disconnect();
    out << "population register " << QFileInfo(file).absoluteFilePath() << ", persons " << persons
        << ", names differing " << differing << "\n";
  }
  return 0;
}
