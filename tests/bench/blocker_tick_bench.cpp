// What one blocker tick's process sweep costs, and how it grows with the number of
// processes: the program's own terminate_remote_tools (names and version resources), beside
// the same walk by name alone, timed over many sweeps with a small and a large crowd of
// harmless processes running. The first sweep after the crowd appears, when every image is
// read, is timed on its own. Prints figures only.
//
//   bench_blocker_tick.exe [--sweeps N] [--first N] [--small N] [--large N]
// The crowd sizes count every process in the snapshot, the prefix's own included.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <tlhelp32.h>

#include "protection/tool_sweep.h"
#include "tests/bench/bench_clock_win.h"
#include "tests/bench/bench_stats.h"
#include "tests/bench/process_crowd_win.h"

namespace {

const int kWarmUpSweeps = 10;
const int kMaxSweeps = 5000;

struct SweepFigures {
  int processes;               // entries in the snapshot while measuring
  SampleSummary sweep;         // the program's sweep, every image already read (steady state)
  SampleSummary by_name;       // the walk by name alone
  SampleSummary first;         // the program's sweep with every image still to be read
  SampleSummary snapshot_only; // what Windows (here Wine) costs before any name is read
  int sweeps_that_ended_something;
};

double time_snapshot_alone(void) {
  const double start = now_microseconds();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
  return now_microseconds() - start;
}

struct Samples {
  double* sweep;
  double* by_name;
  double* first;
  double* snapshot;
};

double time_sweep(bool (*run)(wchar_t*, size_t), int* ended) {
  wchar_t kept[64];
  const double start = now_microseconds();
  const bool terminated = run(kept, 64);
  const double took = now_microseconds() - start;
  if (terminated) (*ended)++;
  return took;
}

// Times `sweeps` calls of each sweep, in microseconds, taking turns so that both see the same
// moments of a shared machine; a bare snapshot is timed after each pair. Then `firsts` sweeps
// that each begin with every image forgotten.
SweepFigures measure_sweeps(int sweeps, int firsts, const Samples& out) {
  SweepFigures f;
  ZeroMemory(&f, sizeof(f));
  f.processes = count_processes();
  int* ended = &f.sweeps_that_ended_something;
  for (int i = 0; i < kWarmUpSweeps; i++) {
    time_sweep(terminate_remote_tools, ended);
    time_sweep(terminate_remote_tools_by_name, ended);
  }
  for (int i = 0; i < sweeps; i++) {
    out.sweep[i] = time_sweep(terminate_remote_tools, ended);
    out.by_name[i] = time_sweep(terminate_remote_tools_by_name, ended);
    out.snapshot[i] = time_snapshot_alone();
  }
  for (int i = 0; i < firsts; i++) {
    forget_process_images();
    out.first[i] = time_sweep(terminate_remote_tools, ended);
  }
  f.sweep = summarize_samples(out.sweep, static_cast<size_t>(sweeps));
  f.by_name = summarize_samples(out.by_name, static_cast<size_t>(sweeps));
  f.first = summarize_samples(out.first, static_cast<size_t>(firsts));
  f.snapshot_only = summarize_samples(out.snapshot, static_cast<size_t>(sweeps));
  return f;
}

void print_row(int processes, const SampleSummary& s) {
  std::printf("  %9d %9.1f %9.1f %9.1f %9.1f %9.1f\n", processes, s.median, s.p95, s.mean, s.min,
              s.max);
}

// The crowd program sits beside this one.
bool sibling_path(const wchar_t* name, wchar_t* out, size_t capacity) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  wchar_t* slash = wcsrchr(self, L'\\');
  if (slash == nullptr) return false;
  *slash = L'\0';
  const int written = swprintf(out, capacity, L"%ls\\%ls", self, name);
  return written >= 0 && static_cast<size_t>(written) < capacity;
}

int int_option(int argc, char** argv, const char* name, int fallback, int low, int high) {
  for (int i = 1; i + 1 < argc; i++) {
    if (std::strcmp(argv[i], name) != 0) continue;
    const int v = std::atoi(argv[i + 1]);
    return (v < low || v > high) ? fallback : v;
  }
  return fallback;
}

// Grows the crowd until the snapshot holds `processes` entries and lets it settle. The
// prefix's own processes come and go (a console host, a loader that has just finished), so
// the count is taken again after each settling until it is reached.
bool crowd_to_size(ProcessCrowd* crowd, int processes) {
  const double start = now_microseconds();
  unsigned settled_ms = 0;
  bool quiet = true;
  for (int round = 0; round < 4; round++) {
    const int others = count_processes() - static_cast<int>(crowd_alive(crowd));
    if (others < 0) return false;
    const int wanted = processes - others;
    if (wanted <= static_cast<int>(crowd->count)) break;
    if (!crowd_grow_to(crowd, static_cast<size_t>(wanted))) {
      std::printf("  could not start crowd process %u (error %lu)\n",
                  static_cast<unsigned>(crowd->count + 1), GetLastError());
      return false;
    }
    settled_ms += crowd_settle(5000, &quiet);
  }
  std::printf("  crowd of %u helpers ready in %.1f s (%u ms of it settling%s)\n",
              static_cast<unsigned>(crowd->count), (now_microseconds() - start) / 1e6, settled_ms,
              quiet ? "" : "; processors still busy, figures may be high");
  return true;
}

} // namespace

