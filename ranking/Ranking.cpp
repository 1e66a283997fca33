#include "Ranking.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "DataModule.h"
#include "Fb.h"
#include "Nomen.h"
#include "Session.h"
#include "Upgrade.h"
#include "WriteUnit.h"
#include "egn.h"

namespace zv {

namespace {

TDataModule1 &module() {
  if (!DataModule1) throw fb::Error(QStringLiteral("The data module has not been created"));
  return *DataModule1;
}

bool isNull(const QVariant &v) { return !v.isValid() || v.isNull(); }

QString trimmedRight(QString s) {
  qsizetype n = s.size();
  while (n > 0 && s.at(n - 1).isSpace()) --n;
  s.truncate(n);
  return s;
}

QString textOf(const QVariant &v) { return isNull(v) ? QString() : trimmedRight(Field(QString(), v).asString()); }

QString dateOf(const QVariant &v) { return isNull(v) ? QString() : dateText(Field(QString(), v).asDateTime()); }

}  // namespace

// ------------------------------------------------------------ criteria

const std::vector<Criterion> &BuiltInCriteria() {
  static const std::vector<Criterion> list = {
      {QStringLiteral(" - група: 1..5"), QStringLiteral("GRUPA"), false},
      {QStringLiteral(" - Точки (Брой точки)"), QStringLiteral("POINTS DESC"), false},
      {QStringLiteral(" - дата на регистриране"), QStringLiteral("REGDATE"), false},
      {QStringLiteral(" - брой деца до 18 г."), QStringLiteral("KIDS DESC"), false},
      {QStringLiteral(" - дали е самотен родител"), QStringLiteral("ONLY_PARENT"), false},
      {QStringLiteral(" - инвалиди в семейството"), QStringLiteral("N_INVALIDS DESC"), false},
      {QStringLiteral(" - дали е младо семейство"), QStringLiteral("YOUNG_FAMILY"), false},
      {QStringLiteral(" - дали сем. живее в тежки жилищни условия"), QStringLiteral("HARD_LIFE"), false},
      {QStringLiteral(" - ср. възраст на децата до 18 г."), QStringLiteral("KIDS_AGE DESC"), false},
  };
  return list;
}

CriteriaList LoadCriteria(TDataModule1 &dm) {
  Table &t = dm.KLAS_NOM;
  t.open();
  const int iId = t.fieldIndex(QStringLiteral("KLAS_ID"));
  const int iTxt = t.fieldIndex(QStringLiteral("KLAS_TXT"));
  const int iCol = t.fieldIndex(QStringLiteral("KLAS_COLUMN"));
  const int iVaj = t.fieldIndex(QStringLiteral("KLAS_VAJ"));
  struct Stored {
    QVariant id;
    Criterion c;
  };
  std::vector<Stored> rows;
  for (const Row &r : t.rows()) {
    const auto at = [&r](int i) { return i >= 0 ? r[static_cast<size_t>(i)] : QVariant(); };
    // Texts as stored: the built-in ones begin with a blank.
    const auto text = [&](int i) { return isNull(at(i)) ? QString() : at(i).toString(); };
    rows.push_back(Stored{at(iId), Criterion{text(iTxt), text(iCol), !isNull(at(iVaj)) && at(iVaj).toInt() == 1}});
  }
  t.close();

  CriteriaList out;
  if (rows.empty()) {
    out.entries = BuiltInCriteria();
    return out;
  }
  // The server returns the rows of a table without a key in no set order:
  // by KLAS_ID (rows without one last), then the fixed ones first.
  std::stable_sort(rows.begin(), rows.end(), [](const Stored &a, const Stored &b) {
    if (isNull(a.id) != isNull(b.id)) return isNull(b.id);
    return !isNull(a.id) && a.id.toLongLong() < b.id.toLongLong();
  });
  std::stable_partition(rows.begin(), rows.end(), [](const Stored &s) { return s.c.fixed; });
  for (const Stored &s : rows) {
    out.entries.push_back(s.c);
    if (s.c.fixed) ++out.fixed;
  }
  out.total = static_cast<int>(out.entries.size());
  return out;
}

QString RankingOrderOf(const std::vector<Criterion> &criteria) {
  QString order;
  for (size_t i = 0; i < criteria.size(); ++i)
    order += (i == 0 ? QStringLiteral("order by ") : QStringLiteral(",")) + criteria[i].term;
  return order;
}

// ------------------------------------------------------------ places

QString RankingLine(int place, TDate today, int group1, TDate groupDate, const QString &subgroupText) {
  QString line = QString::number(place) + QStringLiteral("-о място от ") + dateText(today) +
                 QStringLiteral(" - Група ") + QString::number(group1);
  if (groupDate != 0) line += QStringLiteral(" от ") + dateText(groupDate);
  line += QStringLiteral(", Подгрупа: ");
  line += subgroupText != kNomNone ? CollapseSpaces(subgroupText) : QStringLiteral("Няма");
  return line;
}

QString NotesWithLine(const QString &notes, const QString &line) {
  if (!notes.isEmpty() && notes.back().unicode() > 31) return notes + QChar(13) + line;
  return notes + line;
}

std::vector<RankingRow> RankingRows(const TDataModule1 &dm) {
  const Query &q = dm.MainQuery;
  std::vector<RankingRow> out;
  if (!q.active()) return out;
  const int iReg = q.fieldIndex(QStringLiteral("REG_NUM")), iName = q.fieldIndex(QStringLiteral("NAME")),
            iGroup = q.fieldIndex(QStringLiteral("grupa11")), iAdr = q.fieldIndex(QStringLiteral("ADRESS")),
            iKids = q.fieldIndex(QStringLiteral("KIDS")), iPoints = q.fieldIndex(QStringLiteral("POINTS")),
            iReg2 = q.fieldIndex(QStringLiteral("REGDATE")), iGd = q.fieldIndex(QStringLiteral("GRUPA_DATE"));
  out.reserve(static_cast<size_t>(q.recordCount()));
  for (int r = 0; r < q.recordCount(); ++r) {
    RankingRow row;
    row.place = PlaceOfRow(r);
    row.regNum = textOf(q.value(r, iReg));
    row.name = textOf(q.value(r, iName));
    row.group = textOf(q.value(r, iGroup));
    row.address = textOf(q.value(r, iAdr));
    row.kids = textOf(q.value(r, iKids));
    row.points = textOf(q.value(r, iPoints));
    row.regDate = dateOf(q.value(r, iReg2));
    row.groupDate = dateOf(q.value(r, iGd));
    out.push_back(std::move(row));
  }
  return out;
}

namespace {
// Switches the grid's repainting off for the walk and on again however the
// run ends.
class GridPause {
 public:
  explicit GridPause(const std::function<void(bool)> &fn) : fn_(fn) {
    if (fn_) fn_(false);
  }
  ~GridPause() {
    if (fn_) fn_(true);
  }
  GridPause(const GridPause &) = delete;
  GridPause &operator=(const GridPause &) = delete;

