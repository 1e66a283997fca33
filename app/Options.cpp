#include "Options.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "CardRules.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "IniFile.h"
#include "Rights.h"

namespace {

// A whole number typed into a counter field; throws for anything else.
int wholeNumber(const QString &text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok, 10);
  if (!ok) throw std::invalid_argument("not a whole number");
  return n;
}

// Sets one column of one NOM row through the table object and posts it.
void setNomField(zv::Table &nom, int n, const QString &column, const QVariant &value) {
  if (!nom.locate(QStringLiteral("N"), n)) throw fb::Error(QStringLiteral("NOM has no row %1").arg(n));
  nom.edit();
  nom.setField(column, value);
  nom.post();
}

QLabel *label(const QString &text, QWidget *parent) { return new QLabel(text, parent); }

}  // namespace

TOptionsForm::TOptionsForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(QStringLiteral("Настройки"));

  const auto edit = [this](const char *name) {
    auto *e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    return e;
  };
  PrHeader = edit("PrHeader");
  PrFooter = edit("PrFooter");
  lastn = edit("lastn");
  currn = edit("currn");
  DateNum = edit("DateNum");
  edSob = edit("edSob");
  edSob->setMaxLength(50);  // NOM.S_INFO
  currn->setMaxLength(9);    // NOM.COUNTER, an INTEGER
  DateNum->setMaxLength(9);
  lastn->setEnabled(false);
  auto *dateField = edit("CurrentDate");
  dateField->setText(QStringLiteral("(Текуща дата)"));
  dateField->setEnabled(false);

  auto *ranking = new QGroupBox(QStringLiteral("Класиране"), this);
  ranking->setObjectName(QStringLiteral("gbRanking"));
  auto *rl = new QGridLayout(ranking);
  rl->addWidget(label(QStringLiteral("Текст за заглавие на класирането:"), ranking), 0, 0, 1, 2);
  rl->addWidget(PrHeader, 1, 0);
  rl->addWidget(dateField, 1, 1);
  rl->addWidget(label(QStringLiteral("Текст в долната част на листа на класирането: "), ranking), 2, 0, 1, 2);
  rl->addWidget(PrFooter, 3, 0, 1, 2);
  rl->setColumnStretch(0, 1);

  auto *card = new QGroupBox(QStringLiteral("Картон"), this);
  card->setObjectName(QStringLiteral("gbCard"));
  auto *cl = new QGridLayout(card);
  cl->addWidget(label(QStringLiteral("Стартов номер на картон :"), card), 0, 0, 1, 2);
  cl->addWidget(label(QStringLiteral("Последно въведен :"), card), 1, 0);
  cl->addWidget(lastn, 1, 1);
  cl->addWidget(label(QStringLiteral("Текущ :"), card), 2, 0);
  cl->addWidget(currn, 2, 1);
  cl->addWidget(
      label(QStringLiteral("Не можете да впишете картон в картотеката при регистрация на адрес по-малко от:"), card),
      3, 0, 1, 2);
  cl->addWidget(DateNum, 4, 1);

  auto *server = new QGroupBox(QStringLiteral("Сървър"), this);
  server->setObjectName(QStringLiteral("gbServer"));
  auto *sl = new QGridLayout(server);
  sl->addWidget(label(QStringLiteral("Информация за сървъра:"), server), 0, 0, 1, 2);
  sl->addWidget(label(QStringLiteral("Собственик :"), server), 1, 0);
  sl->addWidget(edSob, 1, 1);
  sl->setColumnStretch(1, 1);

  bOK = new QPushButton(QStringLiteral("ОК"), this);
  bOK->setObjectName(QStringLiteral("bOK"));
  bOK->setDefault(true);
  bCancel = new QPushButton(QStringLiteral("Отказ"), this);
  bCancel->setObjectName(QStringLiteral("bCancel"));
  bCancel->setAutoDefault(false);
  connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bOK);
  buttons->addWidget(bCancel);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ranking);
  layout->addWidget(card);
  layout->addWidget(server);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  PrHeader->setMinimumWidth(360);
}

void TOptionsForm::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  PrHeader->setFocus();
}

