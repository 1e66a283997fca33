// Personal numbers and date texts from arbitrary bytes: no crash, and the
// rules agree with each other.
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "egn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const zv::TDate born = zv::EgnBirthDate(text, 0);
  // A number with a birth date is ten digits with a right check digit.
  if (born != 0 && !(zv::IsTenDigitEgn(text) && zv::EgnCheckDigitOk(text) && zv::IsAllDigits(text))) std::abort();
  if (born == 0 && (zv::IsUnder18(text) || zv::IsUnder35(text))) std::abort();
  (void)zv::EgnBirthDate(text, 100);
  const zv::TDate d = zv::ParseDateText(text);
  if (d != 0 && !zv::toQDate(d).isValid()) std::abort();
  (void)zv::CollapseSpaces(text);
  (void)zv::TrimRight(text);
  return 0;
}
