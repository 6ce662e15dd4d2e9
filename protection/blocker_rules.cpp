#include "protection/blocker_rules.h"

#include "protection/protection_texts.h"

const wchar_t* const remote_tool_names[10] = {
    L"anydesk.exe",
    L"teamviewer.exe",
    L"ultraviewer_desktop.exe",
    L"ultraviewer_service.exe",
    L"supremo.exe",
    L"screenconnect.windowsclient.exe",
    L"screenconnect.clientservice.exe",
    L"rustdesk.exe",
    L"quickassist.exe",
    nullptr,
};

static wchar_t fold_ascii(wchar_t c) {
  // Only A-Z: locale or Unicode folding would let look-alike letters (the Kelvin sign,
  // a dotless i) through, and the list holds plain ASCII names.
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool equal_ignoring_ascii_case(const wchar_t* a, const wchar_t* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (;; a++, b++) {
    if (fold_ascii(*a) != fold_ascii(*b)) return false;
    if (*a == L'\0') return true;
  }
}

int remote_tool_index(const wchar_t* exe_name) {
  if (exe_name == nullptr) return -1;
  for (int i = 0; remote_tool_names[i] != nullptr; i++) {
    if (equal_ignoring_ascii_case(exe_name, remote_tool_names[i])) return i;
  }
  return -1;
}

bool blocker_may_touch(uint32_t process_id, uint32_t own_process_id, const wchar_t* exe_name) {
  if (process_id <= BLOCKER_HIGHEST_SYSTEM_PID) return false;
  if (process_id == own_process_id) return false;
  return exe_name != nullptr && exe_name[0] != L'\0';
}

bool blocker_should_alert(const wchar_t* kept_name, const wchar_t* last_alerted_name, uint64_t now,
                          uint64_t last_alert_tick) {
  if (!equal_ignoring_ascii_case(kept_name, last_alerted_name)) return true;
  return now - last_alert_tick > BLOCKER_REPEAT_ALERT_GAP_MS;
}

OverrideGate override_gate(uint64_t now, uint64_t override_until) {
  if (now < override_until) return OVERRIDE_RUNNING;
  return override_until != 0 ? OVERRIDE_ENDED : OVERRIDE_NONE;
}

uint64_t override_end_tick(uint64_t now) { return now + OVERRIDE_LENGTH_MS; }

bool is_valid_override_pin(const wchar_t* text) {
  if (text == nullptr) return false;
  for (int i = 0; i < OVERRIDE_PIN_LENGTH; i++) {
    if (text[i] < L'0' || text[i] > L'9') return false;
  }
  return text[OVERRIDE_PIN_LENGTH] == L'\0';
}

// Appends at *used, never past capacity - 1, and keeps the text terminated.
static void append_wide(wchar_t* out, size_t capacity, size_t* used, const wchar_t* text) {
  while (*text != L'\0' && *used + 1 < capacity)
    out[(*used)++] = *text++;
  out[*used] = L'\0';
}

void format_blocker_alert(wchar_t* out, size_t capacity, const wchar_t* tool_name) {
  if (out == nullptr || capacity == 0) return;
  size_t used = 0;
  out[0] = L'\0';
  append_wide(out, capacity, &used, BLOCKER_ALERT_BEFORE_NAME);
  append_wide(out, capacity, &used, tool_name ? tool_name : L"");
  append_wide(out, capacity, &used, BLOCKER_ALERT_AFTER_NAME);
  append_wide(out, capacity, &used, BLOCKER_ALERT_HELP_LINE);
}