bool TOptionsForm::Execute() {
  LoadValues();
  // A refused text brings the window back as the clerk left it.
  do {
    if (exec() != QDialog::Accepted) return false;
  } while (RefuseUnwritableTexts());
  SaveValues();
  return true;
}

void TOptionsForm::LoadValues() {
  for (QLineEdit *e : {lastn, currn, DateNum, edSob}) e->clear();
  oldCurrent_ = 0;
  zv::Query &q = DataModule1->TempQuery;
  q.close();
  // The rows are told apart by N, so a missing counter row leaves its field
  // empty instead of shifting the others.
  q.SQL = QStringList{QStringLiteral("select n, counter, s_info from nom where n in (0, 1, 3) order by n")};
  q.open();
  for (q.first(); !q.eof(); q.next()) {
    const zv::Field counter = q.fieldByName(QStringLiteral("COUNTER"));
    switch (q.fieldByName(QStringLiteral("N")).asInteger()) {
      case 0: {
        if (!counter.isNull()) lastn->setText(counter.asString());
        const zv::Field info = q.fieldByName(QStringLiteral("S_INFO"));
        if (!info.isNull()) edSob->setText(info.asString());
        break;
      }
      case 1:
        currn->setText(counter.asString());
        oldCurrent_ = counter.asInteger();
        break;
      case 3: DateNum->setText(counter.asString()); break;
      default: break;
    }
  }
  q.close();
  edSob->setEnabled(zv::CanEditInstallationSettings(accessLevel_));
  DateNum->setEnabled(zv::CanEditInstallationSettings(accessLevel_));

  const IniFile ini(SettingsFilePath());
  PrHeader->setText(ini.readString(kIniUserSection, kIniPageHeader, kOptionsHeaderDefault));
  PrFooter->setText(ini.readString(kIniUserSection, kIniPageFooter, kPageFooterDefault));
}

bool TOptionsForm::RefuseUnwritableTexts() {
  // A text that the settings file or the register cannot hold is refused
  // before anything is written, naming its field.
  const std::pair<QLineEdit *, QString> texts[] = {
      {PrHeader, QStringLiteral("Текст за заглавие на класирането")},
      {PrFooter, QStringLiteral("Текст в долната част на листа на класирането")},
      {edSob, QStringLiteral("Собственик")}};
  for (const auto &[box, field] : texts) {
    if (box == edSob && !zv::CanEditInstallationSettings(accessLevel_)) continue;
    if (const std::optional<QString> refusal = zv::UnwritableFieldMessage(field, box->text())) {
      Dialogs::message(*refusal, QApplication::applicationName(), Dialogs::Icon::Warning);
      box->setFocus();
      return true;
    }
  }
  return false;
}

bool TOptionsForm::SaveValues() {
  if (RefuseUnwritableTexts()) return false;
  // The texts first: an unwritable settings file is reported by name and
  // the counters are still written.
  const QString path = SettingsFilePath();
  IniFile ini(path);
  bool saved = ini.writeString(kIniUserSection, kIniPageHeader, PrHeader->text());
  saved = ini.writeString(kIniUserSection, kIniPageFooter, PrFooter->text()) && saved;
  if (!saved) Dialogs::message(SettingsFileError(path), QApplication::applicationName(), Dialogs::Icon::Warning);

  zv::Table &nom = DataModule1->Nom;
  try {
    const int current = wholeNumber(currn->text());
    if (current != oldCurrent_) {
      setNomField(nom, 1, QStringLiteral("COUNTER"), current);
      setNomField(nom, 0, QStringLiteral("COUNTER"), current);
      oldCurrent_ = current;
      nom.open();
    }
    if (zv::CanEditInstallationSettings(accessLevel_)) {
      setNomField(nom, 0, QStringLiteral("S_INFO"), edSob->text());
      setNomField(nom, 3, QStringLiteral("COUNTER"), wholeNumber(DateNum->text()));
      nom.open();
    }
  } catch (const std::exception &) {
    // fb::Error (a failing write, a text with no Windows-1251 form) and a
    // counter that is not a number end here alike.
    if (nom.editing()) nom.cancel();
    Dialogs::message(kBadInputMessage);
    return false;
  }
  return true;
}
