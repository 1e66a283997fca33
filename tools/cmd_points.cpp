// zv-admin refresh-points: the points of every card recomputed as of now, by
// the same routine the ranking runs, with its progress on standard error.
#include "Commands.h"
#include "DataModule.h"
#include "Options.h"
#include "Points.h"

namespace {
// The progress as a line on the terminal, rewritten in place.
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
    err_ << '\n';
    err_.flush();
  }

 private:
  QTextStream &err_;
  QString task_;
  int pos_ = 0;
};
}  // namespace

int cmdRefreshPoints(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin refresh-points --database PATH\n";
    return 2;
  }
  TDataModule1 dm;
  dm.connectTo(o.get(QStringLiteral("database")), envUser(), envPassword());
  TerminalProgress progress(err);
  const int cards = zv::RefreshAllPoints(progress);  // commits
  dm.disconnectCommitting();
  out << cards << "\n";
  return 0;
}
