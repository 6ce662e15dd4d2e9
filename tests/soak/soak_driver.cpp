// Soak test: the test-hook build of the program lives through a compressed day under
// Wine against olvex-service while its memory, handles, threads and windows are sampled
// and its window is probed for stalls.
//
//   soak_driver.exe [--short] [--verbose] [--shown] [--program EXE] [--tool EXE]
//                   [--interval MS]
//   soak_driver.exe --check      checks the run's own rules and exits
// The program and dummy_tool.exe are taken from the driver's folder unless given.
//
// Must run inside scripts/with-service, in the program's Wine prefix, with a screen.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/ids.h"
#include "app/test_hooks.h"
#include "tests/soak/soak_run_win.h"
#include "tests/soak/soak_tools_win.h"

namespace {

const DWORD kWindowWaitMs = 20000;
// Up to 50 answers that keep their connection open, through a service that serves 8
// connections at once and holds each idle one for 5 s.
const DWORD kLandWaitMs = 60000;
// Longer than the 5 s a held connection keeps a service thread.
const DWORD kLandIdleMs = 11000;
const DWORD kToolWaitMs = 8000;
const DWORD kAlertWaitMs = 10000;
const DWORD kVisibilityWaitMs = 5000;
const DWORD kSettleQuietMs = 1500;
const DWORD kSettleRestMs = 500;
const DWORD kStartStillMs = 6000;
const DWORD kSettleLimitMs = 60000;
// WinHTTP keeps an idle connection 30 s, and its collector looks every 5 s.
const ULONGLONG kDeepRestMs = 45000;
const ULONGLONG kDeepExtraMs = 20000;

SoakRun g_run;

void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  fflush(stdout);
}

double seconds_since_start(void) {
  return static_cast<double>(GetTickCount64() - g_run.started_at) / 1000.0;
}

bool g_verbose = false;

// Step-by-step trace for --verbose, with the time into the run.
void trace(const char* format, ...) {
  if (!g_verbose) return;
  printf("  [%8.2f] ", seconds_since_start());
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);
}

bool program_alive(void) {
  if (g_run.program_died) return false;
  if (WaitForSingleObject(g_run.process, 0) != WAIT_OBJECT_0) return true;
  g_run.program_died = true;
  GetExitCodeProcess(g_run.process, &g_run.died_exit_code);
  say("!! the program ended during the run (exit code %lu) at %.1f s\n",
      static_cast<unsigned long>(g_run.died_exit_code), seconds_since_start());
  return false;
}

void folder_of_module(wchar_t* out, size_t capacity) {
  GetModuleFileNameW(nullptr, out, static_cast<DWORD>(capacity - 1));
  out[capacity - 1] = L'\0';
  wchar_t* slash = wcsrchr(out, L'\\');
  if (slash != nullptr) *slash = L'\0';
}

struct MainWindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK find_main_window(HWND window, LPARAM context) {
  MainWindowSearch* s = reinterpret_cast<MainWindowSearch*>(context);
  wchar_t cls[64];
  if (GetClassNameW(window, cls, ARRAYSIZE(cls)) == 0) return TRUE;
  if (wcscmp(cls, CALLWARDEN_WINDOW_CLASS) != 0) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s->pid) return TRUE;
  s->found = window;
  return FALSE;
}

bool launch_program(void) {
  wchar_t command[MAX_PATH + 16];
  _snwprintf(command, ARRAYSIZE(command) - 1, L"\"%ls\"%ls", g_run.program,
             g_run.tray_start ? L" --tray" : L"");
  command[ARRAYSIZE(command) - 1] = L'\0';
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof(info));
  if (!CreateProcessW(g_run.program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    say("cannot start %ls (error %lu)\n", g_run.program, GetLastError());
    return false;
  }
  CloseHandle(info.hThread);
  g_run.process = info.hProcess;
  g_run.pid = info.dwProcessId;
  g_run.started_at = GetTickCount64();
  const ULONGLONG end = g_run.started_at + kWindowWaitMs;
  while (GetTickCount64() < end && program_alive()) {
    MainWindowSearch s = {g_run.pid, nullptr};
    EnumWindows(find_main_window, reinterpret_cast<LPARAM>(&s));
    if (s.found != nullptr) {
      g_run.window = s.found;
      WaitForInputIdle(g_run.process, 5000);
      return true;
    }
    Sleep(50);
  }
  say("the program's window did not appear\n");
  return false;
}

