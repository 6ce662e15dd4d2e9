#include "protection/blocker_rules.h"

#include "protection/protection_texts.h"

// The first nine are the tools the blocker has always ended, in their order. The rest were
// each checked against the maker's own documentation of the program's executables.
const RemoteTool remote_tools[REMOTE_TOOL_COUNT] = {
    {L"anydesk.exe", L"AnyDesk"},
    {L"teamviewer.exe", L"TeamViewer"},
    {L"ultraviewer_desktop.exe", L"UltraViewer"},
    {L"ultraviewer_service.exe", L"UltraViewer"},
    {L"supremo.exe", L"Supremo"},
    {L"screenconnect.windowsclient.exe", L"ScreenConnect"},
    {L"screenconnect.clientservice.exe", L"ScreenConnect"},
    {L"rustdesk.exe", L"RustDesk"},
    {L"quickassist.exe", L"Quick Assist"},
    {L"support-logmeinrescue.exe", L"LogMeIn Rescue"},
    {L"zohomeeting.exe", L"Zoho Assist"},
    {L"zohours.exe", L"Zoho Assist"},
    {L"zohoursservice.exe", L"Zoho Assist"},
    {L"zmagent.exe", L"Zoho Assist"},
    {L"isllight.exe", L"ISL Light"},
    {L"isllightfast.exe", L"ISL Light"},
    {L"isllightservice.exe", L"ISL Light"},
    {L"isl light.exe", L"ISL Light"},
    {L"srserversos.exe", L"Splashtop SOS"},
    {L"srmanagersos.exe", L"Splashtop SOS"},
    {L"srservicesos.exe", L"Splashtop SOS"},
    {L"sragentsos.exe", L"Splashtop SOS"},
    {L"srfeaturesos.exe", L"Splashtop SOS"},
    {L"srappsos.exe", L"Splashtop SOS"},
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
  for (int i = 0; i < REMOTE_TOOL_COUNT; i++) {
    if (equal_ignoring_ascii_case(exe_name, remote_tools[i].file_name)) return i;
  }
  return -1;
}

// Length of `text` without a final ".exe" in any case.
static size_t length_without_exe(const wchar_t* text) {
  size_t n = 0;
  while (text[n] != L'\0')
    n++;
  if (n >= 4 && text[n - 4] == L'.' && fold_ascii(text[n - 3]) == L'e' &&
      fold_ascii(text[n - 2]) == L'x' && fold_ascii(text[n - 1]) == L'e') {
    return n - 4;
  }
  return n;
}

int version_name_tool_index(const wchar_t* value) {
  if (value == nullptr) return -1;
  const size_t stem = length_without_exe(value);
  if (stem == 0) return -1;
  for (int i = 0; i < REMOTE_TOOL_COUNT; i++) {
    const wchar_t* name = remote_tools[i].file_name;
    if (length_without_exe(name) != stem) continue;
    size_t k = 0;
    while (k < stem && fold_ascii(value[k]) == fold_ascii(name[k]))
      k++;
    if (k == stem) return i;
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

void format_found_tool(wchar_t* out, size_t capacity, const wchar_t* exe_name,
                       const wchar_t* product) {
  if (out == nullptr || capacity == 0) return;
  out[0] = L'\0';
  if (exe_name == nullptr) exe_name = L"";
  if (product == nullptr || product[0] == L'\0') {
    size_t used = 0;
    append_wide(out, capacity, &used, exe_name);
    return;
  }
  size_t product_length = 0;
  while (product[product_length] != L'\0')
    product_length++;
  // The product is what the person recognises, so the file name gives way to it.
  const size_t suffix = product_length + 3; // " (" and ")"
  size_t room = capacity - 1 > suffix ? capacity - 1 - suffix : 0;
  size_t used = 0;
  for (; used < room && exe_name[used] != L'\0'; used++)
    out[used] = exe_name[used];
  out[used] = L'\0';
  append_wide(out, capacity, &used, L" (");
  append_wide(out, capacity, &used, product);
  append_wide(out, capacity, &used, L")");
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
