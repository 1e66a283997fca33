#include "CardNotes.h"

#include <QList>

namespace zv {

namespace {

// The memo's text of stored notes, with where each of its characters starts
// in the stored text (one more entry: the stored text's length).
struct Shown {
  QString text;
  QList<qsizetype> from;
};

Shown shownOf(const QString &stored) {
  Shown s;
  s.text.reserve(stored.size());
  s.from.reserve(stored.size() + 1);
  for (qsizetype i = 0; i < stored.size(); ++i) {
    s.from.push_back(i);
    const QChar c = stored.at(i);
    if (c == QLatin1Char('\r')) {
      if (i + 1 < stored.size() && stored.at(i + 1) == QLatin1Char('\n')) ++i;
      s.text.push_back(QLatin1Char('\n'));
    } else if (c == QChar::ParagraphSeparator) {
      s.text.push_back(QLatin1Char('\n'));
    } else {
      s.text.push_back(c);
    }
  }
  s.from.push_back(stored.size());
  return s;
}

QString windowsBreaks(QString text) { return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }

// The memo's text stored over the loaded notes: what lies between the start
// and the end the two still share is the clerk's; the shared parts keep the
// bytes they were stored with.
QString mergedOver(const QString &loaded, const Shown &shown, const QString &memo) {
  const QString &old = shown.text;
  const qsizetype most = qMin(old.size(), memo.size());
  qsizetype head = 0;
  while (head < most && old.at(head) == memo.at(head)) ++head;
  qsizetype tail = 0;
  while (tail < most - head && old.at(old.size() - 1 - tail) == memo.at(memo.size() - 1 - tail)) ++tail;
  return loaded.left(shown.from[head]) + windowsBreaks(memo.mid(head, memo.size() - head - tail)) +
         loaded.mid(shown.from[old.size() - tail]);
}

}  // namespace

QString NotesForMemo(const QString &stored) { return shownOf(stored).text; }

std::optional<QString> NotesToStore(const QString &loaded, const QString &memo, const QString &storedNow) {
  if (memo.isEmpty()) return std::nullopt;
  const Shown shown = shownOf(loaded);
  if (memo == shown.text) return std::nullopt;
  if (storedNow != loaded && memo.endsWith(shown.text)) {
    QString added = memo.left(memo.size() - shown.text.size());
    // Text typed over no notes at all still stands on lines of its own.
    if (shown.text.isEmpty() && !storedNow.isEmpty() && !added.endsWith(QLatin1Char('\n'))) added += QLatin1Char('\n');
    return windowsBreaks(added) + storedNow;
  }
  return mergedOver(loaded, shown, memo);
}

}  // namespace zv
