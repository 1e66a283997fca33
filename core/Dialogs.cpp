#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace Dialogs {
namespace {
bool g_scripted = false;
QList<QVariant> g_answers;
QList<Shown> g_shown;

std::function<void(const Shown &)> g_onUnscripted;

void record(const QString &kind, const QString &caption, const QString &text, Icon icon) {
  g_shown.append(Shown{kind, caption, text, icon});
}

// The answer to the question just recorded.
QVariant nextAnswer() {
  if (g_answers.isEmpty()) {
    if (g_onUnscripted) g_onUnscripted(g_shown.last());
    return QVariant();
  }
  return g_answers.takeFirst();
}

QWidget *parentWidget() { return QApplication::activeWindow(); }

QMessageBox::Icon toQt(Icon icon) {
  switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

void message(const QString &text, const QString &caption, Icon icon) {
  record(QStringLiteral("message"), caption, text, icon);
  if (g_scripted) return;
  QMessageBox box(toQt(icon), caption.isEmpty() ? QApplication::applicationName() : caption, text,
                  QMessageBox::Ok, parentWidget());
  box.exec();
}

void warning(const QString &text) {
  // The toolkit's warning title; its Bulgarian translation has none of its own.
  const QString caption = QStringLiteral("Предупреждение");
  record(QStringLiteral("warning"), caption, text, Icon::Warning);
  if (g_scripted) return;
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parentWidget());
  box.exec();
}

bool ask(const QString &text, const QString &caption, Icon icon) {
  record(QStringLiteral("ask"), caption, text, icon);
  if (g_scripted) {
    const QVariant a = nextAnswer();
    return a.isValid() && a.toBool();
  }
  QMessageBox box(toQt(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parentWidget());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

int askYesNoCancel(const QString &text, const QString &caption) {
  record(QStringLiteral("askYesNoCancel"), caption, text, Icon::Question);
  if (g_scripted) {
    const QVariant a = nextAnswer();
    return a.isValid() ? a.toInt() : -1;
  }
  QMessageBox box(QMessageBox::Question, caption, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parentWidget());
  box.setDefaultButton(QMessageBox::Yes);
  const int r = box.exec();
  if (r == QMessageBox::Yes) return 1;
  if (r == QMessageBox::No) return 0;
  return -1;
}

std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) {
  record(QStringLiteral("input"), caption, prompt, Icon::None);
  if (g_scripted) {
    const QVariant a = nextAnswer();
    if (!a.isValid()) return std::nullopt;
    return a.toString();
  }
  bool ok = false;
  const QString s = QInputDialog::getText(parentWidget(), caption, prompt, QLineEdit::Normal, initial, &ok);
  if (!ok) return std::nullopt;
  return s;
}

QString saveFile(const QString &caption, const QString &dir, const QString &filter, const QString &defaultSuffix) {
  record(QStringLiteral("saveFile"), caption, dir, Icon::None);
  if (g_scripted) return nextAnswer().toString();
  if (defaultSuffix.isEmpty()) return QFileDialog::getSaveFileName(parentWidget(), caption, dir, filter);
  QFileDialog dlg(parentWidget(), caption, dir, filter);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix(defaultSuffix);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().first();
}

QString openFile(const QString &caption, const QString &dir, const QString &filter) {
  record(QStringLiteral("openFile"), caption, dir, Icon::None);
  if (g_scripted) return nextAnswer().toString();
  return QFileDialog::getOpenFileName(parentWidget(), caption, dir, filter);
}

void setScripted(bool on) {
  g_scripted = on;
  g_answers.clear();
}
bool isScripted() { return g_scripted; }
void queueAnswer(const QVariant &answer) { g_answers.append(answer); }
int pendingAnswers() { return static_cast<int>(g_answers.size()); }
void setUnscriptedHandler(std::function<void(const Shown &)> handler) { g_onUnscripted = std::move(handler); }
QList<Shown> shown() { return g_shown; }
void clearShown() { g_shown.clear(); }
QString lastText() { return g_shown.isEmpty() ? QString() : g_shown.last().text; }

}  // namespace Dialogs

namespace zv {
void ShowWarning(const QString &message) { Dialogs::warning(message); }
}  // namespace zv
