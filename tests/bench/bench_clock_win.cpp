#include "tests/bench/bench_clock_win.h"

#include <windows.h>

double now_microseconds(void) {
  static LARGE_INTEGER frequency = {};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  // Whole seconds and the remainder apart, so a long uptime cannot overflow the product.
  const LONGLONG seconds = count.QuadPart / frequency.QuadPart;
  const LONGLONG rest = count.QuadPart % frequency.QuadPart;
  return static_cast<double>(seconds) * 1e6 +
         static_cast<double>(rest) * 1e6 / static_cast<double>(frequency.QuadPart);
}
