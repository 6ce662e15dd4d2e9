// The arithmetic behind the printed figures: a wrong rank or middle here would make
// every benchmark report quietly wrong.
#include <gtest/gtest.h>

#include "tests/bench/bench_stats.h"

namespace {

TEST(SampleSummary, odd_count_median_is_the_middle_sample_after_sorting) {
  double samples[] = {9.0, 1.0, 5.0, 3.0, 7.0};
  const SampleSummary s = summarize_samples(samples, 5);
  EXPECT_EQ(s.count, 5u);
  EXPECT_DOUBLE_EQ(s.median, 5.0);
  EXPECT_DOUBLE_EQ(s.min, 1.0);
  EXPECT_DOUBLE_EQ(s.max, 9.0);
  EXPECT_DOUBLE_EQ(s.mean, 5.0);
  EXPECT_DOUBLE_EQ(samples[0], 1.0); // sorted in place
  EXPECT_DOUBLE_EQ(samples[4], 9.0);
}

TEST(SampleSummary, even_count_median_is_the_mean_of_the_two_middle_samples) {
  double samples[] = {40.0, 10.0, 30.0, 20.0};
  EXPECT_DOUBLE_EQ(summarize_samples(samples, 4).median, 25.0);
}

TEST(SampleSummary, p95_of_two_hundred_samples_is_the_190th) {
  double samples[200];
  for (int i = 0; i < 200; i++)
    samples[i] = static_cast<double>(200 - i); // 200 down to 1
  const SampleSummary s = summarize_samples(samples, 200);
  EXPECT_DOUBLE_EQ(s.p95, 190.0);
  EXPECT_DOUBLE_EQ(s.median, 100.5);
}

TEST(SampleSummary, p95_of_few_samples_is_the_largest_and_one_sample_is_every_figure) {
  double ten[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_DOUBLE_EQ(summarize_samples(ten, 10).p95, 10.0);
  double one[] = {42.0};
  const SampleSummary s = summarize_samples(one, 1);
  EXPECT_DOUBLE_EQ(s.median, 42.0);
  EXPECT_DOUBLE_EQ(s.p95, 42.0);
  EXPECT_DOUBLE_EQ(s.mean, 42.0);
}

TEST(SampleSummary, no_samples_give_zero_figures_without_reading_memory) {
  const SampleSummary s = summarize_samples(nullptr, 0);
  EXPECT_EQ(s.count, 0u);
  EXPECT_DOUBLE_EQ(s.median, 0.0);
  EXPECT_DOUBLE_EQ(s.p95, 0.0);
}

TEST(RatioOrZero, divides_and_refuses_a_zero_or_negative_base) {
  EXPECT_DOUBLE_EQ(ratio_or_zero(6.0, 2.0), 3.0);
  EXPECT_DOUBLE_EQ(ratio_or_zero(6.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(ratio_or_zero(6.0, -1.0), 0.0);
}

} // namespace
