#pragma once
// Summaries of timing samples for the benchmark programs. No Windows calls, so the
// figures' arithmetic is the same wherever it is checked.
#include <cstddef>

struct SampleSummary {
  size_t count;
  double min;
  double max;
  double mean;
  double median; // the middle sample, or the mean of the two middle ones
  double p95;    // nearest rank: the smallest sample with at least 95% at or below it
};

// Sorts `samples` in place (ascending) and summarises them. With no samples every
// figure is 0 and count is 0.
SampleSummary summarize_samples(double* samples, size_t count);

// a / b, or 0 when b is not positive (a ratio of nothing is not infinite).
double ratio_or_zero(double a, double b);
