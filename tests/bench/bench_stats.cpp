#include "tests/bench/bench_stats.h"

#include <algorithm>

SampleSummary summarize_samples(double* samples, size_t count) {
  SampleSummary s = {0, 0.0, 0.0, 0.0, 0.0, 0.0};
  if (samples == nullptr || count == 0) return s;
  std::sort(samples, samples + count);
  double sum = 0.0;
  for (size_t i = 0; i < count; i++)
    sum += samples[i];
  s.count = count;
  s.min = samples[0];
  s.max = samples[count - 1];
  s.mean = sum / static_cast<double>(count);
  const size_t mid = count / 2;
  s.median = (count % 2 != 0) ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2.0;
  // Rank ceil(0.95 * count), counted from 1; integer arithmetic keeps 200 samples at
  // rank 190 exactly instead of 190.00000000000003 rounding up to 191.
  const size_t rank = (count * 95 + 99) / 100;
  s.p95 = samples[rank - 1];
  return s;
}

double ratio_or_zero(double a, double b) { return b > 0.0 ? a / b : 0.0; }
