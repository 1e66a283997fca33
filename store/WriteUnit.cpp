#include "WriteUnit.h"

namespace zv {

UnitFailed::UnitFailed(const QString &text, const fb::Error &cause, const QVariant &regNum)
    : fb::Error(text, cause.sqlcode(), cause.codes()), regNum_(regNum) {}

QString UnitFailureText(const QString &notDone, const QVariant &regNum, const fb::Error &cause) {
  QString text = notDone;
  if (regNum.isValid() && !regNum.isNull()) {
    const QString card = QStringLiteral("картон с рег. номер ") + regNum.toString().trimmed();
    text += cause.isConflict()
                ? QStringLiteral(": ") + card + QStringLiteral(" се променя на друго работно място. Опитайте отново.")
                : QStringLiteral(": ") + card + QStringLiteral(" не може да бъде записан.");
  } else {
    text += QLatin1Char('.');
  }
  return text + QLatin1Char('\n') + cause.text();
}

void RunAsOneUnit(fb::Transaction &tr, const QString &notDone, const std::function<void(UnitCard &)> &write) {
  // What was pending before belongs to the command that wrote it, not to
  // this unit: committed first, it stays whatever happens here.
  if (tr.active())
    tr.commitRetaining();
  else
    tr.start();
  UnitCard card;
  try {
    write(card);
    card.none();
    tr.commit();
  } catch (const fb::ConnectionLost &) {
    tr.rollbackQuietly();
    throw;
  } catch (const UnitFailed &) {
    tr.rollbackQuietly();
    throw;
  } catch (const fb::Error &e) {
    tr.rollbackQuietly();
    throw UnitFailed(UnitFailureText(notDone, card.regNum(), e), e, card.regNum());
  } catch (...) {
    tr.rollbackQuietly();
    throw;
  }
}

}  // namespace zv
