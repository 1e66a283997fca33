// Two workstations on one Firebird server, and the server lost under them.
// The tests skip when no server is named in ZV_TEST_SERVER (host:/folder),
// as set up by scripts/fbserver.sh; CI always starts one.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintDialog>
#include <QProcess>
#include <QRadioButton>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <memory>

#include "CardStatus.h"
#include "CardWindowFixture.h"
#include "Install.h"
#include "Klas.h"
#include "LoginAs.h"
#include "MainForm.h"
#include "Modal.h"
#include "SaveRep_u.h"
#include "Points.h"
#include "Progress.h"
#include "Ranking.h"
#include "WriteUnit.h"

namespace {

}  // namespace

// Readable failures: texts print as UTF-8.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString kHolderEgn = egnOf(1985, 3, 10, 123);
const QString kChangedElsewhere = QStringLiteral("променен от друга работна станция");

QString serverBase() { return qEnvironmentVariable("ZV_TEST_SERVER"); }
QString dbUser() { return qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA")); }
QString dbPassword() { return qEnvironmentVariable("ISC_PASSWORD"); }
// Names the register on the server with the test's credentials.
void aimAt(fb::Database &db, const QString &path) {
  db.databaseName = path;
  db.userName = dbUser();
  db.password = dbPassword();
}

// One workstation: its data module and its card window.
struct Station {
  TDataModule1 dm;
  std::unique_ptr<TViewKart> w;
};

class TwoStations : public ::testing::Test {
 protected:
  QString path;
  Station a, b;

  void SetUp() override {
    if (serverBase().isEmpty()) GTEST_SKIP() << "no Firebird server: set ZV_TEST_SERVER=host:/folder (scripts/fbserver.sh)";
    pinNow();
    Dialogs::setScripted(true);
    Dialogs::clearShown();
    zv::session() = zv::Session{QStringLiteral("Иван Петров"), QStringLiteral("1"), QStringLiteral("ivan")};
    path = serverBase() + QStringLiteral("/rel-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".fdb");
    zv::InstallOptions o;
    o.database = path;
    o.dbUser = dbUser();
    o.dbPassword = dbPassword();
    o.adminPassword = QStringLiteral("x");
    zv::createRegister(o);
    for (Station *s : {&a, &b}) {
      s->dm.connectTo(path, dbUser(), dbPassword());
      use(*s);
      s->w = std::make_unique<TViewKart>();
    }
  }
  void TearDown() override {
    for (Station *s : {&a, &b}) {
      s->w.reset();
      try {
        if (s->dm.Database.connected()) {
          s->dm.Transaction.rollback();
          s->dm.Database.disconnect();
        }
      } catch (const fb::Error &) {
      }
    }
    DataModule1 = nullptr;
    zv::setNow(std::nullopt);
    Dialogs::setScripted(false);
    if (!path.isEmpty()) {
      fb::Database db;
      aimAt(db, path);
      try {
        db.connect();
        isc_drop_database(nullptr, db.handle());
      } catch (...) {
      }
    }
  }

  // The windows act through the global data module: make it this station's.
  static void use(Station &s) { DataModule1 = &s.dm; }

  // Committed rows, through a connection of its own, as "a|b|c".
  QStringList committed(const QString &sql) {
    fb::Database db;
    aimAt(db, path);
    db.connect();
    fb::Transaction tr(db);
    zv::Query q(db, tr);
    q.SQL = QStringList{sql};
    q.open();
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < q.fieldCount(); ++c) cells << zv::Field(QString(), q.value(r, c)).asString().trimmed();
      out << cells.join(QLatin1Char('|'));
    }
    tr.commit();
    return out;
  }
  // Everything a save can write, committed.
  QStringList everything() {
    QStringList out;
    for (const char *sql : {"select * from RGS_CARD order by CARD_ID", "select * from RGS_PERSON order by PERSON_ID",
                            "select N, COUNTER from NOM order by N",
                            "select T_ID, TYPE_T, T_TEXT from INF_LOG order by LOG_ID"})
      out << committed(QString::fromLatin1(sql));
    return out;
  }

  // A new card typed into the station's window and stored.
  static void typeNewCard(Station &s, int regNum, const QString &address, const QString &egn = kHolderEgn) {
    use(s);
    s.w->OpenCard(0, true, false);
    s.w->ebRegNum->setText(QString::number(regNum));
    s.w->FirstName->setText(QStringLiteral("Мария Иванова"));
    s.w->PersonType->setCurrentIndex(s.w->PersonType->findText(zv::kHolder));
    s.w->PersonEGN->setText(egn);
    s.w->AddClick();
    s.w->ebAdress->setText(address);
    s.w->cbGroup->setCurrentIndex(1);
    s.w->cbsubGroup->setCurrentIndex(0);
    s.w->cbStatus->setCurrentIndex(1);
    s.w->dtAdress->setDate(kToday.addYears(-10));
  }
  // Opens the stored card with this number in the station's window.
  static void openStored(Station &s, int regNum) {
    use(s);
    s.dm.Transaction.ensure();
    s.dm.Transaction.commitRetaining();
    s.dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
    for (int r = 0; r < s.dm.MainQuery.recordCount(); ++r)
      if (s.dm.MainQuery.value(r, QStringLiteral("REG_NUM")).toInt() == regNum) s.dm.MainQuery.setRecNo(r);
    s.w->OpenCard(1, true, false);
  }
  // Stores a card with one holder through station a and leaves it committed.
  void storedCard(int regNum) {
    typeNewCard(a, regNum, QStringLiteral("ул. Стара %1").arg(regNum), egnOf(1985, 3, 10, regNum));
    a.w->OKClick();
    ASSERT_EQ(Dialogs::shown().size(), 1);
    ASSERT_EQ(Dialogs::shown()[0].text, QStringLiteral("Данните са регистрирани успешно!"));
    a.dm.Transaction.commit();
    Dialogs::clearShown();
  }
  static QString lastText() { return Dialogs::shown().isEmpty() ? QString() : Dialogs::shown().back().text; }
};

