#pragma once
#include <QDialog>

// "За програмата": the program's name, version and where to turn for help.
class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutForm(QWidget *parent = nullptr);
};
