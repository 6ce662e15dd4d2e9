#include "popup_cleaner/preferences_file.h"

#include <cstdlib>
#include <cstring>

#include "popup_cleaner/file_names.h"
#include "popup_cleaner/preferences_scan.h"

namespace {

// The whole file plus a terminating NUL, or null. The read handle shares reading and writing
// so a running browser cannot keep us from counting.
char* read_preferences(const wchar_t* path, DWORD* size_out) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) ||
      !preferences_size_acceptable(static_cast<uint64_t>(size.QuadPart))) {
    CloseHandle(file);
    return nullptr;
  }
  const DWORD length = static_cast<DWORD>(size.QuadPart);
  char* text = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
  if (text == nullptr) {
    CloseHandle(file);
    return nullptr;
  }
  DWORD got = 0;
  if (!ReadFile(file, text, length, &got, nullptr) || got != length) {
    free(text);
    CloseHandle(file);
    return nullptr;
  }
  text[length] = '\0';
  CloseHandle(file);
  *size_out = length;
  return text;
}

// Backs the file up, then rewrites it with `patched`. True only when `patched` is whole on disk.
bool back_up_and_rewrite(const wchar_t* path, const char* patched, const char* original,
                         DWORD size) {
  // No rewrite without a backup the user can go back to.
  wchar_t backup[MAX_PATH];
  if (!join_file_name(backup, MAX_PATH, path, BACKUP_SUFFIX)) return false;
  if (!CopyFileW(path, backup, FALSE)) return false;

  // Shares nothing, so this fails while a browser holds the file, and the file is untouched.
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const RewriteOutcome outcome =
      write_patched_or_restore(file, patched, original, size, write_preferences_bytes);
  CloseHandle(file);
  if (outcome == REWRITE_LOST) CopyFileW(backup, path, FALSE);
  return outcome == REWRITE_DONE;
}

} // namespace

DWORD write_preferences_bytes(HANDLE file, const char* bytes, DWORD size) {
  DWORD written = 0;
  if (!WriteFile(file, bytes, size, &written, nullptr)) return 0;
  return written;
}

RewriteOutcome write_patched_or_restore(HANDLE file, const char* patched, const char* original,
                                        DWORD size, PreferencesWriter writer) {
  if (writer(file, patched, size) == size) return REWRITE_DONE;
  LARGE_INTEGER start;
  start.QuadPart = 0;
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return REWRITE_LOST;
  if (write_preferences_bytes(file, original, size) != size) return REWRITE_LOST;
  return REWRITE_RESTORED;
}

int scan_notification_permissions(const wchar_t* path, bool apply, bool* blocked) {
  if (blocked != nullptr) *blocked = false;
  if (path == nullptr) return 0;
  DWORD size = 0;
  char* text = read_preferences(path, &size);
  if (text == nullptr) return 0;

  // The original bytes are kept so a failed rewrite can be undone; without room for them the
  // file is only counted.
  char* original = nullptr;
  if (apply) {
    original = static_cast<char*>(malloc(size));
    if (original != nullptr) memcpy(original, text, size);
  }
  const int count = scan_preferences_text(text, original != nullptr);
  if (count > 0 && original != nullptr) {
    const bool rewritten = back_up_and_rewrite(path, text, original, size);
    if (blocked != nullptr) *blocked = rewritten;
  }
  free(original);
  free(text);
  return count;
}