TEST_F(TwoStations, SameRegistrationNumberAtOnce) {
  // b has stored number 5 and not yet committed; a stores 5 at that moment.
  use(b);
  b.dm.Transaction.ensure();
  fb::execute(b.dm.Database, b.dm.Transaction,
              QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS) "
                             "values (5, '01.01.2020', 'Втора станция', 1, 9, 'Default', 1)"));
  const QStringList before = everything();
  typeNewCard(a, 5, QStringLiteral("Първа станция"));
  QElapsedTimer t;
  t.start();
  a.w->OKClick();
  EXPECT_LT(t.elapsed(), 5000) << "the save waited for the other workstation";
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].icon, Dialogs::Icon::Error);
  EXPECT_EQ(everything(), before);  // nothing of a's save in any table
  EXPECT_EQ(a.w->ebAdress->text(), QStringLiteral("Първа станция"));
  EXPECT_EQ(a.w->RowCount(), 1);

  // b commits; a's next try is told the number is taken, still nothing written.
  b.dm.Transaction.commit();
  Dialogs::clearShown();
  const QStringList afterB = everything();
  use(a);
  a.w->OKClick();
  EXPECT_EQ(lastText(), QStringLiteral("Регистрационният номер е невалиден или вече съществува!"));
  EXPECT_EQ(everything(), afterB);
  EXPECT_EQ(committed(QStringLiteral("select ADRESS from RGS_CARD where REG_NUM = 5")), QStringList{"Втора станция"});
}

TEST_F(TwoStations, SecondStoreOfTheSameCardIsRefusedUntilReopened) {
  storedCard(7);
  openStored(a, 7);
  openStored(b, 7);
  use(a);
  a.w->ebAdress->setText(QStringLiteral("адрес от първата"));
  a.w->OKClick();
  EXPECT_EQ(lastText(), QStringLiteral("Данните са актуализирани успешно!"));
  Dialogs::clearShown();

  const QStringList before = everything();
  use(b);
  b.w->ebAdress->setText(QStringLiteral("адрес от втората"));
  b.w->OKClick();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_TRUE(lastText().contains(kChangedElsewhere)) << lastText().toStdString();
  EXPECT_EQ(everything(), before);  // rolled back whole: no card, member or history change
  EXPECT_EQ(b.w->ebAdress->text(), QStringLiteral("адрес от втората"));  // what the clerk typed stays
  EXPECT_TRUE(b.w->Modified);

  // Reopened, the card stores again.
  Dialogs::clearShown();
  openStored(b, 7);
  EXPECT_EQ(b.w->ebAdress->text(), QStringLiteral("адрес от първата"));
  b.w->ebAdress->setText(QStringLiteral("адрес от втората"));
  b.w->OKClick();
  EXPECT_EQ(lastText(), QStringLiteral("Данните са актуализирани успешно!"));
  b.dm.Transaction.commit();
  EXPECT_EQ(committed(QStringLiteral("select ADRESS from RGS_CARD where REG_NUM = 7")),
            QStringList{"адрес от втората"});
}

