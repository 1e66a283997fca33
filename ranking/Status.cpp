#include "Status.h"

#include "Points.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TStatusForm *StatusForm = nullptr;

TStatusForm::TStatusForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  if (!StatusForm) StatusForm = this;
  setObjectName(QStringLiteral("StatusForm"));
  auto *frame = new QVBoxLayout(this);
  frame->setContentsMargins(8, 6, 8, 6);
  L = new QLabel(this);
  L->setObjectName(QStringLiteral("L"));
  L->setAlignment(Qt::AlignCenter);
  L->setWordWrap(true);
  lbWait = new QLabel(QStringLiteral("Моля изчакайте .."), this);
  lbWait->setObjectName(QStringLiteral("lbWait"));
  lbWait->setAlignment(Qt::AlignCenter);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  frame->addWidget(L);
  frame->addWidget(lbWait);
  frame->addWidget(ProgressBar1);
  // A thin border drawn by the window itself, since it has no frame.
  setStyleSheet(QStringLiteral("TStatusForm { border: 1px solid palette(dark); }"));
  setAttribute(Qt::WA_StyledBackground);
}

TStatusForm::~TStatusForm() {
  if (StatusForm == this) StatusForm = nullptr;
}

void TStatusForm::begin(const QString &task, int width) {
  L->setText(task);
  setFixedWidth(width);
  ProgressBar1->setValue(0);
  adjustSize();
  const QWidget *over = QApplication::activeWindow();
  const QRect area = over ? over->frameGeometry() : (screen() ? screen()->availableGeometry() : QRect());
  if (area.isValid()) move(area.center() - rect().center());
  show();
  raise();
  repaint();
}

void TStatusForm::setPosition(int percent) {
  ProgressBar1->setValue(percent);
  // The run holds the thread: paint now rather than when events are handled.
  repaint();
}

int TStatusForm::position() const { return ProgressBar1->value(); }

void TStatusForm::end() { hide(); }

namespace zv {
int RefreshAllPoints() {
  if (StatusForm) return RefreshAllPoints(*StatusForm);
  TStatusForm form;
  return RefreshAllPoints(form);
}
}  // namespace zv
