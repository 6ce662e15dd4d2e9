#include <cstdio>

#include "tests/soak/soak_run_win.h"

namespace {

const int kMetrics = 7;

// Memory is judged on the ratio alone; counts of a few dozen may move by a handful
// without anything leaking (a worker thread still exiting, a tray balloon).
const GrowthRule kRules[kMetrics] = {
    {"private bytes", 0.10, 0}, {"working set", 0.10, 0},  {"handles", 0.10, 10},
    {"GDI objects", 0.10, 5},   {"USER objects", 0.10, 5}, {"threads", 0.10, 3},
    {"windows", 0.10, 2},
};

int64_t metric(const SoakSample* s, int which) {
  switch (which) {
  case 0: return static_cast<int64_t>(s->private_bytes);
  case 1: return static_cast<int64_t>(s->working_set);
  case 2: return s->handles;
  case 3: return s->gdi_objects;
  case 4: return s->user_objects;
  case 5: return s->threads;
  default: return s->windows;
  }
}

bool is_bytes(int which) { return which <= 1; }

void print_value(int which, int64_t value) {
  if (is_bytes(which)) {
    printf("%10lld KB", static_cast<long long>(value / 1024));
  } else {
    printf("%13lld", static_cast<long long>(value));
  }
}

void print_table(const SoakRun* run) {
  printf(
      "\n  run %%   time s  private KB  working set KB  handles   GDI  USER  threads  windows\n");
  for (int i = 0; i < run->sample_count; i++) {
    const SoakSample* s = &run->samples[i];
    printf("  %4.0f%s%7.1f  %10llu  %14llu  %7u  %4u  %4u  %7u  %7u\n", run->sample_at_percent[i],
           run->sample_deep[i] ? "*" : " ", static_cast<double>(s->at_ms) / 1000.0,
           static_cast<unsigned long long>(s->private_bytes / 1024),
           static_cast<unsigned long long>(s->working_set / 1024), s->handles, s->gdi_objects,
           s->user_objects, s->threads, s->windows);
  }
  printf("  * at deep rest: also after WinHTTP's idle connections closed (30 s)\n");
  if (run->sample_count > 0 && run->samples[0].private_from_pagefile) {
    printf("  private KB: PagefileUsage (Wine fills PrivateUsage only for the calling process; "
           "for another it reports the Linux process's anonymous resident and swapped memory)\n");
  }
  if (run->sample_count > 0 && run->samples[0].gdi_from_table) {
    printf("  GDI: Wine's GetGuiResources gives 0; counted in the program's GDI handle table "
           "(through its PEB), stock objects left out\n");
  }
  if (run->sample_count > 0 && run->samples[0].user_objects == 0) {
    printf("  USER: Wine's GetGuiResources gives 0; the windows column counts the program's "
           "windows and controls instead\n");
  }
  if (run->sample_count > 0 && run->samples[0].handles_from_system) {
    printf("  handles: counted in the system-wide handle list (Wine's GetProcessHandleCount "
           "gives 0 for another process)\n");
  }
}

int judge_growth(const SoakRun* run) {
  int failures = 0;
  if (run->sample_count < SOAK_SAMPLES) {
    printf("FAIL: only %d of %d samples were taken\n", run->sample_count, SOAK_SAMPLES);
    failures++;
  }
  if (run->settle_timeouts > 0) {
    printf("note: %d samples were taken before the program was back at rest (%u threads)\n",
           run->settle_timeouts, run->threads_at_rest);
  }
  if (run->sample_count < 3) return failures;
  const SoakSample* first = &run->samples[0];
  const SoakSample* warm = &run->samples[1];
  const SoakSample* last = &run->samples[run->sample_count - 1];
  printf("\ngrowth from the warm sample (10 %%) to the last (allowed: 10 %%, or the slack when "
         "larger)\n");
  printf("  %-14s %13s %13s %13s %8s  %s\n", "figure", "start", "warm", "last", "slack", "");
  for (int m = 0; m < kMetrics; m++) {
    const int64_t w = metric(warm, m);
    const int64_t l = metric(last, m);
    printf("  %-14s ", kRules[m].name);
    print_value(m, metric(first, m));
    printf(" ");
    print_value(m, w);
    printf(" ");
    print_value(m, l);
    printf(" %8lld  ", static_cast<long long>(kRules[m].slack));
    if ((m == 3 || m == 4) && w == 0 && l == 0) {
      printf("not reported: Wine's GetGuiResources gives 0%s\n",
             m == 4 ? " (the windows row counts the USER objects that can be seen)" : "");
      continue;
    }
    if (grew_without_bound(w, l, &kRules[m])) {
      printf("GREW beyond %lld\n", static_cast<long long>(growth_limit(w, &kRules[m])));
      printf("FAIL: %s grew from %lld to %lld\n", kRules[m].name, static_cast<long long>(w),
             static_cast<long long>(l));
      failures++;
    } else {
      const double change =
          w > 0 ? 100.0 * static_cast<double>(l - w) / static_cast<double>(w) : 0.0;
      printf("ok (%+.1f %%)\n", change);
    }
  }
  return failures;
}

int judge_workload(const SoakRun* run, const BoxTally* boxes) {
  int failures = 0;
  const SoakPlan* plan = &run->plan;
  const uint64_t elapsed = run->finished_at - run->started_at;
  const int64_t ticks = ticks_in(elapsed, run->effective_interval_ms);
  printf("\nworkload\n");
  printf("  blocker ticks:   %lld (%.1f s of run at one tick per %.2f ms: the %d ms interval as a "
         "timer with a tick's work really fires here; counted by time, not seen one by one)\n",
         static_cast<long long>(ticks), static_cast<double>(elapsed) / 1000.0,
         run->effective_interval_ms, plan->blocker_interval_ms);
  if (run->tools_blocked > 0) {
    printf("                   cross-check: listed tools started at random moments lived %.0f ms "
           "on average before a tick ended them\n",
           static_cast<double>(run->tool_lived_total_ms) / static_cast<double>(run->tools_blocked));
  }
  if (ticks < plan->ticks) {
    printf("FAIL: fewer than %lld blocker ticks\n", static_cast<long long>(plan->ticks));
    failures++;
  }
  printf("  requests:        %lld started in %lld bursts (at most %d at once); the service saw "
         "%lld API requests (the start-up status and the alerts' reports included); %lld "
         "bursts were not all seen within the wait\n",
         static_cast<long long>(run->requests_started), static_cast<long long>(run->bursts),
         plan->burst_size > SOAK_WARM_UP_BURST ? plan->burst_size : SOAK_WARM_UP_BURST,
         static_cast<long long>(run->log.api_requests),
         static_cast<long long>(run->bursts_not_landed));
  printf("  %-6s", "kind");
  for (int t = 0; t < ANSWER_TYPE_COUNT; t++)
    printf(" %11s", answer_type_name(static_cast<AnswerType>(t)));
  printf(" %8s\n", "total");
  const int64_t planned = static_cast<int64_t>(plan->bursts) * plan->burst_size +
                          static_cast<int64_t>(plan->warm_up_failure_bursts) * SOAK_WARM_UP_BURST;
  if (run->requests_started < planned) {
    printf("FAIL: only %lld of %lld requests were started\n",
           static_cast<long long>(run->requests_started), static_cast<long long>(planned));
    failures++;
  }
  for (int k = 1; k <= SOAK_KINDS; k++) {
    int64_t total = 0;
    printf("  %-6d", k);
    for (int t = 0; t < ANSWER_TYPE_COUNT; t++) {
      printf(" %11lld", static_cast<long long>(run->by_kind[k][t]));
      total += run->by_kind[k][t];
    }
    printf(" %8lld\n", static_cast<long long>(total));
    if (total == 0) {
      printf("FAIL: no requests of kind %d\n", k);
      failures++;
    }
  }
  const int64_t expected_api = run->requests_started + run->reports_expected + 1;
  if (run->log.api_requests < expected_api) {
    printf("  note: %lld requests never reached the service (the program's own timeouts while "
           "the service was busy with slow answers)\n",
           static_cast<long long>(expected_api - run->log.api_requests));
  }
  printf("  message boxes:   %lld blocker alerts, %lld sign-in failures, %lld override "
         "refusals, %lld others dismissed; at most %lld open at once (nested)\n",
         static_cast<long long>(boxes->alerts), static_cast<long long>(boxes->sign_in),
         static_cast<long long>(boxes->override_pin), static_cast<long long>(boxes->other),
         static_cast<long long>(boxes->most_open));
  printf("  paints:          %lld of %lld asked were handled (no update region left)\n",
         static_cast<long long>(run->paints_done), static_cast<long long>(run->paints_asked));
  if (run->paints_done < plan->paints) {
    printf("FAIL: only %lld paints were handled\n", static_cast<long long>(run->paints_done));
    failures++;
  }
  printf("  hide/show:       %lld cycles done, %lld failed\n",
         static_cast<long long>(run->cycles_done), static_cast<long long>(run->cycles_failed));
  if (run->cycles_done < plan->cycles) {
    printf("FAIL: only %lld hide/show cycles\n", static_cast<long long>(run->cycles_done));
    failures++;
  }
  printf("  listed tools:    %lld started, %lld ended by the program (exit code 1), lived "
         "%.0f ms on average, %lu ms at most\n",
         static_cast<long long>(run->tool_starts), static_cast<long long>(run->tools_blocked),
         run->tools_blocked ? static_cast<double>(run->tool_lived_total_ms) /
                                  static_cast<double>(run->tools_blocked)
                            : 0.0,
         static_cast<unsigned long>(run->tool_lived_max_ms));
  if (run->tool_start_failures > 0) {
    printf("FAIL: the driver could not start %lld listed tools (the workload fell short)\n",
           static_cast<long long>(run->tool_start_failures));
    failures++;
  }
  if (run->tools_blocked < run->tool_starts) {
    printf("FAIL: %lld listed tools were not ended\n",
           static_cast<long long>(run->tool_starts - run->tools_blocked));
    failures++;
  }
  printf("  alerts:          %lld asked, %lld appeared and were dismissed, %lld missing\n",
         static_cast<long long>(run->alerts_asked), static_cast<long long>(boxes->alerts),
         static_cast<long long>(run->alerts_missing));
  if (boxes->alerts < plan->alerts || run->alerts_missing > 0) {
    printf("FAIL: %lld of %d alerts appeared\n", static_cast<long long>(boxes->alerts),
           plan->alerts);
    failures++;
  }
  return failures;
}

int judge_liveness(const SoakRun* run, const ProbeTally* probe) {
  int failures = 0;
  printf("  responsiveness:  %lld WM_NULL probes, %lld answered, slowest %lu ms, %lld over "
         "500 ms, %lld unanswered within %d ms (longest silence %lu ms)\n",
         static_cast<long long>(probe->probes), static_cast<long long>(probe->answered),
         static_cast<unsigned long>(probe->slowest_answer_ms),
         static_cast<long long>(probe->slow_answers), static_cast<long long>(probe->stalls),
         SOAK_STALL_MS, static_cast<unsigned long>(probe->longest_silence_ms));
  if (probe->ended_hung) {
    printf("FAIL: the window was silent for %d s; the program was ended as hung\n",
           SOAK_HUNG_MS / 1000);
    failures++;
  }
  if (probe->stalls > 0) {
    printf("FAIL: the window stopped answering for more than %d ms\n", SOAK_STALL_MS);
    failures++;
  }
  if (run->program_died || probe->window_gone) {
    printf("FAIL: the program ended during the run (exit code %lu)\n",
           static_cast<unsigned long>(run->died_exit_code));
    failures++;
  }
  printf("  exit:            %s, exit code %lu\n",
         run->clean_exit ? "tray Exit and Yes" : "NOT clean",
         static_cast<unsigned long>(run->exit_code));
  if (!run->program_died && (!run->clean_exit || run->exit_code != 0)) {
    printf("FAIL: the program did not exit cleanly\n");
    failures++;
  }
  return failures;
}

} // namespace

int print_report(const SoakRun* run, const BoxTally* boxes, const ProbeTally* probe) {
  print_table(run);
  int failures = judge_growth(run);
  failures += judge_workload(run, boxes);
  failures += judge_liveness(run, probe);
  fflush(stdout);
  return failures;
}
