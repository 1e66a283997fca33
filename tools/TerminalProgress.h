#pragma once
// The progress of a long run as a line on the terminal, rewritten in place.
#include <QTextStream>

#include "Progress.h"

class TerminalProgress : public zv::Progress {
 public:
  explicit TerminalProgress(QTextStream &err) : err_(err) {}
  void begin(const QString &task, int) override {
    task_ = task;
    setPosition(0);
  }
  void setPosition(int percent) override {
    pos_ = percent;
    err_ << '\r' << task_ << ": " << percent << '%';
    err_.flush();
  }
  int position() const override { return pos_; }
  void end() override {
    if (task_.isEmpty()) return;
    err_ << '\n';
    err_.flush();
    task_.clear();
  }

 private:
  QTextStream &err_;
  QString task_;
  int pos_ = 0;
};
