#include "EGNRepair.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "DataModule.h"
#include "Dialogs.h"
#include "egn.h"

TEGNRepair *EGNRepair = nullptr;

namespace {
const QString kCaption = QStringLiteral("Редактиране на ЕГН");
const QString kInvalidCaption = QStringLiteral("Невалидно ЕГН");

}  // namespace

TEGNRepair::TEGNRepair(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  if (!EGNRepair) EGNRepair = this;
  setObjectName(QStringLiteral("EGNRepair"));
  setWindowTitle(kCaption);
  // The whole window on the highlight colour, so it stands out over the list.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
  pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
  setPalette(pal);
  setAutoFillBackground(true);

  Label1 = new QLabel(QStringLiteral("Име:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  DBText1 = new QLabel(this);
  DBText1->setObjectName(QStringLiteral("DBText1"));
  DBText1->setMinimumWidth(300);
  QFont bold = DBText1->font();
  bold.setBold(true);
  DBText1->setFont(bold);
  Label2 = new QLabel(QStringLiteral("ЕГН:"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  EgnEdit = new QLineEdit(this);
  EgnEdit->setObjectName(QStringLiteral("EgnEdit"));
  EgnEdit->setMaxLength(20);
  EgnEdit->installEventFilter(this);
  Label2->setBuddy(EgnEdit);

  const auto tool = [this](const char *name, const QString &hint) {
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);  // the keyboard stays in the number field
    b->setAutoRaise(false);
    return b;
  };
  Nav = new QWidget(this);
  Nav->setObjectName(QStringLiteral("Nav"));
  auto *nav = new QHBoxLayout(Nav);
  nav->setContentsMargins(0, 0, 0, 0);
  nav->setSpacing(1);
  nbFirst = tool("nbFirst", QStringLiteral("Първи"));
  nbFirst->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
  nbPrior = tool("nbPrior", QStringLiteral("Предишен"));
  nbPrior->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
  nbNext = tool("nbNext", QStringLiteral("Следващ"));
  nbNext->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
  nbLast = tool("nbLast", QStringLiteral("Последен"));
  nbLast->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
  for (QToolButton *b : {nbFirst, nbPrior, nbNext, nbLast}) nav->addWidget(b);
  connect(nbFirst, &QToolButton::clicked, this, [this] { NavClick(nbtFirst); });
  connect(nbPrior, &QToolButton::clicked, this, [this] { NavClick(nbtPrior); });
  connect(nbNext, &QToolButton::clicked, this, [this] { NavClick(nbtNext); });
  connect(nbLast, &QToolButton::clicked, this, [this] { NavClick(nbtLast); });

  SpeedButton1 = tool("SpeedButton1", QStringLiteral("Записва въведеното ЕГН"));
  SpeedButton1->setText(QStringLiteral("Редактиране"));
  SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextOnly);
  connect(SpeedButton1, &QToolButton::clicked, this, &TEGNRepair::OKClick);
  SpeedButton2 = tool("SpeedButton2", QStringLiteral("Затваря и отваря картона"));
  SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
  connect(SpeedButton2, &QToolButton::clicked, this, &TEGNRepair::SpeedButton2Click);

  auto *g = new QGridLayout(this);
  g->setContentsMargins(10, 8, 10, 8);
  g->setHorizontalSpacing(8);
  g->addWidget(Label1, 0, 0);
  g->addWidget(DBText1, 0, 1, 1, 3);
  g->addWidget(Label2, 1, 0);
  g->addWidget(EgnEdit, 1, 1, 1, 3);
  g->addWidget(Nav, 2, 1);
  g->addWidget(SpeedButton1, 2, 2, Qt::AlignRight);
  g->addWidget(SpeedButton2, 2, 3, Qt::AlignRight);
  g->setColumnStretch(1, 1);
  g->setSizeConstraint(QLayout::SetFixedSize);
}

TEGNRepair::~TEGNRepair() {
  if (EGNRepair == this) EGNRepair = nullptr;
}

int TEGNRepair::Execute() { return exec(); }

void TEGNRepair::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  FormShow();
}

void TEGNRepair::FormShow() {
  // The member is located by its key when needed; the whole table is never
  // read into memory.
  DataModule1->Person.close();
  loadCurrent();
}

void TEGNRepair::loadCurrent() {
  zv::Query &mq = DataModule1->MainQuery;
  located_ = false;
  DBText1->clear();
  EgnEdit->clear();
  if (mq.active() && !mq.isEmpty()) {
    if (mq.recNo() >= mq.recordCount()) mq.last();
    const int row = mq.recNo();
    DBText1->setText(zv::TrimRight(mq.value(row, QStringLiteral("NAME")).toString()));
    zv::Table &person = DataModule1->Person;
    located_ = person.locate(QStringLiteral("PERSON_ID"), mq.value(row, QStringLiteral("PERSON_ID")));
    if (located_) EgnEdit->setText(zv::TrimRight(person.fieldByName(QStringLiteral("EGN")).asString()));
  }
  focusEgn();
}

void TEGNRepair::focusEgn() {
  EgnEdit->setFocus();
  EgnEdit->selectAll();
}

void TEGNRepair::NavClick(int button) {
  zv::Query &mq = DataModule1->MainQuery;
  if (!mq.active() || mq.isEmpty()) return;
  int row = mq.recNo();
  switch (button) {
    case nbtFirst: row = 0; break;
    case nbtPrior: row = std::max(row - 1, 0); break;
    case nbtNext: row = std::min(row + 1, mq.recordCount() - 1); break;
    case nbtLast: row = mq.recordCount() - 1; break;
    default: return;
  }
  mq.setRecNo(row);
  emit rowMoved(row);
  loadCurrent();
}

void TEGNRepair::OKClick() {
  const QString text = EgnEdit->text();
  if (!zv::IsTenDigitEgn(text)) {
    Dialogs::message(QStringLiteral("ЕГН-то не е 10 цифри!"), kInvalidCaption, Dialogs::Icon::Warning);
  } else if (zv::EgnBirthDate(text, 0) != 0 ||
             Dialogs::ask(QStringLiteral("ЕГН-то не отговаря на валидна дата.Желаете ли го запишете?"),
                          kInvalidCaption)) {
    zv::Table &person = DataModule1->Person;
    try {
      if (!located_) throw fb::Error(QStringLiteral("Лицето вече не е в картотеката."));
      DataModule1->Transaction.ensure();
      person.edit();
      person.setField(QStringLiteral("EGN"), text);
      person.post();
      DataModule1->Transaction.commitRetaining();
      Dialogs::message(QStringLiteral("ЕГН-то е сменено."), kCaption, Dialogs::Icon::Information);
    } catch (const fb::Error &e) {
      person.cancel();
      Dialogs::message(e.text(), kCaption, Dialogs::Icon::Error);
    }
  }
  focusEgn();
}

void TEGNRepair::SpeedButton2Click() { accept(); }

void TEGNRepair::FormClose() { DataModule1->Person.close(); }

void TEGNRepair::done(int r) {
  FormClose();
  QDialog::done(r);
}

void TEGNRepair::keyPressEvent(QKeyEvent *e) {
  if (e->text() == QLatin1String("<")) {
    NavClick(nbtNext);
    return;
  }
  QDialog::keyPressEvent(e);  // Esc closes without OK
}

bool TEGNRepair::eventFilter(QObject *obj, QEvent *e) {
  if (obj == EgnEdit && e->type() == QEvent::KeyPress) {
    auto *k = static_cast<QKeyEvent *>(e);
    switch (k->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: OKClick(); return true;
      case Qt::Key_Escape: reject(); return true;
      case Qt::Key_Down: NavClick(nbtNext); return true;
      case Qt::Key_Up: NavClick(nbtPrior); return true;
      default: break;
    }
    if (k->text() == QLatin1String("<")) {
      NavClick(nbtNext);
      return true;
    }
  }
  return QDialog::eventFilter(obj, e);
}