bool wait_visible(bool visible) {
  const ULONGLONG end = GetTickCount64() + kVisibilityWaitMs;
  while (GetTickCount64() < end) {
    if ((IsWindowVisible(g_run.window) != 0) == visible) return true;
    if (!program_alive()) return false;
    Sleep(10);
  }
  return false;
}

// --- service requests -------------------------------------------------------------------

// Sends one burst and waits until the service has seen it, so the prepared answer goes
// to this burst and not the next.
void send_burst(int kind, int count, AnswerType type, int delay_ms) {
  if (count <= 0 || !program_alive()) return;
  const int64_t before = service_api_requests(&g_run.log);
  if (!prepare_answers(type, delay_ms, count)) say("!! the service refused a prepared answer\n");
  if (!PostMessageW(g_run.window, WM_APP_TEST_REQUEST, static_cast<WPARAM>(kind), count)) {
    say("!! could not post a request burst (error %lu)\n", GetLastError());
    return;
  }
  g_run.requests_started += count;
  g_run.by_kind[kind][type] += count;
  g_run.bursts++;
  trace("burst: kind %d x %d, %s", kind, count, answer_type_name(type));
  const int64_t seen =
      wait_service_api_requests(&g_run.log, before + count, kLandWaitMs, kLandIdleMs);
  if (seen < before + count) g_run.bursts_not_landed++;
  if (GetTickCount64() > g_run.last_request_at) g_run.last_request_at = GetTickCount64();
  trace("burst landed: %lld of %d seen, %d boxes open", static_cast<long long>(seen - before),
        count, open_boxes());
}

// --- tools and alerts -------------------------------------------------------------------

void note_tool(bool blocked, DWORD lived_ms, DWORD exit_code) {
  g_run.tool_starts++;
  if (blocked) {
    g_run.tools_blocked++;
    g_run.tool_lived_total_ms += lived_ms;
    if (lived_ms > g_run.tool_lived_max_ms) g_run.tool_lived_max_ms = lived_ms;
  } else {
    say("!! a listed tool was not ended by the program (exit code %lu after %lu ms)\n",
        static_cast<unsigned long>(exit_code), static_cast<unsigned long>(lived_ms));
  }
}

void run_tool_once(int index) {
  ToolRun tool;
  // Starting a process can fail for a moment on a loaded machine (the copy just ended by
  // the program may still be going away); that says nothing about the program.
  bool started = false;
  for (int attempt = 0; attempt < 3 && !started; attempt++) {
    if (attempt > 0) Sleep(500);
    started = start_tool(g_run.tool_folder, index, &tool);
    if (!started) {
      say("!! could not start %ls (error %lu)%s\n", soak_tool_name(index), GetLastError(),
          attempt < 2 ? ", trying again" : "");
    }
  }
  if (!started) {
    g_run.tool_start_failures++;
    return;
  }
  DWORD lived = 0;
  DWORD code = 0;
  trace("tool %ls started", soak_tool_name(index));
  const bool blocked = wait_tool_blocked(&tool, kToolWaitMs, &lived, &code);
  trace("tool ended after %lu ms, exit code %lu", static_cast<unsigned long>(lived),
        static_cast<unsigned long>(code));
  note_tool(blocked, lived, code);
}

void blocker_alert(int alert_number) {
  if (!program_alive()) return;
  BoxTally before;
  box_tally(&before);
  // The alert throttle runs on the program's tick clock: a minute forward each time makes
  // every start a new alert, whatever tool came before.
  g_run.clock_offset_minutes++;
  set_test_dword(L"ClockOffsetMinutes", g_run.clock_offset_minutes);
  g_run.alerts_asked++;
  g_run.reports_expected++;
  run_tool_once(alert_number);
  // The alert's report goes out with it.
  if (GetTickCount64() > g_run.last_request_at) g_run.last_request_at = GetTickCount64();
  const ULONGLONG end = GetTickCount64() + kAlertWaitMs;
  for (;;) {
    BoxTally now;
    box_tally(&now);
    if (now.alerts > before.alerts) break;
    if (GetTickCount64() >= end || !program_alive()) {
      g_run.alerts_missing++;
      say("!! no alert box for %ls\n", soak_tool_name(alert_number));
      break;
    }
    Sleep(20);
  }
  // The same tool again, inside the throttle: ended without a new alert.
  for (int i = 0; i < g_run.plan.probe_kills_per_alert; i++) {
    run_tool_once(alert_number);
  }
}

