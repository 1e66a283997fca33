#include "CardRules.h"

#include <QLocale>
#include <cmath>

#include "DataModule.h"
#include "Fb.h"
#include "SqlText.h"
#include "egn.h"

namespace zv {

const std::array<QString, 5> &MemberTypeTexts() {
  static const std::array<QString, 5> texts{kHolder, kHusband, kWife, kChild, kOther};
  return texts;
}

QString TypeTextOf(int code) {
  if (code < 0 || code > 4) return QString();
  return MemberTypeTexts()[static_cast<size_t>(code)];
}

int TypeCodeOf(const QString &text) {
  const auto &texts = MemberTypeTexts();
  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text) return static_cast<int>(i);
  return 0;
}

int FindRowByColumn(const MemberRows &rows, const QString &text, int cell) {
  int found = 0;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i][static_cast<size_t>(cell)] == text) found = static_cast<int>(i) + 1;
  return found;
}

int MemberCount(const MemberRows &rows, bool holderPending) {
  return holderPending ? 0 : static_cast<int>(rows.size());
}

int CountMinorChildren(const MemberRows &rows) {
  int n = 0;
  for (const MemberRow &r : rows)
    if (r[cellType] == kChild && IsUnder18(r[cellEgn])) ++n;
  return n;
}

bool IsTypeAllowed(const MemberRows &rows, const QString &text, bool changing, int selected) {
  if (changing && selected == 1) return text == kHolder;
  const auto isSpouse = [](const QString &t) { return t == kHusband || t == kWife; };
  bool holderTaken = false;
  bool spouseElsewhere = false;
  bool anySpouse = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    const QString &t = rows[i][cellType];
    if (t == kHolder) holderTaken = true;
    if (isSpouse(t)) {
      anySpouse = true;
      if (static_cast<int>(i) + 1 != selected) spouseElsewhere = true;
    }
  }
  if (text == kHolder && holderTaken) return false;
  if (isSpouse(text) && anySpouse && (!changing || spouseElsewhere)) return false;
  return true;
}

bool EgnIsStored(const QString &egn) {
  Query &q = DataModule1->TempQuery;
  q.close();
  // The number goes in as a text literal: whatever was typed stays a value.
  q.SQL = QStringList{QStringLiteral("select egn from rgs_person where egn = ") + sqlQuote(egn)};
  q.open();
  const bool found = !q.isEmpty();
  q.close();
  return found;
}

bool IsDuplicateEgn(const MemberRows &rows, const QString &egn, int own, const EgnLookup &stored) {
  const int r = FindRowByColumn(rows, egn, cellEgn);
  if (r != 0 && r != own) return true;
  if (r != own) return stored(egn);
  return false;
}

int ValidateMember(const MemberInput &in, const MemberRows &rows, bool changing, int selected,
                   const EgnLookup &stored) {
  const bool typeOk = IsTypeAllowed(rows, in.type, changing, selected);
  const bool duplicate = IsDuplicateEgn(rows, in.egn, changing ? selected : -1, stored);
  const TDate born = EgnBirthDate(in.egn, 0);
  if (in.name.isEmpty()) return 1;
  if (in.type.isEmpty()) return 2;
  if (in.egn.isEmpty()) return 3;
  if (born == 0) return 4;
  if (duplicate) return 5;
  if (!typeOk) return 6;
  return 0;
}

QString MemberMessage(int number) {
  switch (number) {
    case 1: return QStringLiteral("Моля въведете името на човека");
    case 2: return QStringLiteral("Моля въведете типа на човека");
    case 3: return QStringLiteral("Моля въведете ЕГН-то на човека");
    case 4: return QStringLiteral("Моля въведете валидно ЕГН");
    case 5: return QStringLiteral("Дублиращо ЕГН");
    case 6: return QStringLiteral("Моля въведете валиден тип");
    default: return QString();
  }
}

std::optional<int> ReadWholeNumber(const QString &text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return n;
}

int WholeNumberOrThrow(const QString &text) {
  const std::optional<int> n = ReadWholeNumber(text);
  if (!n) throw fb::Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return *n;
}

namespace {
QLocale workstationNumbers() {
  QLocale loc;
  loc.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  return loc;
}
}  // namespace

std::optional<double> ReadCurrency(const QString &text) {
  bool ok = false;
  const double v = workstationNumbers().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

QString CurrencyText(double amount) { return workstationNumbers().toString(amount, 'g', 15); }

int AddressYears(TDate addressDate, TDate now) {
  return DaysToYears(static_cast<int>(std::trunc(std::fabs(now - addressDate))));
}

CardCheck ValidateCard(const CardInput &in, TDate now) {
  CardCheck c{kCardOk, QString()};
  if (!ReadCurrency(in.income)) c.result = QStringLiteral("Моля, въведете валиден доход");
  if (in.subGroupText.isEmpty()) c.result = QStringLiteral("Моля въведете подгрупата на семейството");
  if (in.groupText.isEmpty()) c.result = QStringLiteral("Моля въведете групата на семейството");
  if (in.address.isEmpty()) c.result = QStringLiteral("Моля въведете адреса на семейството");
  if (in.memberCount == 0) c.result = QStringLiteral("Моля въведете семейство");
  if (AddressYears(in.addressDate, now) < in.minAddressYears && in.statusPosition == 1)
    c.warning = QStringLiteral("Не можете да впишете картон в картотеката при регистрация на адрес по-малко от ") +
                QString::number(in.minAddressYears) + QStringLiteral(" години");
  return c;
}

bool RegNumIsFree(const QString &text) {
  const std::optional<int> n = ReadWholeNumber(text);
  if (!n) return false;
  Query &q = DataModule1->TempQuery;
  q.close();
  q.SQL = QStringList{QStringLiteral("select reg_num from rgs_card where reg_num = ") + QString::number(*n)};
  q.open();
  const bool free = q.isEmpty();
  q.close();
  return free;
}

namespace {
// The one test of what the database can take: the encoder every text goes
// through on its way to the server.
bool isWritable(const QString &text) {
  try {
    (void)fb::toWin1251(text);
    return true;
  } catch (const fb::EncodingError &) {
    return false;
  }
}
}  // namespace

std::optional<UnwritableChar> FirstUnwritableChar(const QString &text) {
  if (isWritable(text)) return std::nullopt;
  int position = 0;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
    ++position;
    const QString ch = text.mid(i, len);
    if (!isWritable(ch)) return UnwritableChar{ch, i, position};
    i += len;
  }
  return std::nullopt;
}

std::optional<QString> UnwritableFieldMessage(const QString &field, const QString &text) {
  const std::optional<UnwritableChar> bad = FirstUnwritableChar(text);
  if (!bad) return std::nullopt;
  return QStringLiteral("Полето \"%1\" съдържа знак, който не може да бъде записан: \"%2\" (на позиция %3)")
      .arg(field, bad->ch)
      .arg(bad->position);
}

}  // namespace zv
