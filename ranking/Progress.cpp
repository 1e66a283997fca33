#include "Progress.h"

#include <cmath>

namespace zv {

long long RoundHalfEven(double x) {
  const double lower = std::floor(x);
  const double diff = x - lower;
  long long r = static_cast<long long>(lower);
  if (diff > 0.5 || (diff == 0.5 && (r % 2 != 0))) ++r;
  return r;
}

int ProgressPercent(int done, int total) {
  return static_cast<int>(RoundHalfEven(static_cast<double>(done) / (static_cast<double>(total) + 1.0) * 100.0));
}

}  // namespace zv