// --- window: hide, show, paint ----------------------------------------------------------

void paint_once(void) {
  g_run.paints_asked++;
  InvalidateRect(g_run.window, nullptr, FALSE);
  // RDW_UPDATENOW sends WM_PAINT to the program's thread and returns once it was handled;
  // BeginPaint there leaves no update region. A result handled just after may invalidate
  // the window again, so a region left over gets two more tries before the paint counts as
  // not handled.
  for (int attempt = 0; attempt < 3; attempt++) {
    RedrawWindow(g_run.window, nullptr, nullptr, RDW_UPDATENOW);
    RECT left;
    if (!GetUpdateRect(g_run.window, &left, FALSE)) {
      g_run.paints_done++;
      return;
    }
  }
  say("!! a paint left the window's update region in place\n");
}

void hide_show_cycle(int paints) {
  if (!program_alive()) return;
  trace("hide/show cycle, then %d paints", paints);
  PostMessageW(g_run.window, WM_CLOSE, 0, 0);
  const bool hidden = wait_visible(false);
  PostMessageW(g_run.window, WM_APP_SHOW, 0, 0);
  const bool shown = wait_visible(true);
  if (hidden && shown) {
    g_run.cycles_done++;
  } else {
    g_run.cycles_failed++;
    say("!! hide/show cycle failed (hidden %d, shown %d)\n", hidden, shown);
  }
  for (int i = 0; i < paints; i++)
    paint_once();
}

// --- settling and sampling --------------------------------------------------------------

// Waits until slow answers are in, no box has been open for a while and the program is
// back to the threads it had at rest after start-up (Wine keeps idle pool threads for a
// few seconds), so every sample sees the program at rest in the tray.
//
// A deep rest also outlasts the connections WinHTTP keeps open after each request (Wine
// closes an idle one after 30 s, and with it goes a thread, about twenty handles and a
// megabyte of TLS state): the warm and the last sample are taken at deep rest, so the
// figures that are compared do not depend on where a cache happened to be.
void settle(bool deep) {
  trace(deep ? "settling (deep)" : "settling");
  ULONGLONG wait_until = g_run.slow_answers_done_at;
  if (deep && g_run.last_request_at + kDeepRestMs > wait_until) {
    wait_until = g_run.last_request_at + kDeepRestMs;
  }
  while (GetTickCount64() < wait_until && program_alive())
    Sleep(100);
  // The pair must be alike: the last deep sample waits for the threads of the first.
  if (deep && g_run.deep_threads > 0) {
    const ULONGLONG limit = GetTickCount64() + kDeepExtraMs;
    while (count_threads(g_run.pid) > g_run.deep_threads && GetTickCount64() < limit &&
           program_alive())
      Sleep(100);
  }
  if (IsWindowVisible(g_run.window)) {
    PostMessageW(g_run.window, WM_CLOSE, 0, 0);
    wait_visible(false);
  }
  const ULONGLONG limit = GetTickCount64() + kSettleLimitMs;
  ULONGLONG rest_since = 0;
  while (program_alive()) {
    const ULONGLONG now = GetTickCount64();
    const bool quiet = open_boxes() == 0 && now - last_box_seen_at() >= kSettleQuietMs;
    const bool at_rest = count_threads(g_run.pid) <= g_run.threads_at_rest;
    if (quiet && at_rest && !IsWindowVisible(g_run.window)) {
      if (rest_since == 0) rest_since = now;
      if (now - rest_since >= kSettleRestMs) return;
    } else {
      rest_since = 0;
    }
    if (now >= limit) {
      g_run.settle_timeouts++;
      say("!! the program was not back at rest within %lu s (threads %u, at rest %u, boxes "
          "%d)\n",
          static_cast<unsigned long>(kSettleLimitMs / 1000), count_threads(g_run.pid),
          g_run.threads_at_rest, open_boxes());
      return;
    }
    Sleep(100);
  }
}

