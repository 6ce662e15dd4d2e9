#include "tests/soak/soak_plan.h"

#include <cmath>

void make_plan(int short_run, SoakPlan* plan) {
  plan->short_run = short_run;
  plan->blocker_interval_ms = 5;
  if (short_run) {
    plan->ticks = 2000;
    // Bursts no larger than the service's eight threads land at once on reused connections.
    plan->bursts = 25;
    plan->burst_size = 8;
    plan->slow_inside = 2;
    plan->slow_past = 1;
    plan->slow_every = SOAK_SLICES; // once, while warming up
    plan->slow_first = 0;
    plan->slow_beside_bursts = 1;
    plan->warm_up_failure_bursts = 3;
    plan->paints = 20;
    plan->cycles = 10;
    plan->alerts = 5;
    plan->probe_kills_per_alert = 1;
  } else {
    plan->ticks = 20000;
    plan->bursts = 40;
    plan->burst_size = 50;
    plan->slow_inside = 4;
    plan->slow_past = 2;
    plan->slow_every = 1;
    plan->slow_first = 0;
    plan->slow_beside_bursts = 0;
    plan->warm_up_failure_bursts = 3;
    plan->paints = 200;
    plan->cycles = 100;
    plan->alerts = 50;
    plan->probe_kills_per_alert = 2;
  }
}

int share_of(int total, int slice, int slices) {
  if (slices <= 0 || slice < 0 || slice >= slices) return 0;
  const int64_t before = static_cast<int64_t>(total) * slice / slices;
  const int64_t upto = static_cast<int64_t>(total) * (slice + 1) / slices;
  return static_cast<int>(upto - before);
}

int bursts_in_slice(const SoakPlan* plan, int slice) {
  if (slice < 0 || slice >= SOAK_SLICES) return 0;
  // Twice every type but slow (which has its own batch): once the heap and Wine's caches
  // have met each kind of answer more than once, later growth is the program's own.
  const int warm_up = 2 * (ANSWER_TYPE_COUNT - 1);
  int first = share_of(plan->bursts, 0, SOAK_SLICES);
  if (first < warm_up) first = warm_up;
  if (first > plan->bursts) first = plan->bursts;
  if (slice == 0) return first;
  return share_of(plan->bursts - first, slice - 1, SOAK_SLICES - 1);
}

int burst_kind(int burst_number) {
  if (burst_number < 0) burst_number = -burst_number;
  return 1 + burst_number % SOAK_KINDS;
}

AnswerType burst_answer(int burst_number) {
  static const AnswerType fast[] = {ANSWER_NORMAL, ANSWER_EMPTY, ANSWER_OVERSIZED, ANSWER_ERROR,
                                    ANSWER_REFUSED};
  const int n = static_cast<int>(sizeof(fast) / sizeof(fast[0]));
  if (burst_number < 0) burst_number = -burst_number;
  return fast[burst_number % n];
}

int warm_up_kind(int number) {
  static const int failing[] = {2, 3, 5}; // SendPin, VerifyPin, VerifyOverridePin
  if (number < 0) number = -number;
  return failing[number % 3];
}

bool slice_has_slow(const SoakPlan* plan, int slice) {
  if (plan->slow_inside + plan->slow_past <= 0 || plan->slow_every <= 0) return false;
  if (slice < plan->slow_first || slice >= SOAK_SLICES) return false;
  return (slice - plan->slow_first) % plan->slow_every == 0;
}

int slow_kind_of_slice(int slice) { return 1 + (slice < 0 ? -slice : slice) % SOAK_KINDS; }

const char* answer_type_name(AnswerType type) {
  switch (type) {
  case ANSWER_NORMAL: return "normal";
  case ANSWER_EMPTY: return "empty";
  case ANSWER_OVERSIZED: return "oversized";
  case ANSWER_ERROR: return "error page";
  case ANSWER_REFUSED: return "refused";
  case ANSWER_SLOW: return "slow";
  default: return "?";
  }
}

int64_t growth_limit(int64_t warm, const GrowthRule* rule) {
  const int64_t by_ratio =
      static_cast<int64_t>(std::floor(static_cast<double>(warm) * rule->ratio));
  const int64_t allowed = by_ratio > rule->slack ? by_ratio : rule->slack;
  return warm + allowed;
}

bool grew_without_bound(int64_t warm, int64_t last, const GrowthRule* rule) {
  return last > growth_limit(warm, rule);
}

int64_t ticks_in(uint64_t elapsed_ms, double effective_interval_ms) {
  if (effective_interval_ms <= 0.0) return 0;
  return static_cast<int64_t>(static_cast<double>(elapsed_ms) / effective_interval_ms);
}

uint64_t time_for_ticks(int64_t ticks, double effective_interval_ms) {
  if (ticks <= 0 || effective_interval_ms <= 0.0) return 0;
  return static_cast<uint64_t>(std::ceil(static_cast<double>(ticks) * effective_interval_ms));
}