 private:
  const std::function<void(bool)> &fn_;
};
}  // namespace

int WriteRankingPlaces(Progress &progress, const std::function<void(bool)> &gridUpdates) {
  TDataModule1 &dm = module();
  ProgressRun run(progress, QStringLiteral("Попълване на данните от класирането"), 215);
  Query &mq = dm.MainQuery;
  const int n = mq.recordCount();
  GridPause pause(gridUpdates);

  const int iReg = mq.fieldIndex(QStringLiteral("REG_NUM")), iCard = mq.fieldIndex(QStringLiteral("CARD_ID")),
            iGroup1 = mq.fieldIndex(QStringLiteral("GROUP1")), iGd = mq.fieldIndex(QStringLiteral("GRUPA_DATE")),
            iGroup2 = mq.fieldIndex(QStringLiteral("GROUP2"));
  const TDate day = today();
  std::map<int, QString> subgroupTexts;  // a handful of codes, looked up once each

  // The lines in ranking order, gathered per card: a card listed twice gets
  // both places, the later one last.
  struct Card {
    qlonglong cardId;
    QVariant regNum;
    std::vector<QString> lines;
  };
  std::vector<Card> cards;
  std::unordered_map<qlonglong, size_t> byRegNum;
  for (int r = 0; r < n; ++r) {
    const QVariant reg = mq.value(r, iReg);
    const int code = mq.value(r, iGroup2).toInt();
    auto sub = subgroupTexts.find(code);
    if (sub == subgroupTexts.end()) sub = subgroupTexts.emplace(code, NomTextOf(QStringLiteral("GROUP2"), code)).first;
    const QVariant gd = mq.value(r, iGd);
    QString line = RankingLine(PlaceOfRow(r), day, mq.value(r, iGroup1).toInt(),
                               isNull(gd) ? 0 : Field(QString(), gd).asDateTime(), sub->second);
    const auto [at, added] = byRegNum.emplace(reg.toLongLong(), cards.size());
    if (added) cards.push_back(Card{mq.value(r, iCard).toLongLong(), reg, {}});
    cards[at->second].lines.push_back(std::move(line));
  }
  // The cards are written in the order they are stored rather than in the
  // ranking's: the pages of the card table are then visited once each,
  // instead of at random over the whole table.
  std::sort(cards.begin(), cards.end(), [](const Card &a, const Card &b) { return a.cardId < b.cardId; });

  int written = 0;
  try {
    RunAsOneUnit(dm.Transaction, kPlacesNotRecorded, [&](UnitCard &at) {
      // One recording at a time: a second one, here or at another
      // workstation, is refused before it writes anything.
      try {
        TakeRegisterLock(dm.Database, dm.Transaction, kPlacesRecording, session().CurrentUserName);
      } catch (const fb::Error &e) {
        if (e.isConflict() && !dynamic_cast<const fb::ConnectionLost *>(&e)) throw UnitFailed(kPlacesBusyText, e);
        throw;
      }
      int done = 0;
      {
        // Both statements are prepared once: the notes are read afresh for
        // each card (another workstation may have added to them since the
        // list was opened), and the card is written by its registration
        // number, which has a unique index.
        fb::Statement read(dm.Database, dm.Transaction), write(dm.Database, dm.Transaction);
        read.prepare(QStringLiteral("select NOTES from RGS_CARD where REG_NUM = ?"));
        write.prepare(QStringLiteral("update RGS_CARD set CLASSINFO = ?, NOTES = ? where REG_NUM = ?"));
        std::vector<QVariant> params(3);
        for (const Card &c : cards) {
          at.at(c.regNum);
          done += static_cast<int>(c.lines.size());
          stepProgress(progress, done, n);
          read.execute({c.regNum});
          const bool found = read.fetch();
          const QVariant stored = found ? read.value(0) : QVariant();
          read.closeCursor();
          if (!found) continue;  // gone from the register since it was listed
          QString notes = isNull(stored) ? QString() : stored.toString();
          for (const QString &line : c.lines) notes = NotesWithLine(notes, line);
          params[0] = c.lines.back();
          params[1] = notes;
          params[2] = c.regNum;
          write.execute(params);
          ++written;
        }
      }  // the statements are released before the commit ends their transaction
      if (dm.Cards.active()) dm.Cards.close();
      mq.close();
    });
  } catch (...) {
    // Nothing of the run is left: the same ranking again, as the register
    // has it. When even that fails the list stays closed, and the window
    // shows it empty.
    progress.end();
    try {
      mq.open();
    } catch (const fb::Error &) {
      // The error that stopped the run is the one to report.
    }
    throw;
  }
  progress.end();
  mq.open();
  return written;
}

}  // namespace zv
