#pragma once
// The progress window: a small borderless window with the task line L, the
// fixed line "Моля изчакайте .." and a bar from 0 to 100. Shown without
// blocking while a long run holds the thread; each move of the bar repaints
// it at once.
#include <QWidget>

#include "Progress.h"

class QLabel;
class QProgressBar;

class TStatusForm : public QWidget, public zv::Progress {
  Q_OBJECT
 public:
  explicit TStatusForm(QWidget *parent = nullptr);
  ~TStatusForm() override;

  QLabel *L;
  QLabel *lbWait;
  QProgressBar *ProgressBar1;

  void begin(const QString &task, int width) override;
  void setPosition(int percent) override;
  int position() const override;
  void end() override;
};

// The progress window of the program, created at start-up; RefreshAllPoints
// makes a window of its own when there is none.
extern TStatusForm *StatusForm;

namespace zv {
// RefreshAllPoints with the progress window of the program (or one of its
// own when there is none).
int RefreshAllPoints();
}  // namespace zv
