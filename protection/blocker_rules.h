#pragma once
// What the remote-tool blocker and the one-hour override decide, kept apart from the
// Windows calls so every decision can be checked with any clock value. All ticks are
// GetTickCount64 milliseconds and are compared unsigned.
#include <cstddef>
#include <cstdint>

// A repeated alert for the same tool needs a gap of more than this.
#define BLOCKER_REPEAT_ALERT_GAP_MS 9999u
// Length of an override, counted from the moment it is granted.
#define OVERRIDE_LENGTH_MS 3600000u
// Process ids 0 to this one are the idle and system processes.
#define BLOCKER_HIGHEST_SYSTEM_PID 4u
#define OVERRIDE_PIN_LENGTH 4

// The remote-control tools: each executable name (lower case) with the product it belongs
// to, in the order a name is compared.
struct RemoteTool {
  const wchar_t* file_name;
  const wchar_t* product;
};
#define REMOTE_TOOL_COUNT 24
extern const RemoteTool remote_tools[REMOTE_TOOL_COUNT];

// Whole-string equality ignoring the case of ASCII letters only. Any other character,
// letters outside ASCII included, must be identical.
bool equal_ignoring_ascii_case(const wchar_t* a, const wchar_t* b);

// Index into remote_tool_names of the first name equal to `exe_name`, or -1.
int remote_tool_index(const wchar_t* exe_name);

// Index of the tool whose name a version resource's OriginalFilename or InternalName gives,
// or -1. As the file-name match, ignoring ASCII case, except that a missing or extra final
// ".exe" does not matter: makers often write "AnyDesk" as the internal name.
int version_name_tool_index(const wchar_t* value);

// False for the idle and system processes, for the program itself and for an entry
// without a name: the blocker never opens those.
bool blocker_may_touch(uint32_t process_id, uint32_t own_process_id, const wchar_t* exe_name);

// Whether a tick that terminated `kept_name` alerts: a tool other than the last one
// alerted, or the same one more than BLOCKER_REPEAT_ALERT_GAP_MS after that alert.
bool blocker_should_alert(const wchar_t* kept_name, const wchar_t* last_alerted_name, uint64_t now,
                          uint64_t last_alert_tick);

enum OverrideGate {
  OVERRIDE_NONE,    // no override stored: the tick runs
  OVERRIDE_RUNNING, // the tick does nothing
  OVERRIDE_ENDED    // the stored override has passed: clear it, then the tick runs
};
OverrideGate override_gate(uint64_t now, uint64_t override_until);

// The tick until which an override granted at `now` runs.
uint64_t override_end_tick(uint64_t now);

// Exactly four ASCII digits, nothing else: no blanks, no line breaks, no other digits.
bool is_valid_override_pin(const wchar_t* text);

// "<exe name> (<product>)" for a tool found by its version resource under another name. The
// file name is cut first, so the product stays whole whenever it fits in capacity - 1.
void format_found_tool(wchar_t* out, size_t capacity, const wchar_t* exe_name,
                       const wchar_t* product);

// The alert for a terminated tool, cut to capacity - 1 units and always terminated.
void format_blocker_alert(wchar_t* out, size_t capacity, const wchar_t* tool_name);
