#pragma once
// Asks the program's window for a WM_NULL round trip, over and over, from a thread of its
// own: a window that takes more than 2 s to answer has stalled.
#include <windows.h>

#include <cstdint>

#define SOAK_STALL_MS 2000
// A window silent this long is hung: the probe ends the program so the run can report.
#define SOAK_HUNG_MS 30000

struct ProbeTally {
  int64_t probes;
  int64_t answered;
  int64_t stalls;           // probes that got no answer within SOAK_STALL_MS
  DWORD slowest_answer_ms;  // the slowest answered round trip
  DWORD longest_silence_ms; // longest run of unanswered probes, start to end
  int64_t slow_answers;     // round trips above 500 ms
  bool window_gone;
  bool ended_hung; // the probe ended the program after SOAK_HUNG_MS of silence
};

// `process` (with PROCESS_TERMINATE) is ended if the window stays silent SOAK_HUNG_MS.
void start_probe(HWND window, HANDLE process);
void stop_probe(void);
void probe_tally(ProbeTally* out);
