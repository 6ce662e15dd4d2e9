#include "tests/soak/soak_probe_win.h"

namespace {

const DWORD kProbeEveryMs = 200;
const DWORD kSlowAnswerMs = 500;

struct Probe {
  HWND window;
  HANDLE process;
  HANDLE thread;
  volatile LONG stop;
  CRITICAL_SECTION lock; // guards tally
  ProbeTally tally;
};

Probe g_probe;

DWORD WINAPI probe_loop(LPVOID) {
  ULONGLONG silent_since = 0;
  while (!g_probe.stop) {
    const ULONGLONG sent_at = GetTickCount64();
    DWORD_PTR result = 0;
    const LRESULT answered =
        SendMessageTimeoutW(g_probe.window, WM_NULL, 0, 0, SMTO_NORMAL, SOAK_STALL_MS, &result);
    const ULONGLONG now = GetTickCount64();
    const DWORD took = static_cast<DWORD>(now - sent_at);
    const bool gone = !IsWindow(g_probe.window);
    EnterCriticalSection(&g_probe.lock);
    g_probe.tally.probes++;
    if (gone) {
      g_probe.tally.window_gone = true;
    } else if (answered) {
      g_probe.tally.answered++;
      if (took > g_probe.tally.slowest_answer_ms) g_probe.tally.slowest_answer_ms = took;
      if (took > kSlowAnswerMs) g_probe.tally.slow_answers++;
      silent_since = 0;
    } else {
      g_probe.tally.stalls++;
      if (silent_since == 0) silent_since = sent_at;
      const DWORD silence = static_cast<DWORD>(now - silent_since);
      if (silence > g_probe.tally.longest_silence_ms) g_probe.tally.longest_silence_ms = silence;
      // Without this a hung program would hold the driver in its next cross-process call
      // (a paint is sent, not posted) and the run would never report.
      if (silence >= SOAK_HUNG_MS && !g_probe.tally.ended_hung) {
        g_probe.tally.ended_hung = true;
        TerminateProcess(g_probe.process, 3);
      }
    }
    LeaveCriticalSection(&g_probe.lock);
    if (gone) break;
    Sleep(kProbeEveryMs);
  }
  return 0;
}

} // namespace

void start_probe(HWND window, HANDLE process) {
  ZeroMemory(&g_probe, sizeof(g_probe));
  InitializeCriticalSection(&g_probe.lock);
  g_probe.window = window;
  g_probe.process = process;
  g_probe.thread = CreateThread(nullptr, 0, probe_loop, nullptr, 0, nullptr);
}

void stop_probe(void) {
  if (g_probe.thread == nullptr) return;
  InterlockedExchange(&g_probe.stop, 1);
  WaitForSingleObject(g_probe.thread, SOAK_STALL_MS + 3000);
  CloseHandle(g_probe.thread);
  g_probe.thread = nullptr;
}

void probe_tally(ProbeTally* out) {
  EnterCriticalSection(&g_probe.lock);
  *out = g_probe.tally;
  LeaveCriticalSection(&g_probe.lock);
}
