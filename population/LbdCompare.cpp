#include "LbdCompare.h"

#include <optional>

#include "DataModule.h"
#include "Fb.h"
#include "LbdCheck.h"
#include "PersonInfo.h"
#include "Progress.h"
#include "WriteUnit.h"

namespace zv {

QString NoNameDifferencesText() {
  return QStringLiteral("Не са намерени никакви съвпадащи ЕГН-та с различаващи се имена от ЛБД");
}

bool StoredNameDiffers(const QString &storedName, const QString &registerName) {
  return QStringView(storedName).left(registerName.size()) != registerName;
}

std::vector<NameDifference> FindNameDifferences(fb::Database &db, fb::Transaction &tr, Progress *progress) {
  tr.ensure();
  int total = 0;
  fb::Statement s(db, tr);
  if (progress) {
    s.prepare(QStringLiteral("select count(*) from RGS_PERSON"));
    s.execute();
    if (s.fetch()) total = s.value(0).toInt();
    s.closeCursor();
  }
  std::vector<NameDifference> out;
  TPersonInfo info;
  s.prepare(QStringLiteral("select EGN, NAME from RGS_PERSON"));
  s.execute();
  std::optional<ProgressRun> run;
  if (progress) run.emplace(*progress, QStringLiteral("Сравняване на имената с ЛБД"), 320);
  int done = 0;
  while (s.fetch()) {
    const QString egn = s.value(0).toString();
    if (info.Lookup(egn)) {
      const QString registerName = RegisterName(info.Values);
      const QString stored = s.value(1).toString();
      if (StoredNameDiffers(stored, registerName)) out.push_back({egn, stored, registerName});
    }
    if (progress) stepProgress(*progress, ++done, total);
  }
  return out;
}

bool ReplaceStoredName(TDataModule1 &dm, const QString &egn) {
  Table &person = dm.Person;
  bool replaced = false;
  try {
    RunAsOneUnit(dm.Transaction, kNameNotReplaced, [&](UnitCard &at) {
      person.close();
      if (!person.locate(QStringLiteral("EGN"), egn)) return;
      TPersonInfo info;
      if (!info.Lookup(egn)) return;
      {
        // The member's card, to be named should the member be held elsewhere.
        fb::Statement card(dm.Database, dm.Transaction);
        card.prepare(QStringLiteral("select REG_NUM from RGS_CARD where CARD_ID = ?"));
        card.execute({person.fieldByName(QStringLiteral("CARD_ID")).value()});
        if (card.fetch()) at.at(card.value(0));
        card.closeCursor();
      }
      person.edit();
      person.setField(QStringLiteral("NAME"), RegisterName(info.Values));
      person.post();
      replaced = true;
    });
  } catch (...) {
    person.close();
    throw;
  }
  person.close();
  return replaced;
}

}  // namespace zv
