#include "autostart/uninstall_rules.h"

#include <cstring>
#include <cwchar>

namespace {

void append(wchar_t* out, size_t capacity, size_t* n, const wchar_t* text) {
  while (*text != L'\0' && *n + 1 < capacity)
    out[(*n)++] = *text++;
  out[*n] = L'\0';
}

// Reads a decimal number at *p, skipping blanks before it; false when there is none or it
// does not fit 64 bits.
bool read_number(const wchar_t** p, uint64_t* value) {
  while (**p == L' ' || **p == L'\t')
    (*p)++;
  if (**p < L'0' || **p > L'9') return false;
  uint64_t v = 0;
  while (**p >= L'0' && **p <= L'9') {
    const uint64_t digit = static_cast<uint64_t>(**p - L'0');
    if (v > (UINT64_MAX - digit) / 10) return false;
    v = v * 10 + digit;
    (*p)++;
  }
  *value = v;
  return **p == L'\0' || **p == L' ' || **p == L'\t';
}

} // namespace

bool make_uninstall_values(const wchar_t* program, UninstallValues* out) {
  out->uninstall_string[0] = L'\0';
  out->display_icon[0] = L'\0';
  out->install_location[0] = L'\0';
  if (program == nullptr || program[0] == L'\0') return false;
  const wchar_t* slash = wcsrchr(program, L'\\');
  if (slash == nullptr || slash == program) return false;
  const size_t folder_length = static_cast<size_t>(slash - program);
  const size_t length = wcslen(program);
  // A cut path would name another file; such a program gets no entry.
  if (length + 16 > UNINSTALL_STRING_CAPACITY || folder_length + 1 > INSTALL_PATH_CAPACITY)
    return false;
  size_t n = 0;
  append(out->uninstall_string, UNINSTALL_STRING_CAPACITY, &n, L"\"");
  append(out->uninstall_string, UNINSTALL_STRING_CAPACITY, &n, program);
  append(out->uninstall_string, UNINSTALL_STRING_CAPACITY, &n, L"\" " UNINSTALL_FLAG);
  n = 0;
  append(out->display_icon, UNINSTALL_STRING_CAPACITY, &n, program);
  append(out->display_icon, UNINSTALL_STRING_CAPACITY, &n, L",0");
  wmemcpy(out->install_location, program, folder_length);
  out->install_location[folder_length] = L'\0';
  return true;
}

uint32_t estimated_size_kb(uint64_t bytes) {
  const uint64_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kb);
}

void format_uninstall_report(unsigned steps, const wchar_t* installed, wchar_t* out,
                             size_t capacity) {
  if (capacity == 0) return;
  size_t n = 0;
  out[0] = L'\0';
  if ((steps & UNINSTALL_ALL_STEPS) == 0) {
    append(out, capacity, &n,
           L"Olvex Callwarden was not installed for this Windows user, so there was nothing to "
           L"remove.");
    return;
  }
  append(out, capacity, &n, L"Olvex Callwarden has been removed:\r\n");
  if (steps & UNINSTALL_STOPPED_PROGRAM)
    append(out, capacity, &n, L"\r\n\u2022 Stopped the running Callwarden.");
  if (steps & UNINSTALL_REMOVED_START_ENTRY)
    append(out, capacity, &n, L"\r\n\u2022 It no longer starts when you sign in to Windows.");
  if (steps & UNINSTALL_REMOVED_APPS_ENTRY)
    append(out, capacity, &n, L"\r\n\u2022 Removed it from Apps & features.");
  if (steps & UNINSTALL_REMOVED_TOKEN) {
    append(out, capacity, &n,
           L"\r\n\u2022 Removed this computer's account sign-in. Your family account still lists "
           L"this computer until you unlink it on the Olvex website.");
  }
  const wchar_t* path = installed != nullptr ? installed : L"";
  if (steps & UNINSTALL_DELETED_COPY) {
    append(out, capacity, &n, L"\r\n\u2022 Deleted ");
    append(out, capacity, &n, path);
    append(out, capacity, &n, L" and its folder.");
  }
  if (steps & UNINSTALL_COPY_LEFT) {
    append(out, capacity, &n, L"\r\n\u2022 Could not delete ");
    append(out, capacity, &n, path);
    append(out, capacity, &n, L". Please delete it yourself.");
  }
}

UninstallCommand parse_uninstall_command(const wchar_t* tail, uint64_t* handle, unsigned* steps) {
  if (tail == nullptr) return UNINSTALL_NONE;
  const wchar_t* finish = wcsstr(tail, UNINSTALL_FINISH_FLAG);
  if (finish != nullptr) {
    const wchar_t* p = finish + wcslen(UNINSTALL_FINISH_FLAG);
    uint64_t h = 0;
    uint64_t s = 0;
    if (*p != L' ' || !read_number(&p, &h) || !read_number(&p, &s) || h == 0 ||
        s > UNINSTALL_ALL_STEPS) {
      return UNINSTALL_NONE;
    }
    *handle = h;
    *steps = static_cast<unsigned>(s);
    return UNINSTALL_FINISH;
  }
  const wchar_t* start = wcsstr(tail, UNINSTALL_FLAG);
  if (start == nullptr) return UNINSTALL_NONE;
  const wchar_t after = start[wcslen(UNINSTALL_FLAG)];
  return (after == L'\0' || after == L' ' || after == L'\t') ? UNINSTALL_START : UNINSTALL_NONE;
}

bool read_quit_proof(uint32_t id, const void* data, size_t size, QuitProof* out) {
  if (id != QUIT_PROOF_ID || data == nullptr || size != sizeof(QuitProof)) return false;
  memcpy(out, data, sizeof(QuitProof));
  out->guardian_pin[sizeof(out->guardian_pin) - 1] = '\0';
  return out->magic == QUIT_PROOF_MAGIC;
}

QuitAnswer answer_quit(bool locked, const QuitProof* proof) {
  if (!locked) return QUIT_NOW;
  if (proof == nullptr) return QUIT_REFUSED;
  const char* pin = proof->guardian_pin;
  for (int i = 0; i < 4; i++) {
    if (pin[i] < '0' || pin[i] > '9') return QUIT_REFUSED;
  }
  return pin[4] == '\0' ? QUIT_AFTER_PIN_CHECK : QUIT_REFUSED;
}