int main(int argc, char** argv) {
  const int sweeps = int_option(argc, argv, "--sweeps", 200, 1, kMaxSweeps);
  const int firsts = int_option(argc, argv, "--first", 10, 1, kMaxSweeps);
  const int small = int_option(argc, argv, "--small", 50, 1, CROWD_CAPACITY);
  const int large = int_option(argc, argv, "--large", 300, 1, CROWD_CAPACITY);

  wchar_t source[MAX_PATH];
  // An idle program with an ordinary version resource: every image has one to read.
  if (!sibling_path(L"ordinary_tool.exe", source, MAX_PATH) ||
      GetFileAttributesW(source) == INVALID_FILE_ATTRIBUTES) {
    std::printf("bench_blocker_tick: ordinary_tool.exe not found beside this program\n");
    return 2;
  }
  static double sweep_samples[kMaxSweeps];
  static double name_samples[kMaxSweeps];
  static double first_samples[kMaxSweeps];
  static double snapshot_samples[kMaxSweeps];
  const Samples samples = {sweep_samples, name_samples, first_samples, snapshot_samples};
  static ProcessCrowd crowd;
  if (!crowd_open(&crowd, source)) {
    std::printf("bench_blocker_tick: could not prepare the crowd folder\n");
    return 2;
  }

  std::printf("Blocker tick: one sweep of terminate_remote_tools (snapshot walk, name matching "
              "and the version resources of images not read before)\n");
  std::printf("  %d sweeps of each kind per crowd after %d warm-up sweeps, then %d first "
              "sweeps; microseconds\n",
              sweeps, kWarmUpSweeps, firsts);
  std::printf("  before the crowd: %d processes in the prefix\n", count_processes());

  SweepFigures figures[2];
  const int sizes[2] = {small, large};
  int measured = 0;
  for (int i = 0; i < 2; i++) {
    if (!crowd_to_size(&crowd, sizes[i])) break;
    figures[i] = measure_sweeps(sweeps, firsts, samples);
    measured++;
  }
  const size_t alive = crowd_alive(&crowd);
  const size_t started = crowd.count;
  const unsigned retried = crowd.retried_starts;
  crowd_close(&crowd);

  std::printf("  %9s %9s %9s %9s %9s %9s\n", "processes", "median", "p95", "mean", "min", "max");
  std::printf("  by name alone (terminate_remote_tools_by_name):\n");
  for (int i = 0; i < measured; i++)
    print_row(figures[i].processes, figures[i].by_name);
  std::printf("  with the version check, every process seen before (terminate_remote_tools):\n");
  for (int i = 0; i < measured; i++)
    print_row(figures[i].processes, figures[i].sweep);
  std::printf("  with the version check, first sweep after every process is new:\n");
  for (int i = 0; i < measured; i++)
    print_row(figures[i].processes, figures[i].first);
  for (int i = 0; i < measured; i++) {
    std::printf("  version check in steady state at %d processes: %+.1f %% of the sweep by name "
                "(median), %+.1f %% (mean)\n",
                figures[i].processes,
                100.0 * (ratio_or_zero(figures[i].sweep.median, figures[i].by_name.median) - 1.0),
                100.0 * (ratio_or_zero(figures[i].sweep.mean, figures[i].by_name.mean) - 1.0));
  }
  std::printf("  the snapshot alone, timed beside each sweep (CreateToolhelp32Snapshot + "
              "CloseHandle):\n");
  for (int i = 0; i < measured; i++)
    print_row(figures[i].processes, figures[i].snapshot_only);
  if (measured == 2) {
    const SweepFigures& a = figures[0];
    const SweepFigures& b = figures[1];
    std::printf("  ratio %d/%d processes (process count ratio %.2f): median %.2f, p95 %.2f, "
                "mean %.2f\n",
                b.processes, a.processes, ratio_or_zero(b.processes, a.processes),
                ratio_or_zero(b.sweep.median, a.sweep.median),
                ratio_or_zero(b.sweep.p95, a.sweep.p95), ratio_or_zero(b.sweep.mean, a.sweep.mean));
    const int extra = b.processes - a.processes;
    if (extra > 0) {
      std::printf("  growth per extra process (median): %.1f us per sweep\n",
                  (b.sweep.median - a.sweep.median) / extra);
    }
  }
  int ended = 0;
  for (int i = 0; i < measured; i++)
    ended += figures[i].sweeps_that_ended_something;
  std::printf("  sweeps that ended a process: %d; crowd still running at the end: %u of %u "
              "(starts retried: %u)\n",
              ended, static_cast<unsigned>(alive), static_cast<unsigned>(started), retried);
  std::printf("  after clean-up: %d processes in the prefix\n", count_processes());
  return measured == 2 ? 0 : 1;
}