TEST_F(TwoStations, UncommittedChangeElsewhereFailsTheSaveAtOnceWithTheServersText) {
  storedCard(8);
  openStored(b, 8);
  use(a);
  a.dm.Transaction.ensure();
  fb::execute(a.dm.Database, a.dm.Transaction, QStringLiteral("update RGS_CARD set STATUS = 2 where REG_NUM = 8"));
  const QStringList before = everything();
  use(b);
  b.w->ebAdress->setText(QStringLiteral("нов адрес"));
  QElapsedTimer t;
  t.start();
  b.w->OKClick();
  EXPECT_LT(t.elapsed(), 5000);
  EXPECT_TRUE(lastText().contains(kChangedElsewhere)) << lastText().toStdString();
  EXPECT_TRUE(lastText().contains(QLatin1String("conflict")) || lastText().contains(QLatin1String("deadlock")))
      << lastText().toStdString();
  a.dm.Transaction.rollback();
  EXPECT_EQ(everything(), before);  // b wrote nothing
  EXPECT_EQ(b.w->ebAdress->text(), QStringLiteral("нов адрес"));
}

TEST_F(TwoStations, StatusChangeRankingPlaceAndCardSaveOnOneCard) {
  storedCard(9);
  const int id = committed(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = 9")).value(0).toInt();
  openStored(a, 9);
  // Station b changes the status (with its note) and records a place.
  use(b);
  zv::SetCardStatus(id, 3);
  fb::execute(b.dm.Database, b.dm.Transaction,
              QStringLiteral("update RGS_CARD set CLASSINFO = '12 място' where CARD_ID = ?"), {id});
  b.dm.Transaction.commit();
  const QStringList afterB = everything();
  const QString notesAfterB = committed(QStringLiteral("select NOTES from RGS_CARD where CARD_ID = %1").arg(id)).value(0);
  ASSERT_FALSE(notesAfterB.isEmpty());

  // Station a, which loaded the card before, would put the old status back.
  use(a);
  a.w->ebAdress->setText(QStringLiteral("друг адрес"));
  a.w->OKClick();
  EXPECT_TRUE(lastText().contains(kChangedElsewhere)) << lastText().toStdString();
  EXPECT_EQ(everything(), afterB);

  // Reopened, its save keeps b's status, note and place.
  Dialogs::clearShown();
  openStored(a, 9);
  a.w->ebAdress->setText(QStringLiteral("друг адрес"));
  a.w->OKClick();
  EXPECT_EQ(lastText(), QStringLiteral("Данните са актуализирани успешно!"));
  a.dm.Transaction.commit();
  EXPECT_EQ(committed(QStringLiteral("select STATUS, CLASSINFO, ADRESS from RGS_CARD where CARD_ID = %1").arg(id)),
            QStringList{"3|12 място|друг адрес"});
  EXPECT_TRUE(committed(QStringLiteral("select NOTES from RGS_CARD where CARD_ID = %1").arg(id)).value(0).startsWith(
      notesAfterB.trimmed()));

  // A status change while a's save holds the card fails at once, whole.
  Dialogs::clearShown();
  openStored(a, 9);
  a.w->ebAdress->setText(QStringLiteral("трети адрес"));
  use(a);
  a.dm.Transaction.ensure();
  fb::execute(a.dm.Database, a.dm.Transaction,
              QStringLiteral("update RGS_CARD set CARD_ID = CARD_ID where CARD_ID = ?"), {id});
  use(b);
  const QStringList held = everything();
  EXPECT_THROW(zv::SetCardStatus(id, 1), fb::Error);
  b.dm.Transaction.rollback();
  a.dm.Transaction.rollback();
  EXPECT_EQ(everything(), held);
}

// ---------------------------------------------------------------- lost server

bool portAnswers() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(3050);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

// Kills the server process; its guard starts a new one. Held, the guard is
// stopped first and let go only at the end, so that the server stays away
// for several commands. Whatever happens, the server answers again when this
// ends.
class ServerOutage {
 public:
  enum class Hold { No, UntilEnd };
  explicit ServerOutage(QString probe = QString(), Hold hold = Hold::No) : probe_(std::move(probe)) {
    if (hold == Hold::UntilEnd) {
      guards_ = pids("fbguard");
      for (int pid : guards_) ::kill(pid, SIGSTOP);
    }
    for (int pid : pids("firebird")) killed_ = ::kill(pid, SIGKILL) == 0 || killed_;
  }
  ~ServerOutage() {
    for (int pid : guards_) ::kill(pid, SIGCONT);
    waitForServer();
  }
  bool killed() const { return killed_; }
  // Until the port answers and the server takes an attachment again.
  void waitForServer() const {
    QElapsedTimer t;
    t.start();
    while (!ready() && t.elapsed() < 20000) QThread::msleep(200);
    if (!portAnswers())
      QProcess::execute(QStringLiteral("bash"), {QStringLiteral(ZV_SOURCE_DIR "/scripts/fbserver.sh"), QStringLiteral("start")});
    t.restart();
    while (!ready() && t.elapsed() < 20000) QThread::msleep(200);
  }

 private:
  bool killed_ = false;
  QString probe_;
  QList<int> guards_;
  static QList<int> pids(const char *name) {
    QProcess p;
    p.start(QStringLiteral("pgrep"), {QStringLiteral("-u"), QStringLiteral("firebird"), QStringLiteral("-x"),
                                     QString::fromLatin1(name)});
    p.waitForFinished(5000);
    QList<int> out;
    for (const QByteArray &pid : p.readAllStandardOutput().trimmed().split('\n'))
      if (const int n = pid.toInt(); n > 0) out << n;
    return out;
  }
  bool ready() const {
    if (!portAnswers()) return false;
    if (probe_.isEmpty()) return true;
    fb::Database db;
    aimAt(db, probe_);
    try {
      db.connect();
      db.disconnect();
      return true;
    } catch (const fb::Error &) {
      return false;
    }
  }
};

TEST_F(TwoStations, ServerLostDuringACardSave) {
  storedCard(11);
  openStored(a, 11);
  use(a);
  a.w->ebAdress->setText(QStringLiteral("адрес при срив"));
  const QStringList before = everything();
  {
    ServerOutage outage(path);
    ASSERT_TRUE(outage.killed()) << "could not stop the server (needs root)";
    QElapsedTimer t;
    t.start();
    a.w->OKClick();
    EXPECT_LT(t.elapsed(), 15000);
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_TRUE(lastText().startsWith(fb::ConnectionLost::kMessage)) << lastText().toStdString();
    EXPECT_EQ(a.w->ebAdress->text(), QStringLiteral("адрес при срив"));
  }
  EXPECT_EQ(everything(), before);  // nothing partial when the server is back
  // The next command attaches anew; the clerk stores the card again.
  Dialogs::clearShown();
  a.w->OKClick();
  EXPECT_EQ(lastText(), QStringLiteral("Данните са актуализирани успешно!"));
  a.dm.Transaction.commit();
  EXPECT_EQ(committed(QStringLiteral("select ADRESS from RGS_CARD where REG_NUM = 11")), QStringList{"адрес при срив"});
}

TEST_F(TwoStations, ServerLostUnderTheListAndTheStatusChange) {
  storedCard(12);
  const int id = committed(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = 12")).value(0).toInt();
  use(b);
  b.dm.setMainLines(QString(), QString());
  {
    ServerOutage outage(path);
    ASSERT_TRUE(outage.killed());
    try {
      b.dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QString());
      FAIL() << "the list opened without a server";
    } catch (const fb::ConnectionLost &e) {
      EXPECT_TRUE(e.text().startsWith(fb::ConnectionLost::kMessage));
    }
  }
  // Back: the list, then a status change, work on a new attachment.
  b.dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QString());
  EXPECT_EQ(b.dm.MainQuery.recordCount(), 1);
  zv::SetCardStatus(id, 2);
  b.dm.Transaction.commit();
  EXPECT_EQ(committed(QStringLiteral("select STATUS from RGS_CARD where CARD_ID = %1").arg(id)), QStringList{"2"});
}