// After start-up: the thread count once it has held still for a while.
void learn_threads_at_rest(void) {
  const ULONGLONG limit = GetTickCount64() + kSettleLimitMs;
  uint32_t threads = count_threads(g_run.pid);
  ULONGLONG since = GetTickCount64();
  while (GetTickCount64() < limit && program_alive()) {
    Sleep(100);
    const uint32_t t = count_threads(g_run.pid);
    if (t != threads) {
      threads = t;
      since = GetTickCount64();
    } else if (GetTickCount64() - since >= kStartStillMs) {
      break;
    }
  }
  g_run.threads_at_rest = threads;
  trace("threads at rest: %u", threads);
}

void wait_for_ticks(int64_t ticks) {
  const ULONGLONG due = g_run.started_at + time_for_ticks(ticks, g_run.effective_interval_ms);
  while (GetTickCount64() < due && program_alive())
    Sleep(100);
}

void take_and_print_sample(double percent, bool deep) {
  if (!program_alive() || g_run.sample_count >= SOAK_SAMPLES) return;
  SoakSample* s = &g_run.samples[g_run.sample_count];
  if (!take_sample(g_run.process, g_run.pid, s)) {
    say("!! could not read the program's figures (error %lu)\n", GetLastError());
    return;
  }
  s->at_ms = GetTickCount64() - g_run.started_at;
  g_run.sample_at_percent[g_run.sample_count] = percent;
  g_run.sample_deep[g_run.sample_count] = deep;
  if (deep && g_run.deep_threads == 0) g_run.deep_threads = s->threads;
  g_run.sample_count++;
  say("sample %3.0f%%%s at %7.1f s: private %llu KB, working set %llu KB, handles %u, GDI %u, "
      "USER %u, threads %u, windows %u\n",
      percent, deep ? "*" : "", static_cast<double>(s->at_ms) / 1000.0,
      static_cast<unsigned long long>(s->private_bytes / 1024),
      static_cast<unsigned long long>(s->working_set / 1024), s->handles, s->gdi_objects,
      s->user_objects, s->threads, s->windows);
}

// --- one tenth of the day ---------------------------------------------------------------

int g_burst_number;
int g_alert_number;

void slow_answers(int slice) {
  const int kind = slow_kind_of_slice(slice);
  send_burst(kind, g_run.plan.slow_inside, ANSWER_SLOW, SOAK_SLOW_INSIDE_MS);
  send_burst(kind, g_run.plan.slow_past, ANSWER_SLOW, SOAK_SLOW_PAST_MS);
  const ULONGLONG now = GetTickCount64();
  g_run.slow_answers_done_at = now + SOAK_SLOW_PAST_MS + 3000;
  // The late ones were given up by the program at 24 s; the others were answered.
  g_run.last_request_at = now + SOAK_SLOW_INSIDE_MS;
}

void run_slice(int slice) {
  const ULONGLONG slice_start = GetTickCount64();
  const int bursts = bursts_in_slice(&g_run.plan, slice);
  const int alerts = share_of(g_run.plan.alerts, slice, SOAK_SLICES);
  const int cycles = share_of(g_run.plan.cycles, slice, SOAK_SLICES);
  const int paints = share_of(g_run.plan.paints, slice, SOAK_SLICES);
  const int steps = bursts > 0 ? bursts : 1;
  const bool slow = slice_has_slow(&g_run.plan, slice);
  // A few slow answers can run beside the bursts; more would starve them of service threads.
  if (slow && g_run.plan.slow_beside_bursts) slow_answers(slice);
  if (slice == 0) {
    for (int i = 0; i < g_run.plan.warm_up_failure_bursts && program_alive(); i++)
      send_burst(warm_up_kind(i), SOAK_WARM_UP_BURST, ANSWER_EMPTY, 0);
  }
  int alerts_done = 0;
  int cycles_done = 0;
  // Alerts and hide/show cycles are spread between the bursts; each cycle's paints are
  // made while the window is shown.
  for (int step = 1; step <= steps && program_alive(); step++) {
    if (step <= bursts) {
      send_burst(burst_kind(g_burst_number), g_run.plan.burst_size, burst_answer(g_burst_number),
                 0);
      g_burst_number++;
    }
    for (; alerts_done < alerts * step / steps && program_alive(); alerts_done++)
      blocker_alert(g_alert_number++);
    for (; cycles_done < cycles * step / steps && program_alive(); cycles_done++)
      hide_show_cycle(share_of(paints, cycles_done, cycles));
  }
  if (cycles == 0 && paints > 0 && program_alive()) {
    PostMessageW(g_run.window, WM_APP_SHOW, 0, 0);
    wait_visible(true);
    for (int i = 0; i < paints; i++)
      paint_once();
  }
  // Otherwise slow answers come last, and the slice ends once they are in.
  if (slow && !g_run.plan.slow_beside_bursts && program_alive()) slow_answers(slice);
  say("slice %d: work done in %.1f s (requests so far %lld, service saw %lld)\n", slice + 1,
      static_cast<double>(GetTickCount64() - slice_start) / 1000.0,
      static_cast<long long>(g_run.requests_started),
      static_cast<long long>(service_api_requests(&g_run.log)));
}

