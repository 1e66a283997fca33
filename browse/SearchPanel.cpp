#include "SearchPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The date the pickers show until the clerk changes them.
const QDate kPickerStart(2005, 10, 26);

QLabel *label(const QString &text, QWidget *parent, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto *l = new QLabel(text, parent);
  l->setAlignment(align);
  return l;
}
}  // namespace

TSearchPanel::TSearchPanel(QWidget *parent) : QGroupBox(QStringLiteral("Търсене"), parent) {
  setObjectName(QStringLiteral("GroupBox3"));
  const auto box = [this](const char *name) {
    auto *c = new QCheckBox(this);
    c->setObjectName(QString::fromLatin1(name));
    return c;
  };
  const auto edit = [this](const char *name) {
    auto *e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    return e;
  };
  const auto date = [this](const char *name) {
    auto *d = new QDateEdit(kPickerStart, this);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    return d;
  };
  const auto list = [this](const char *name) {
    auto *l = new QComboBox(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumContentsLength(8);
    l->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return l;
  };
  CheckBox1 = box("CheckBox1");
  CheckBox2 = box("CheckBox2");
  CheckBox3 = box("CheckBox3");
  CheckBox4 = box("CheckBox4");
  CheckBox5 = box("CheckBox5");
  CheckBox6 = box("CheckBox6");
  CheckBox8 = box("CheckBox8");
  CheckBox9 = box("CheckBox9");
  sRegNum = edit("sRegNum");
  sName = edit("sName");
  sEGN = edit("sEGN");
  sMemFrom = edit("sMemFrom");
  sMemTo = edit("sMemTo");
  sMemFrom->setMaximumWidth(60);
  // No longer than the columns searched: REG_NUM an INTEGER, NAME 100, EGN 10.
  sRegNum->setMaxLength(9);
  sName->setMaxLength(100);
  sEGN->setMaxLength(10);
  sMemFrom->setMaxLength(3);
  sMemTo->setMaxLength(3);
  sMemTo->setMaximumWidth(60);
  sDateFrom = date("sDateFrom");
  sDateTo = date("sDateTo");
  dFrom = date("dFrom");
  dTo = date("dTo");
  sGroup = list("sGroup");
  sStatus = list("sStatus");
  sbSearch = new QPushButton(QStringLiteral("Търсене"), this);
  sbSearch->setObjectName(QStringLiteral("sbSearch"));
  sbSearch->setToolTip(QStringLiteral("Търси по избраните критерии"));
  sbSearch->setAutoDefault(false);

  // Two columns of criteria; each tick box stands right of its input(s).
  auto *g = new QGridLayout(this);
  g->setContentsMargins(8, 4, 8, 6);
  g->setHorizontalSpacing(5);
  g->setVerticalSpacing(3);
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  g->addWidget(label(QStringLiteral("По рег.номер:"), this), 0, 0);
  g->addWidget(sRegNum, 0, 1);
  g->addWidget(CheckBox1, 0, 2);
  g->addWidget(label(QStringLiteral("По име:"), this), 1, 0);
  g->addWidget(sName, 1, 1);
  g->addWidget(CheckBox2, 1, 2);
  g->addWidget(label(QStringLiteral("По ЕГН:"), this), 2, 0);
  g->addWidget(sEGN, 2, 1);
  g->addWidget(CheckBox3, 2, 2);
  g->addWidget(label(QStringLiteral("По група:"), this), 3, 0);
  g->addWidget(sGroup, 3, 1);
  g->addWidget(CheckBox6, 3, 2);

  g->addWidget(label(QStringLiteral("По брой деца до 18 год.:   от"), this, right), 0, 4);
  auto *kids = new QHBoxLayout;
  kids->setSpacing(6);
  kids->addWidget(sMemFrom);
  kids->addWidget(label(QStringLiteral("до"), this));
  kids->addWidget(sMemTo);
  kids->addWidget(CheckBox4);
  kids->addStretch(1);
  kids->addWidget(sbSearch);
  g->addLayout(kids, 0, 5, 1, 4);
  g->addWidget(label(QStringLiteral("По дата на регистриране: от"), this, right), 1, 4);
  g->addWidget(sDateFrom, 1, 5);
  g->addWidget(label(QStringLiteral("до"), this), 1, 6);
  g->addWidget(sDateTo, 1, 7);
  g->addWidget(CheckBox5, 1, 8);
  g->addWidget(label(QStringLiteral("Без подадена декларация от"), this, right), 2, 4);
  g->addWidget(dFrom, 2, 5);
  g->addWidget(label(QStringLiteral("до"), this), 2, 6);
  g->addWidget(dTo, 2, 7);
  g->addWidget(CheckBox9, 2, 8);
  g->addWidget(label(QStringLiteral("По състояние:"), this, right), 3, 4);
  g->addWidget(sStatus, 3, 5, 1, 3);
  g->addWidget(CheckBox8, 3, 8);
  g->setColumnStretch(1, 2);
  g->setColumnStretch(3, 1);
  g->setColumnMinimumWidth(3, 6);

  criteria_ = {{CheckBox1, {sRegNum}},
               {CheckBox2, {sName}},
               {CheckBox3, {sEGN}},
               {CheckBox4, {sMemFrom, sMemTo}},
               {CheckBox5, {sDateFrom, sDateTo}},
               {CheckBox6, {sGroup}},
               {CheckBox8, {sStatus}},
               {CheckBox9, {dFrom, dTo}}};
  for (const Criterion &c : criteria_) {
    QCheckBox *b = c.box;
    connect(b, &QCheckBox::toggled, this, [this, b](bool on) { boxToggled(b, on); });
    for (QWidget *w : c.inputs) {
      if (auto *e = qobject_cast<QLineEdit *>(w)) {
        connect(e, &QLineEdit::textChanged, this, [this, b] { inputChanged(b); });
        connect(e, &QLineEdit::returnPressed, this, &TSearchPanel::searchRequested);
      } else if (auto *d = qobject_cast<QDateEdit *>(w)) {
        connect(d, &QDateEdit::dateChanged, this, [this, b] { inputChanged(b); });
      } else if (auto *l = qobject_cast<QComboBox *>(w)) {
        // A pick by the clerk, not the filling of the list.
        connect(l, &QComboBox::activated, this, [this, b] { inputChanged(b); });
        l->installEventFilter(this);
      }
    }
    boxToggled(b, false);
  }
  connect(sbSearch, &QPushButton::clicked, this, &TSearchPanel::searchRequested);
}

bool TSearchPanel::isHighlighted(const QWidget *input) {
  const QPalette &p = input->palette();
  return p.color(QPalette::Base) == p.color(QPalette::ToolTipBase);
}

void TSearchPanel::boxToggled(QCheckBox *box, bool on) {
  if (on) {
    // The registration number and the personal number go alone; the other
    // six combine freely with each other.
    const bool alone = box == CheckBox1 || box == CheckBox3;
    for (const Criterion &c : criteria_)
      if (c.box != box && (alone || c.box == CheckBox1 || c.box == CheckBox3)) c.box->setChecked(false);
  }
  for (const Criterion &c : criteria_) {
    if (c.box != box) continue;
    for (QWidget *w : c.inputs) {
      QPalette p = w->parentWidget()->palette();
      if (on) {
        const QColor tip = p.color(QPalette::ToolTipBase);
        p.setColor(QPalette::Base, tip);
        // A list box paints its face from the button colour, lightened; a
        // shade darker reads as the same tip background.
        p.setColor(QPalette::Button, tip.darker(108));
        p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
        p.setColor(QPalette::ButtonText, p.color(QPalette::ToolTipText));
      }
      w->setPalette(p);
    }
  }
}

void TSearchPanel::inputChanged(QCheckBox *box) {
  if (box->isChecked())
    boxToggled(box, true);  // a criterion already ticked still clears the ones it excludes
  else
    box->setChecked(true);
}

zv::SearchCriteria TSearchPanel::criteria() const {
  zv::SearchCriteria c;
  c.regNumOn = CheckBox1->isChecked();
  c.regNum = sRegNum->text();
  c.nameOn = CheckBox2->isChecked();
  c.name = sName->text();
  c.egnOn = CheckBox3->isChecked();
  c.egn = sEGN->text();
  c.kidsOn = CheckBox4->isChecked();
  c.kidsFrom = sMemFrom->text();
  c.kidsTo = sMemTo->text();
  c.regDateOn = CheckBox5->isChecked();
  c.regDateFrom = sDateFrom->date();
  c.regDateTo = sDateTo->date();
  c.groupOn = CheckBox6->isChecked();
  c.group = sGroup->currentIndex() >= 0 ? sGroup->currentText() : QString();
  c.statusOn = CheckBox8->isChecked();
  c.status = sStatus->currentIndex() >= 0 ? sStatus->currentText() : QString();
  c.noDeclarationOn = CheckBox9->isChecked();
  c.declarationFrom = dFrom->date();
  c.declarationTo = dTo->date();
  return c;
}

bool TSearchPanel::eventFilter(QObject *obj, QEvent *e) {
  if ((obj == sGroup || obj == sStatus) && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      emit searchRequested();
      return true;
    }
  }
  return QGroupBox::eventFilter(obj, e);
}
