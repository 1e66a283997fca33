#pragma once
// A plain text window: one memo filling the window, with both scroll bars.
// The history window shows the whole text of an entry in it.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfrmuMemo : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmuMemo(QWidget *parent = nullptr);

  QPlainTextEdit *ml;
  QPushButton *bClose;

  // Creates the window over owner, shows text in it modally and discards the
  // window when it closes.
  static void ShowText(QWidget *owner, const QString &text);
};