// --- the end ----------------------------------------------------------------------------

// Exits the way a user does: tray menu Exit, then Yes in the confirmation.
void exit_program(void) {
  if (!program_alive()) return;
  const ULONGLONG quiet_by = GetTickCount64() + 30000;
  while (open_boxes() > 0 && GetTickCount64() < quiet_by)
    Sleep(50);
  pause_box_dismisser(true);
  PostMessageW(g_run.window, WM_COMMAND, MAKEWPARAM(IDM_TRAY_EXIT, 0), 0);
  const ULONGLONG end = GetTickCount64() + 15000;
  bool answered = false;
  while (GetTickCount64() < end) {
    if (WaitForSingleObject(g_run.process, 50) == WAIT_OBJECT_0) break;
    HWND boxes[16];
    const int n = find_boxes(g_run.pid, boxes, 16);
    for (int i = 0; i < n; i++) {
      if (GetDlgItem(boxes[i], IDYES) != nullptr) {
        if (!answered) answered = press_button(boxes[i], IDYES);
      } else {
        press_button(boxes[i], IDOK); // a late notice on top of the question
      }
    }
  }
  if (WaitForSingleObject(g_run.process, 5000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(g_run.process, &g_run.exit_code);
    g_run.clean_exit = answered;
  } else {
    say("!! the program did not exit after Exit and Yes; terminating it\n");
    TerminateProcess(g_run.process, 99);
    WaitForSingleObject(g_run.process, 5000);
    g_run.exit_code = 99;
  }
}

bool parse_arguments(int argc, wchar_t** argv) {
  wchar_t here[MAX_PATH];
  folder_of_module(here, MAX_PATH);
  _snwprintf(g_run.program, MAX_PATH - 1, L"%ls\\Olvex-Callwarden-testhooks.exe", here);
  _snwprintf(g_run.dummy_tool, MAX_PATH - 1, L"%ls\\dummy_tool.exe", here);
  g_run.tray_start = true;
  int short_run = 0;
  int interval = 0;
  for (int i = 1; i < argc; i++) {
    if (wcscmp(argv[i], L"--short") == 0) {
      short_run = 1;
    } else if (wcscmp(argv[i], L"--verbose") == 0) {
      g_verbose = true;
    } else if (wcscmp(argv[i], L"--shown") == 0) {
      g_run.tray_start = false;
    } else if (wcscmp(argv[i], L"--program") == 0 && i + 1 < argc) {
      wcsncpy(g_run.program, argv[++i], MAX_PATH - 1);
    } else if (wcscmp(argv[i], L"--tool") == 0 && i + 1 < argc) {
      wcsncpy(g_run.dummy_tool, argv[++i], MAX_PATH - 1);
    } else if (wcscmp(argv[i], L"--interval") == 0 && i + 1 < argc) {
      interval = _wtoi(argv[++i]);
    } else {
      say("unknown argument: %ls\n", argv[i]);
      return false;
    }
  }
  make_plan(short_run, &g_run.plan);
  if (interval > 0) g_run.plan.blocker_interval_ms = interval;
  return true;
}

int finish(int failures) {
  say("\nSOAK VERDICT: %s (%s run, %d reason%s)\n", failures == 0 ? "PASS" : "FAIL",
      g_run.plan.short_run ? "short" : "full", failures, failures == 1 ? "" : "s");
  return failures == 0 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  const int broken_rules = check_soak_rules();
  if (argc == 2 && wcscmp(argv[1], L"--check") == 0) {
    say("soak rule checks: %s\n", broken_rules == 0 ? "all passed" : "FAILED");
    return broken_rules == 0 ? 0 : 1;
  }
  if (broken_rules != 0) return 2;
  if (!parse_arguments(argc, argv)) return 2;
  const SoakPlan& plan = g_run.plan;

  if (FindWindowW(CALLWARDEN_WINDOW_CLASS, nullptr) != nullptr) {
    say("a copy of the program is already running in this prefix\n");
    return 2;
  }
  if (!open_service_log(&g_run.log) || !reset_answers()) {
    say("olvex-service is not reachable: run inside scripts/with-service\n");
    return 2;
  }
  service_api_requests(&g_run.log); // earlier runs' lines are not ours
  const int64_t api_before = g_run.log.api_requests;
  if (!prepare_tool_copies(g_run.dummy_tool, g_run.tool_folder, MAX_PATH)) {
    say("cannot copy %ls under the tool names\n", g_run.dummy_tool);
    return 2;
  }

  remove_test_key();
  set_test_dword(L"BlockerIntervalMs", static_cast<DWORD>(plan.blocker_interval_ms));
  set_test_dword(L"ClockOffsetMinutes", 0);
  g_run.effective_interval_ms =
      measure_effective_interval(static_cast<UINT>(plan.blocker_interval_ms), 2000);
  say("soak (%s): %lld blocker ticks at %d ms (a timer here really fires every %.2f ms with a "
      "tick's work), %d bursts of %d requests over %d kinds and %d answer types plus slow "
      "answers, %d paints, %d hide/show cycles, %d alerts\n",
      plan.short_run ? "short" : "full", static_cast<long long>(plan.ticks),
      plan.blocker_interval_ms, g_run.effective_interval_ms, plan.bursts, plan.burst_size,
      SOAK_KINDS, ANSWER_TYPE_COUNT - 1, plan.paints, plan.cycles, plan.alerts);

  if (!launch_program()) {
    if (g_run.process != nullptr) {
      TerminateProcess(g_run.process, 99);
      WaitForSingleObject(g_run.process, 5000);
      CloseHandle(g_run.process);
    }
    remove_tool_copies(g_run.tool_folder);
    remove_test_key();
    return 2;
  }
  start_box_dismisser(g_run.pid);
  start_probe(g_run.window, g_run.process);
  say("program started (pid %lu, %ls)\n", static_cast<unsigned long>(g_run.pid),
      g_run.tray_start ? L"--tray" : L"shown");

  // The start-up AppStatus request is part of the first sample's state.
  g_run.reports_expected = 0;
  wait_service_api_requests(&g_run.log, api_before + 1, 10000, 10000);
  learn_threads_at_rest();
  settle(false);
  take_and_print_sample(0.0, false);

  for (int slice = 0; slice < SOAK_SLICES && program_alive(); slice++) {
    run_slice(slice);
    wait_for_ticks(plan.ticks * (slice + 1) / SOAK_SLICES);
    // The warm sample and the last one are the pair that is judged.
    const bool deep = slice == 0 || slice == SOAK_SLICES - 1;
    settle(deep);
    take_and_print_sample(100.0 * (slice + 1) / SOAK_SLICES, deep);
  }
  g_run.finished_at = GetTickCount64();

  stop_probe();
  BoxTally boxes;
  box_tally(&boxes);
  ProbeTally probe;
  probe_tally(&probe);
  exit_program();
  stop_box_dismisser();
  g_run.log.api_requests -= api_before;
  service_api_requests(&g_run.log);
  reset_answers();
  remove_tool_copies(g_run.tool_folder);
  remove_test_key();
  CloseHandle(g_run.process);

  return finish(print_report(&g_run, &boxes, &probe));
}
