#pragma once
// The state of one soak run, shared by the driver and its report.
#include <windows.h>

#include <cstdint>

#include "tests/soak/soak_boxes_win.h"
#include "tests/soak/soak_metrics_win.h"
#include "tests/soak/soak_plan.h"
#include "tests/soak/soak_probe_win.h"
#include "tests/soak/soak_service_win.h"

struct SoakRun {
  SoakPlan plan;
  wchar_t program[MAX_PATH];
  wchar_t dummy_tool[MAX_PATH];
  wchar_t tool_folder[MAX_PATH];
  bool tray_start;

  HANDLE process;
  DWORD pid;
  HWND window;
  ULONGLONG started_at;
  double effective_interval_ms; // calibrated; at least the configured interval

  ServiceLog log;
  int64_t requests_started; // accepted by the program's queue
  int64_t by_kind[SOAK_KINDS + 1][ANSWER_TYPE_COUNT];
  int64_t bursts;
  int64_t bursts_not_landed; // bursts the service had not fully seen within the wait
  int64_t reports_expected;  // ReportBlockedTool requests the alerts started
  ULONGLONG slow_answers_done_at;
  ULONGLONG last_request_at; // when the program last had a request under way
  uint32_t threads_at_rest;  // after start-up, once the count held still
  uint32_t deep_threads;     // at the first deep rest
  int settle_timeouts;

  int64_t paints_asked;
  int64_t paints_done; // the window had no update region left afterwards
  int64_t cycles_done;
  int64_t cycles_failed;
  int64_t tool_starts;
  int64_t tool_start_failures; // the driver could not start a copy at all
  int64_t tools_blocked;       // ended by the program with exit code 1
  int64_t alerts_asked;
  int64_t alerts_missing; // alerts that did not appear within the wait
  DWORD tool_lived_max_ms;
  uint64_t tool_lived_total_ms;
  DWORD clock_offset_minutes;

  SoakSample samples[SOAK_SAMPLES];
  int sample_count;
  double sample_at_percent[SOAK_SAMPLES];
  bool sample_deep[SOAK_SAMPLES]; // taken at deep rest

  bool program_died;
  DWORD died_exit_code;
  bool clean_exit;
  DWORD exit_code;
  ULONGLONG finished_at;
};

// Prints the table of samples, the growth judgement and the workload; returns the number
// of reasons the run failed, each printed on a "FAIL:" line.
int print_report(const SoakRun* run, const BoxTally* boxes, const ProbeTally* probe);
