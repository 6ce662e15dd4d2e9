// Checks of the soak's own rules, run before every soak: a wrong share or a lenient
// growth limit would let a leak through unnoticed.
#include <cstdio>

#include "tests/soak/soak_plan.h"

namespace {

int g_failed = 0;

void expect(bool condition, const char* what) {
  if (condition) return;
  std::printf("rule check failed: %s\n", what);
  g_failed++;
}

void shares_add_up_to_the_total_and_differ_by_at_most_one() {
  const int totals[] = {0, 1, 5, 7, 50, 200, 2000, 20001};
  for (int total : totals) {
    int sum = 0;
    int lowest = total;
    int highest = 0;
    for (int s = 0; s < SOAK_SLICES; s++) {
      const int share = share_of(total, s, SOAK_SLICES);
      sum += share;
      if (share < lowest) lowest = share;
      if (share > highest) highest = share;
    }
    expect(sum == total, "slice shares add up to the total");
    expect(highest - lowest <= 1, "slice shares are even");
  }
  expect(share_of(100, -1, SOAK_SLICES) == 0, "no share before the first slice");
  expect(share_of(100, SOAK_SLICES, SOAK_SLICES) == 0, "no share after the last slice");
  expect(share_of(100, 0, 0) == 0, "no share without slices");
}

void bursts_add_up_and_the_first_tenth_meets_every_fast_answer() {
  for (int short_run = 0; short_run <= 1; short_run++) {
    SoakPlan plan;
    make_plan(short_run, &plan);
    int sum = 0;
    for (int s = 0; s < SOAK_SLICES; s++)
      sum += bursts_in_slice(&plan, s);
    expect(sum == plan.bursts, "the slices' bursts add up to the plan's");
    int seen[ANSWER_TYPE_COUNT] = {};
    for (int b = 0; b < bursts_in_slice(&plan, 0); b++)
      seen[burst_answer(b)]++;
    expect(seen[ANSWER_NORMAL] >= 2 && seen[ANSWER_EMPTY] >= 2 && seen[ANSWER_OVERSIZED] >= 2 &&
               seen[ANSWER_ERROR] >= 2 && seen[ANSWER_REFUSED] >= 2,
           "the warm-up tenth meets every fast answer twice");
    expect(slice_has_slow(&plan, 0), "the warm-up tenth has slow answers");
  }
  for (int n = 0; n < 6; n++) {
    const int k = warm_up_kind(n);
    expect(k == 2 || k == 3 || k == 5, "warm-up bursts are of kinds whose failures show a box");
  }
  expect(warm_up_kind(0) != warm_up_kind(1) && warm_up_kind(1) != warm_up_kind(2) &&
             warm_up_kind(0) != warm_up_kind(2),
         "three warm-up bursts meet each failing kind");
  SoakPlan few;
  make_plan(1, &few);
  few.bursts = 3;
  expect(bursts_in_slice(&few, 0) == 3, "a warm-up never takes more bursts than there are");
  expect(bursts_in_slice(&few, 1) == 0 && bursts_in_slice(&few, 9) == 0, "none are left after");
  expect(bursts_in_slice(&few, -1) == 0 && bursts_in_slice(&few, SOAK_SLICES) == 0,
         "no bursts outside the run");
}

void any_thirty_bursts_meet_every_kind_with_every_fast_answer() {
  for (int from = 0; from < 12; from++) {
    bool seen[SOAK_KINDS + 1][ANSWER_TYPE_COUNT] = {};
    for (int b = from; b < from + 30; b++) {
      const int k = burst_kind(b);
      expect(k >= 1 && k <= SOAK_KINDS, "a burst's kind is a request kind");
      if (k >= 1 && k <= SOAK_KINDS) seen[k][burst_answer(b)] = true;
    }
    int pairs = 0;
    for (int k = 1; k <= SOAK_KINDS; k++) {
      for (int t = 0; t < ANSWER_TYPE_COUNT; t++)
        pairs += seen[k][t] ? 1 : 0;
      expect(!seen[k][ANSWER_SLOW], "slow answers are never given to a whole burst");
    }
    expect(pairs == 30, "thirty bursts in a row meet all thirty pairs");
  }
  expect(burst_answer(-3) == burst_answer(3), "a negative burst number is not out of range");
  expect(burst_kind(-3) == burst_kind(3), "a negative burst number has a kind");
}

void slow_answers_rotate_over_kinds_and_straddle_the_receive_timeout() {
  expect(SOAK_SLOW_INSIDE_MS < 24000 && SOAK_SLOW_INSIDE_MS >= 20000,
         "inside answers come shortly before the 24 s timeout");
  expect(SOAK_SLOW_PAST_MS > 24000 && SOAK_SLOW_PAST_MS <= 30000,
         "late answers come shortly after it");
  SoakPlan full;
  make_plan(0, &full);
  bool kinds[SOAK_KINDS + 1] = {};
  for (int s = 0; s < SOAK_SLICES; s++) {
    expect(slice_has_slow(&full, s), "every slice of the full run has slow answers");
    kinds[slow_kind_of_slice(s)] = true;
  }
  for (int k = 1; k <= SOAK_KINDS; k++)
    expect(kinds[k], "every kind gets slow answers in a full run");
  SoakPlan brief;
  make_plan(1, &brief);
  int slow_slices = 0;
  for (int s = 0; s < SOAK_SLICES; s++)
    slow_slices += slice_has_slow(&brief, s) ? 1 : 0;
  expect(slow_slices == 1, "the short run has one slice of slow answers");
  expect(!slice_has_slow(&brief, -1) && !slice_has_slow(&brief, SOAK_SLICES),
         "no slow answers outside the run");
  expect(brief.slow_inside > 0 && brief.slow_past > 0 && full.slow_inside > 0 && full.slow_past > 0,
         "both runs meet both sides of the timeout");
}

void growth_beyond_ten_percent_fails_and_small_counts_get_their_slack() {
  const GrowthRule bytes = {"private bytes", 0.10, 0};
  expect(!grew_without_bound(100000000, 110000000, &bytes), "exactly 10 % passes");
  expect(grew_without_bound(100000000, 110000001, &bytes), "a byte over 10 % fails");
  expect(!grew_without_bound(100000000, 90000000, &bytes), "shrinking passes");
  const GrowthRule threads = {"threads", 0.10, 3};
  expect(!grew_without_bound(12, 15, &threads), "three more threads of twelve pass");
  expect(grew_without_bound(12, 16, &threads), "four more threads of twelve fail");
  expect(!grew_without_bound(0, 3, &threads), "slack applies from zero");
  expect(grew_without_bound(100, 111, &threads), "ratio applies when larger than slack");
  expect(growth_limit(100, &threads) == 110, "limit is warm plus the larger allowance");
}

void ticks_follow_elapsed_time_and_interval() {
  expect(ticks_in(10000, 5.0) == 2000, "10 s at 5 ms is 2000 ticks");
  expect(ticks_in(10000, 15.6) == 641, "ticks round down");
  expect(ticks_in(10000, 0.0) == 0, "no interval, no ticks");
  expect(time_for_ticks(2000, 5.0) == 10000, "2000 ticks at 5 ms need 10 s");
  expect(time_for_ticks(3, 15.6) == 47, "time rounds up");
  expect(ticks_in(time_for_ticks(20000, 15.6), 15.6) >= 20000, "the time asked gives the ticks");
}

void plans_carry_the_workload_of_a_day() {
  SoakPlan full;
  make_plan(0, &full);
  expect(full.ticks >= 20000 && full.bursts * full.burst_size >= 2000 && full.paints >= 200 &&
             full.cycles >= 100 && full.alerts >= 50,
         "full run has at least the day's workload");
  expect(full.burst_size == 50 && full.bursts >= 30, "full run meets every pair in bursts of 50");
  // The service serves 8 connections at once: slow answers must leave some for the rest.
  expect(full.slow_inside + full.slow_past <= 6, "slow answers leave service threads free");
  expect(!full.slow_beside_bursts, "six slow answers wait until the bursts are done");
  SoakPlan brief;
  make_plan(1, &brief);
  expect(brief.ticks >= 2000 && brief.bursts * brief.burst_size >= 200 && brief.paints >= 20 &&
             brief.cycles >= 10 && brief.alerts >= 5,
         "short run has a tenth of it");
  expect(brief.bursts >= SOAK_KINDS, "short run still meets every kind");
  expect(brief.warm_up_failure_bursts >= 3 && full.warm_up_failure_bursts >= 3,
         "both runs warm up with at least 150 nested failure boxes");
  expect(!brief.slow_beside_bursts || brief.slow_inside + brief.slow_past <= 3,
         "slow answers beside bursts leave most service threads to them");
  expect(brief.burst_size <= 100 && full.burst_size <= 100, "bursts fit the test build's limit");
  expect(brief.short_run == 1 && full.short_run == 0, "plans say which they are");
}

} // namespace

int check_soak_rules(void) {
  g_failed = 0;
  shares_add_up_to_the_total_and_differ_by_at_most_one();
  bursts_add_up_and_the_first_tenth_meets_every_fast_answer();
  any_thirty_bursts_meet_every_kind_with_every_fast_answer();
  slow_answers_rotate_over_kinds_and_straddle_the_receive_timeout();
  growth_beyond_ten_percent_fails_and_small_counts_get_their_slack();
  ticks_follow_elapsed_time_and_interval();
  plans_carry_the_workload_of_a_day();
  return g_failed;
}
