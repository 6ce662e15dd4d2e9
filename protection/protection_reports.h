#pragma once
// What a linked computer tells the service about its own protection, without the platform:
// the reports kept while the service cannot be reached (a short text under the program's
// registry key), and whether the last run ended without Exit or a Windows shutdown.
#include <cstddef>
#include <cstdint>

// The states a report names, as the service knows them.
#define REPORT_PAUSED "paused"
#define REPORT_RESUMED "resumed"
#define REPORT_CLOSED "closed"
#define REPORT_REMOVED "removed"
#define REPORT_ENDED_UNEXPECTEDLY "ended_unexpectedly"
#define REPORT_AUTOSTART_OFF "autostart_off"
// Expected silence: Windows shuts down or signs out, or the computer goes to sleep.
#define REPORT_SHUTDOWN "shutdown"
#define REPORT_SUSPENDED "suspended"

// At most this many reports are kept; a 17th drops the oldest.
#define REPORT_QUEUE_MAX 16
// One line a report: "<state> <seconds since 1970>\n". 16 lines of at most 40 bytes.
#define REPORT_QUEUE_CAPACITY 700
#define REPORT_STATE_CAPACITY 24

// True for a state the service knows.
bool is_report_state(const char* state);

// Adds a report to the end of the kept `queue` text (NUL-terminated, `capacity` bytes),
// dropping the oldest while more than REPORT_QUEUE_MAX would be kept. Lines that are not
// reports (a damaged value) are dropped too. False only for a state the service does not know.
bool report_queue_add(char* queue, size_t capacity, const char* state, uint64_t at);

// Reads the report at `*cursor` of a kept queue and moves the cursor past it: true with its
// state and time, false at the end. Damaged lines are passed over.
bool report_queue_next(const char** cursor, char* state, size_t state_capacity, uint64_t* at);

// What the start-up finds of the last run: the marker is set at start, and at a clean end
// (Exit, the uninstall, a Windows shutdown or sign-out) removed, or set to
// RUN_MARKER_ENDED_PAUSED when the blocker was paused then. `marker_found` and `marker_value`
// are what was read; `linked` whether a sign-in token is stored. The report the family should
// get for it: REPORT_ENDED_UNEXPECTEDLY for a run that never ended cleanly, REPORT_RESUMED for
// one that ended paused (every start begins with the blocker on), or null.
const char* report_for_last_run(bool marker_found, uint32_t marker_value, bool linked);

// The marker's values.
#define RUN_MARKER_RUNNING 1u
#define RUN_MARKER_ENDED_PAUSED 2u
