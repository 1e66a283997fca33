#pragma once
// A register with a logged-in main window, and small cards to rank, for the
// ranking tests. The clock is pinned so that points and ranking lines are
// the same on any day.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "DataModule.h"
#include "Dialogs.h"
#include "Install.h"
#include "Klas.h"
#include "Modal.h"
#include "LoginAs.h"
#include "MainForm.h"
#include "Print.h"
#include "Session.h"
#include "TempRegister.h"

namespace rankingtest {

inline const QDateTime kNowDt(QDate(2026, 6, 15), QTime(10, 0), Qt::UTC);
inline QDate kToday() { return kNowDt.date(); }
// A registration or group date `years` before the pinned day.
inline zv::TDate yearsAgo(int years, int days = 0) { return zv::fromQDate(kToday().addYears(-years).addDays(-days)); }

// Fails the test when a modal window comes up, and closes it.
class NoModal {
 public:
  NoModal() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget *w = QApplication::activeModalWidget()) {
        seen_ = true;
        w->close();
      }
    });
    timer_.start(20);
  }
  ~NoModal() { EXPECT_FALSE(seen_) << "a modal window was shown"; }

 private:
  QTimer timer_;
  bool seen_ = false;
};

// The text pdftotext reads from a PDF file, laid out as on the page.
inline QString pdfText(const QString &path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The size line of pdfinfo, e.g. "841.89 x 595.276 pts (A4)".
inline QString pdfPageSize(const QString &path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  EXPECT_TRUE(p.waitForFinished(30000));
  for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("Page size:"))) return line.mid(10).simplified();
  return QString();
}

// Runs of blanks as one blank: pdftotext lays out by position.
inline QString squeezed(const QString &s) { return s.simplified(); }

class RankingFixture : public ::testing::Test {
 protected:
  TempRegister reg;
  QTemporaryDir profile;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TDataModule1> dm;

  void SetUp() override {
    qputenv("USERPROFILE", QFile::encodeName(profile.path()));
    zv::setNow(kNowDt);
    zv::session() = zv::Session{};
    PrintForm() = TPrintForm{};
  }
  void TearDown() override {
    form.reset();
    if (dm && dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    FreeLoginRecord();
    zv::setNow(std::nullopt);
    PrintForm() = TPrintForm{};
  }

  // The data module alone, connected.
  void connect() {
    dm = std::make_unique<TDataModule1>();
    dm->connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  }

  // A main window after the start of work of a user with this role.
  void startAs(const QString &role) {
    {
      fb::Database db;
      db.databaseName = reg.path;
      db.connect();
      fb::Transaction tr(db);
      zv::putUser(db, tr, QStringLiteral("clerk"), QStringLiteral("Мария Петрова"), role, QStringLiteral("pw"));
      db.disconnect();
    }
    zvtest::FillLoginRecord({.dbPath = reg.path, .userName = QStringLiteral("Мария Петрова"),
                             .loginName = QStringLiteral("clerk"), .role = role});
    form = std::make_unique<TMainForm>();
    dm = std::make_unique<TDataModule1>();
    form->quitApplication = [] {};
    form->FormShow();
    Dialogs::clearShown();
  }

  void exec(const QString &sql, const std::vector<QVariant> &p = {}) {
    fb::execute(dm->Database, dm->Transaction, sql, p);
  }

  // A card with one holder; GROUP1 is the group code plus one, as the card
  // window writes it. Returns the CARD_ID.
  int addCard(int regNum, int grupa, int status, zv::TDate regDate, int group2 = 9,
              const QVariant &grupaDate = QVariant(), const QVariant &notes = QVariant(),
              const QString &name = QString()) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, GRUPA_DATE, ADD_USER, "
                        "STATUS, NOTES) values (?, ?, ?, ?, ?, ?, ?, 'Default', ?, ?)"),
         {regNum, regDate, QStringLiteral("ул. \"Шипка\" № %1").arg(regNum), grupa + 1, group2, grupa,
          grupaDate.isValid() ? grupaDate : QVariant(regDate), status, notes});
    fb::Statement s(dm->Database, dm->Transaction);
    s.prepare(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = ?"));
    s.execute({regNum});
    EXPECT_TRUE(s.fetch());
    const int id = s.value(0).toInt();
    s.closeCursor();
    addPerson(id, name.isEmpty() ? QStringLiteral("Титуляр %1").arg(regNum) : name, 0);
    return id;
  }
  void addPerson(int cardId, const QString &name, int type) {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (?, ?, '7501010000', ?)"),
         {cardId, name, type});
  }

  // CLASSINFO and NOTES of a card as another workstation sees them.
  std::pair<QString, QString> committedPlace(int regNum) {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    fb::Statement s(db, tr);
    s.prepare(QStringLiteral("select CLASSINFO, NOTES from RGS_CARD where REG_NUM = ?"));
    s.execute({regNum});
    std::pair<QString, QString> out;
    if (s.fetch()) out = {s.value(0).toString(), s.value(1).toString()};
    s.closeCursor();
    tr.commit();
    db.disconnect();
    return out;
  }

  // The ranking command confirmed with the criteria as they come.
  void rankNow() {
    zvtest::onModal<TKlasForm>([](TKlasForm *f) { f->bOK->click(); }, QStringLiteral("KlasForm"));
    form->tbStatusClick();
  }

  // REG_NUM of every listed row.
  QList<int> listed() const {
    QList<int> out;
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r)
      out << dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt();
    return out;
  }
};

}  // namespace rankingtest
