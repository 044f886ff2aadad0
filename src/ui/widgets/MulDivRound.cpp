// MulDiv's arithmetic without the system.
#include "ui/widgets/MulDivRound.h"

#include <climits>
#include <cstdint>

int MulDivRound(int number, int numerator, int denominator) noexcept {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  std::int64_t magnitude = product < 0 ? -product : product;
  const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
  magnitude = (magnitude + divisor / 2) / divisor;
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > INT_MAX || result < INT_MIN) return -1;
  return static_cast<int>(result);
}