TEST_F(TwoStations, ServerLostUnderTheRanking) {
  storedCard(13);
  storedCard(14);
  use(b);
  zv::RecordingProgress progress;
  const auto rank = [this] {
    b.dm.setMainLines(zv::kRankingFilter, zv::RankingOrderOf(zv::LoadCriteria(b.dm).entries));
  };
  rank();
  ASSERT_EQ(b.dm.MainQuery.recordCount(), 2);
  const QStringList before = everything();
  {
    ServerOutage outage(path);
    ASSERT_TRUE(outage.killed());
    EXPECT_THROW(zv::WriteRankingPlaces(progress), fb::ConnectionLost);
    EXPECT_THROW(zv::RefreshAllPoints(progress), fb::ConnectionLost);
  }
  EXPECT_EQ(everything(), before);  // no place written in part
  // Back: the points, the ranking and its places work on a new attachment.
  zv::RefreshAllPoints(progress);
  rank();
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 2);
  b.dm.Transaction.commit();
  const QStringList places = committed(QStringLiteral("select CLASSINFO from RGS_CARD order by CARD_ID"));
  ASSERT_EQ(places.size(), 2);
  for (const QString &p : places) EXPECT_TRUE(p.contains(QStringLiteral("място"))) << p.toStdString();
}

TEST_F(TwoStations, RankedCardHeldElsewhereRecordsNoPlaceUntilFree) {
  for (int reg : {21, 22, 23}) storedCard(reg);
  const auto rank = [](Station &s) {
    use(s);
    s.dm.setMainLines(zv::kRankingFilter, zv::RankingOrderOf(zv::LoadCriteria(s.dm).entries));
  };
  rank(b);
  ASSERT_EQ(b.dm.MainQuery.recordCount(), 3);
  // a changes card 22 and has not committed.
  a.dm.Transaction.ensure();
  fb::execute(a.dm.Database, a.dm.Transaction, QStringLiteral("update RGS_CARD set NOTES = 'на a' where REG_NUM = 22"));
  const QStringList before = everything();
  use(b);
  zv::RecordingProgress progress;
  QElapsedTimer t;
  t.start();
  try {
    zv::WriteRankingPlaces(progress);
    FAIL() << "the places were recorded over a card held elsewhere";
  } catch (const zv::UnitFailed &e) {
    EXPECT_TRUE(e.text().startsWith(QStringLiteral("Местата не са записани: картон с рег. номер 22 се променя на друго "
                                                   "работно място. Опитайте отново.\n")))
        << e.text().toStdString();
  }
  EXPECT_LT(t.elapsed(), 5000) << "the recording waited for the other workstation";
  EXPECT_EQ(b.dm.MainQuery.recordCount(), 3);
  b.dm.Transaction.commit();  // the next refresh
  EXPECT_EQ(everything(), before);

  a.dm.Transaction.commit();
  rank(b);
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 3);
  for (const QString &notes : committed(QStringLiteral("select NOTES from RGS_CARD order by CARD_ID")))
    EXPECT_EQ(notes.count(QStringLiteral("място от")), 1) << notes.toStdString();
}

