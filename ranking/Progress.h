#pragma once
// How a long run over the register reports how far it has come. The progress
// window is one reporter; zv-admin writes to standard error, tests record.
#include <QString>
#include <vector>

namespace zv {

class Progress {
 public:
  virtual ~Progress() = default;
  // Shows the task line and puts the bar at 0.
  virtual void begin(const QString &task, int width) = 0;
  // Moves the bar to percent (0..100) and shows it at once.
  virtual void setPosition(int percent) = 0;
  virtual int position() const = 0;
  // Hides the report.
  virtual void end() = 0;
};

// Nearest whole number; an exact half goes to the even neighbour (2.5 -> 2).
long long RoundHalfEven(double x);

// The bar position after `done` of `total` items: done / (total + 1) * 100,
// rounded. The +1 keeps the bar short of 100 until the run has finished.
int ProgressPercent(int done, int total);

// Moves the bar only when the whole percentage changes, so a run over many
// items repaints at most a hundred times.
inline void stepProgress(Progress &p, int done, int total) {
  const int percent = ProgressPercent(done, total);
  if (percent != p.position()) p.setPosition(percent);
}

// Shows nothing; remembers every position it was set to.
class RecordingProgress : public Progress {
 public:
  void begin(const QString &task, int width) override {
    this->task = task;
    this->width = width;
    pos_ = 0;
    shown = true;
  }
  void setPosition(int percent) override {
    pos_ = percent;
    positions.push_back(percent);
  }
  int position() const override { return pos_; }
  void end() override { shown = false; }

  QString task;
  int width = 0;
  bool shown = false;
  std::vector<int> positions;

 private:
  int pos_ = 0;
};

// Calls begin on construction and end when it goes out of scope, also when
// the run stops on an error, so the report never stays on screen.
class ProgressRun {
 public:
  ProgressRun(Progress &p, const QString &task, int width) : p_(p) { p_.begin(task, width); }
  ~ProgressRun() { p_.end(); }
  ProgressRun(const ProgressRun &) = delete;
  ProgressRun &operator=(const ProgressRun &) = delete;

 private:
  Progress &p_;
};

}  // namespace zv
