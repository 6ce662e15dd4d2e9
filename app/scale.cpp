#include "app/scale.h"

#include <cstdint>

int scale_for_dpi(int v, unsigned dpi) {
  const int64_t product = static_cast<int64_t>(v) * static_cast<int64_t>(dpi);
  const int64_t half = 48;
  const int64_t rounded = product >= 0 ? (product + half) / 96 : -((-product + half) / 96);
  if (rounded > INT32_MAX) return INT32_MAX;
  if (rounded < INT32_MIN) return INT32_MIN;
  return static_cast<int>(rounded);
}
