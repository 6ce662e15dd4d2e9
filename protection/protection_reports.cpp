#include "protection/protection_reports.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kStates[] = {REPORT_PAUSED,
                               REPORT_RESUMED,
                               REPORT_CLOSED,
                               REPORT_REMOVED,
                               REPORT_ENDED_UNEXPECTEDLY,
                               REPORT_AUTOSTART_OFF,
                               REPORT_SHUTDOWN,
                               REPORT_SUSPENDED};

// Reads one line "<state> <digits>" starting at `line`, ending at '\n' or NUL.
bool parse_line(const char* line, size_t length, char* state, size_t state_capacity, uint64_t* at) {
  const char* space = static_cast<const char*>(memchr(line, ' ', length));
  if (space == nullptr) return false;
  const size_t state_length = static_cast<size_t>(space - line);
  if (state_length == 0 || state_length >= state_capacity) return false;
  char name[REPORT_STATE_CAPACITY];
  if (state_length >= sizeof(name)) return false;
  memcpy(name, line, state_length);
  name[state_length] = '\0';
  if (!is_report_state(name)) return false;
  const char* digit = space + 1;
  const char* end = line + length;
  if (digit == end || end - digit > 19) return false;
  uint64_t value = 0;
  for (; digit < end; ++digit) {
    if (*digit < '0' || *digit > '9') return false;
    value = value * 10 + static_cast<uint64_t>(*digit - '0');
  }
  memcpy(state, name, state_length + 1);
  *at = value;
  return true;
}

} // namespace

bool is_report_state(const char* state) {
  if (state == nullptr) return false;
  for (const char* known : kStates) {
    if (strcmp(state, known) == 0) return true;
  }
  return false;
}

bool report_queue_next(const char** cursor, char* state, size_t state_capacity, uint64_t* at) {
  const char* p = *cursor;
  while (p != nullptr && *p != '\0') {
    const char* end = strchr(p, '\n');
    const size_t length = end ? static_cast<size_t>(end - p) : strlen(p);
    const bool read = parse_line(p, length, state, state_capacity, at);
    p = end ? end + 1 : p + length;
    *cursor = p;
    if (read) return true;
  }
  return false;
}

bool report_queue_add(char* queue, size_t capacity, const char* state, uint64_t at) {
  if (!is_report_state(state) || capacity == 0) return false;
  // The kept reports that stay, oldest first, then the new one.
  char kept[REPORT_QUEUE_MAX + 1][REPORT_STATE_CAPACITY];
  uint64_t times[REPORT_QUEUE_MAX + 1];
  int count = 0;
  const char* cursor = queue;
  char name[REPORT_STATE_CAPACITY];
  uint64_t when = 0;
  while (report_queue_next(&cursor, name, sizeof(name), &when)) {
    if (count == REPORT_QUEUE_MAX) {
      memmove(kept[0], kept[1], sizeof(kept[0]) * (REPORT_QUEUE_MAX - 1));
      memmove(times, times + 1, sizeof(times[0]) * (REPORT_QUEUE_MAX - 1));
      count--;
    }
    memcpy(kept[count], name, sizeof(name));
    times[count++] = when;
  }
  if (count == REPORT_QUEUE_MAX) {
    memmove(kept[0], kept[1], sizeof(kept[0]) * (REPORT_QUEUE_MAX - 1));
    memmove(times, times + 1, sizeof(times[0]) * (REPORT_QUEUE_MAX - 1));
    count--;
  }
  snprintf(kept[count], sizeof(kept[count]), "%s", state);
  times[count++] = at;
  // Written oldest first; a line that would not fit is left out whole.
  size_t length = 0;
  queue[0] = '\0';
  for (int i = 0; i < count; ++i) {
    char line[48];
    const int n = snprintf(line, sizeof(line), "%s %llu\n", kept[i],
                           static_cast<unsigned long long>(times[i]));
    if (n <= 0 || length + static_cast<size_t>(n) >= capacity) break;
    memcpy(queue + length, line, static_cast<size_t>(n) + 1);
    length += static_cast<size_t>(n);
  }
  return true;
}

const char* report_for_last_run(bool marker_found, uint32_t marker_value, bool linked) {
  // Nobody to tell without a link; no marker (or one never written by us) means the last run
  // ended as it should, with nothing left to put right.
  if (!linked || !marker_found) return nullptr;
  if (marker_value == RUN_MARKER_RUNNING) return REPORT_ENDED_UNEXPECTEDLY;
  if (marker_value == RUN_MARKER_ENDED_PAUSED) return REPORT_RESUMED;
  return nullptr;
}
