#pragma once
// The notes of a card in a larger window: shows the text of the card
// window's notes memo, adds stamped notes to it and prints it. Closing the
// window puts its text back into the memo it was opened from.
#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace zv {
// A notes memo's text with note stamped above it as a user's note; the text
// unchanged for an empty note. The memo breaks its lines with LF, the stamp
// with CR LF: the result breaks them with LF.
QString StampedMemoText(const QString &memoText, const QString &note);
}  // namespace zv

class TfrmuNotes : public QDialog {
  Q_OBJECT
 public:
  // cardMemo: the card window's memo this window shows and writes back to.
  explicit TfrmuNotes(QPlainTextEdit *cardMemo, QWidget *parent = nullptr);

  QGroupBox *GroupBox1;
  QPlainTextEdit *mNotes;
  QLineEdit *note_txt;
  QPushButton *Button1;  // "Изход"
  QPushButton *Button2;  // "Печат"
  QPushButton *add_note;

  // The memo's lines as they are printed.
  QStringList Lines() const;
  // Prints the lines on printer, one printed line each, as plain text. A
  // printer that cannot be opened or written to is reported through the
  // dialogs; false then.
  bool PrintTo(QPrinter &printer);

 public slots:
  void add_noteClick();
  void Button1Click();
  // "Печат": the lines on the workstation's default printer.
  void PrintIt();

 protected:
  // Every way of closing ends here: the text goes back to the card memo.
  void done(int r) override;

 private:
  QPlainTextEdit *cardMemo_;
};
