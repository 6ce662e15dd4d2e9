#pragma once
// What one soak run does and how its figures are judged. Kept free of Windows calls
// so the rules can be checked on their own (soak_driver --check).
#include <cstdint>

enum AnswerType {
  ANSWER_NORMAL,    // the service's own answer
  ANSWER_EMPTY,     // 200 with no body at all
  ANSWER_OVERSIZED, // 200 with 40000 bytes, beyond the program's 32767-byte limit
  ANSWER_ERROR,     // 500 with an HTML error page
  ANSWER_REFUSED,   // 403 with a JSON refusal
  ANSWER_SLOW,      // answered just inside, or just past, the 24 s receive timeout
  ANSWER_TYPE_COUNT
};

#define SOAK_KINDS 6
#define SOAK_SLICES 10
#define SOAK_SAMPLES (SOAK_SLICES + 1)
#define SOAK_OVERSIZED_LENGTH 40000
#define SOAK_WARM_UP_BURST 50
// The program gives up on an answer after 24 s; slow answers land either side of it.
#define SOAK_SLOW_INSIDE_MS 22000
#define SOAK_SLOW_PAST_MS 26000

struct SoakPlan {
  int short_run;
  int blocker_interval_ms;
  int64_t ticks;   // blocker ticks the run lasts at least, counted by time
  int bursts;      // requests started at once, of one kind, with one type of answer
  int burst_size;  // at most 100 (the test build's limit)
  int slow_inside; // per slow slice: answered 2 s inside the receive timeout
  int slow_past;   // per slow slice: answered 2 s after the program gave up
  int slow_every;  // slices with slow answers: every slow_every-th, from slow_first
  int slow_first;
  int slow_beside_bursts; // slow answers start with the slice's bursts rather than after them
  // Bursts of SOAK_WARM_UP_BURST failures (sign-in, PIN, override) that open as many nested
  // boxes at the start: Wine's caches for painting windows grow to their high-water mark
  // with the deepest nesting, and must be full before the warm sample.
  int warm_up_failure_bursts;
  int paints;
  int cycles;                // hide to tray and show again
  int alerts;                // blocker alert boxes
  int probe_kills_per_alert; // extra listed-tool starts inside the alert throttle
};

void make_plan(int short_run, SoakPlan* plan);

// The even share of `total` that falls to slice `slice` of `slices` (shares add up to total).
int share_of(int total, int slice, int slices);
// Bursts of a slice. The first tenth warms the program up with two bursts of every answer
// type (or its even share, when larger); the rest share what is left evenly.
int bursts_in_slice(const SoakPlan* plan, int slice);

// Kind and answer type of a burst, by its running number in the run. Six kinds and five
// answer types: any thirty bursts in a row meet every pair.
int burst_kind(int burst_number);
AnswerType burst_answer(int burst_number);
// The kind of a warm-up burst: one whose failure the program reports in a box.
int warm_up_kind(int number);
// Whether a slice ends with slow answers, and of which kind they are.
bool slice_has_slow(const SoakPlan* plan, int slice);
int slow_kind_of_slice(int slice);
const char* answer_type_name(AnswerType type);

// Growth judgement: a figure fails when its last sample exceeds the warm sample (the one
// after the first tenth) by more than `ratio` of it, or by more than `slack` when that is
// larger (small counts such as threads move by one or two on their own).
struct GrowthRule {
  const char* name;
  double ratio;
  int64_t slack;
};
// Largest last value still accepted.
int64_t growth_limit(int64_t warm, const GrowthRule* rule);
bool grew_without_bound(int64_t warm, int64_t last, const GrowthRule* rule);

// Blocker ticks in `elapsed_ms` at an effective interval (the timer cannot fire faster
// than the platform allows, nor faster than a tick takes).
int64_t ticks_in(uint64_t elapsed_ms, double effective_interval_ms);
// Milliseconds needed for `ticks` at that interval, rounded up.
uint64_t time_for_ticks(int64_t ticks, double effective_interval_ms);

// Runs the checks of these rules; prints each failure and returns how many failed.
int check_soak_rules(void);
