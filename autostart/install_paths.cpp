#include "autostart/install_paths.h"

#include <cwchar>

namespace {

bool join(wchar_t* out, const wchar_t* head, const wchar_t* tail) {
  out[0] = L'\0';
  const size_t head_length = wcslen(head);
  const size_t tail_length = wcslen(tail);
  if (head_length + tail_length + 1 > INSTALL_PATH_CAPACITY) return false;
  wmemcpy(out, head, head_length);
  wmemcpy(out + head_length, tail, tail_length + 1);
  return true;
}

void append(wchar_t* out, size_t capacity, size_t* n, const wchar_t* text) {
  while (*text != L'\0' && *n + 1 < capacity)
    out[(*n)++] = *text++;
  out[*n] = L'\0';
}

} // namespace

bool make_install_paths(const wchar_t* local_app_data, InstallPaths* out) {
  if (local_app_data == nullptr || local_app_data[0] == L'\0') return false;
  return join(out->vendor_folder, local_app_data, L"\\Olvex") &&
         join(out->product_folder, local_app_data, L"\\Olvex\\Callwarden") &&
         join(out->executable, local_app_data, L"\\Olvex\\Callwarden\\Olvex-Callwarden.exe");
}

void format_start_entry(wchar_t* out, size_t capacity, const wchar_t* program) {
  if (capacity == 0) return;
  size_t n = 0;
  out[0] = L'\0';
  // Quoted, so a path with spaces is one argument; the flag makes the sign-in start hidden.
  append(out, capacity, &n, L"\"");
  append(out, capacity, &n, program);
  append(out, capacity, &n, L"\" --tray");
}