TEST_F(TwoStations, TwoRecordingsOfPlacesAtOnce) {
  for (int reg : {31, 32}) storedCard(reg);
  for (Station *s : {&a, &b}) {
    use(*s);
    s->dm.setMainLines(zv::kRankingFilter, zv::RankingOrderOf(zv::LoadCriteria(s->dm).entries));
  }
  // a starts as soon as b has begun writing.
  struct Hook : zv::RecordingProgress {
    std::function<void()> once;
    void setPosition(int percent) override {
      zv::RecordingProgress::setPosition(percent);
      if (auto f = std::exchange(once, {})) f();
    }
  } progress;
  QString refusal;
  progress.once = [&] {
    use(a);
    zv::RecordingProgress own;
    try {
      zv::WriteRankingPlaces(own);
    } catch (const zv::UnitFailed &e) {
      refusal = e.text();
    }
    use(b);
  };
  use(b);
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 2);
  EXPECT_EQ(refusal, zv::kPlacesBusyText);
  for (const QString &notes : committed(QStringLiteral("select NOTES from RGS_CARD order by CARD_ID")))
    EXPECT_EQ(notes.count(QStringLiteral("място от")), 1) << notes.toStdString();
}

// Rejects every printer dialog that comes up while it lives, and counts them.
class PrinterDialogs {
 public:
  PrinterDialogs() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto *d = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
        ++shown_;
        d->reject();
      }
    });
    timer_.start(10);
  }
  int shown() const { return shown_; }

 private:
  QTimer timer_;
  int shown_ = 0;
};

