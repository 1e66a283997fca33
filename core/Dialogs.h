#pragma once
// Every message box, question, input box and file dialog of the program goes
// through here. In tests the facade records what was shown and answers from a
// script, so no modal box ever blocks a test.
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class QWidget;

namespace Dialogs {

enum class Icon { None, Information, Warning, Error, Question };

// A modal box with one OK button.
void message(const QString &text, const QString &caption = QString(), Icon icon = Icon::None);
// The standard warning box: warning icon, the standard title "Предупреждение".
void warning(const QString &text);
// Yes/No question; No is the default button. True for Yes.
bool ask(const QString &text, const QString &caption, Icon icon = Icon::Question);
// Yes/No/Cancel; returns 1 for Yes, 0 for No, -1 for Cancel.
int askYesNoCancel(const QString &text, const QString &caption);
// A line of text; nullopt when cancelled.
std::optional<QString> input(const QString &caption, const QString &prompt,
                             const QString &initial = QString());
// File names; empty when cancelled. The save dialog asks before an existing
// file is overwritten; a name typed without an extension gets defaultSuffix.
QString saveFile(const QString &caption, const QString &dir, const QString &filter,
                 const QString &defaultSuffix = QString());
QString openFile(const QString &caption, const QString &dir, const QString &filter);

// ---- test side ----
struct Shown {
  QString kind;  // "message", "warning", "ask", "askYesNoCancel", "input", "saveFile", "openFile"
  QString caption;
  QString text;
  Icon icon = Icon::None;
};

// When scripted, nothing is shown: each call is recorded. A message or warning
// needs no answer; a question, input box or file dialog takes the next queued
// answer (a bool for ask, an int for askYesNoCancel, a QString or an invalid
// QVariant for input and file dialogs). A question asked with no answer queued
// is reported to the unscripted handler (tests fail on it) and then answered
// No / cancelled.
void setScripted(bool on);
bool isScripted();
void queueAnswer(const QVariant &answer);
// Answers queued and not yet taken.
int pendingAnswers();
void setUnscriptedHandler(std::function<void(const Shown &)> handler);
QList<Shown> shown();
void clearShown();
// The text of the last box shown, or empty.
QString lastText();

}  // namespace Dialogs

namespace zv {
// The standard modal warning box with one OK button.
void ShowWarning(const QString &message);
}  // namespace zv