// The clerk's main window on the server: a refresh, the export, the
// certificate and the ranking while the server is gone, then again once it
// is back, without restarting the program.
TEST_F(TwoStations, ServerLostUnderTheMainWindow) {
  storedCard(15);
  storedCard(16);
  QTemporaryDir profile;
  qputenv("USERPROFILE", QFile::encodeName(profile.path()));
  zvtest::FillLoginRecord({.dbPath = path,
                           .userName = QStringLiteral("Администратор"),
                           .loginName = QStringLiteral("admin"),
                           .role = QStringLiteral("USER1"),
                           .dbUser = dbUser(),
                           .dbPassword = dbPassword()});
  use(b);
  auto form = std::make_unique<TMainForm>();
  form->quitApplication = [] {};
  form->FormShow();
  ASSERT_TRUE(Dialogs::shown().isEmpty()) << lastText().toStdString();
  ASSERT_EQ(b.dm.MainQuery.recordCount(), 2);
  b.dm.Transaction.commit();
  QStringList opened;
  TfrmSaveRep::openDocument = [&](const QString &file) {
    opened << file;
    return true;
  };
  const auto trigger = [&](const char *action) { form->findChild<QAction *>(QLatin1String(action))->trigger(); };
  const auto exportText = [&](const QString &file) {
    zvtest::onModal<TfrmSaveRep>([&](TfrmSaveRep *w) {
      w->rbTextFile->setChecked(true);
      Dialogs::queueAnswer(file);
      w->Save_SB->click();
      if (w->isVisible()) w->reject();
    });
    trigger("mList");  // F7 on the register tab
  };
  const auto rank = [&] {
    zvtest::onModal<TKlasForm>([](TKlasForm *f) { f->bOK->click(); }, QStringLiteral("KlasForm"));
    form->tbStatusClick();
  };
  const auto lostOnce = [&](const char *what) {
    ASSERT_EQ(Dialogs::shown().size(), 1) << what << ": " << Dialogs::shown().size() << " boxes";
    EXPECT_TRUE(lastText().startsWith(fb::ConnectionLost::kMessage)) << what << ": " << lastText().toStdString();
    Dialogs::clearShown();
  };
  const QStringList before = everything();
  const QString lostFile = profile.filePath(QStringLiteral("lost.txt"));
  {
    ServerOutage outage(path, ServerOutage::Hold::UntilEnd);
    ASSERT_TRUE(outage.killed());
    Dialogs::clearShown();
    // The list in memory is what the export writes: the file is made.
    exportText(lostFile);
    ASSERT_EQ(Dialogs::shown().size(), 2) << lastText().toStdString();
    EXPECT_EQ(lastText(), QStringLiteral("Файлът е записан успешно."));
    Dialogs::clearShown();
    // The certificate cannot narrow the list: no printer is asked for, and
    // the grid, following again, shows the list it could not put back.
    {
      PrinterDialogs printers;
      trigger("mSlBel");
      EXPECT_EQ(printers.shown(), 0);
    }
    lostOnce("certificate");
    EXPECT_TRUE(form->grid()->updatesEnabled());
    EXPECT_EQ(form->grid()->verticalHeader()->count(), 0);
    form->Refresh();
    lostOnce("refresh");
    rank();
    lostOnce("ranking");
    EXPECT_EQ(form->grid()->model()->rowCount(), b.dm.MainQuery.active() ? b.dm.MainQuery.recordCount() : 0);
  }
  EXPECT_EQ(everything(), before);
  QFile lost(lostFile);
  ASSERT_TRUE(lost.open(QIODevice::ReadOnly));
  EXPECT_EQ(lost.readAll().count("\r\n"), 3);  // the caption line and both cards

  // Back: the same window refreshes, prints and ranks on a new attachment.
  form->tabs()->setCurrentIndex(0);
  Dialogs::clearShown();
  form->Refresh();
  EXPECT_TRUE(Dialogs::shown().isEmpty()) << lastText().toStdString();
  EXPECT_EQ(b.dm.MainQuery.recordCount(), 2);
  {
    PrinterDialogs printers;
    trigger("mSlBel");
    EXPECT_EQ(printers.shown(), 1);
  }
  EXPECT_TRUE(Dialogs::shown().isEmpty()) << lastText().toStdString();
  EXPECT_EQ(b.dm.MainQuery.recordCount(), 2);
  rank();
  EXPECT_TRUE(Dialogs::shown().isEmpty()) << lastText().toStdString();
  EXPECT_EQ(form->tabs()->count(), 3);
  EXPECT_EQ(b.dm.MainQuery.recordCount(), 2);
  form->tabs()->setCurrentIndex(0);
  exportText(profile.filePath(QStringLiteral("back.txt")));
  EXPECT_EQ(lastText(), QStringLiteral("Файлът е записан успешно."));
  TfrmSaveRep::openDocument = nullptr;
  form.reset();
  FreeLoginRecord();
}

}  // namespace
