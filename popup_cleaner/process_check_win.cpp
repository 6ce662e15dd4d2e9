#include <windows.h>
#include <tlhelp32.h>

#include "popup_cleaner/popup_cleaner.h"

bool is_process_running(const wchar_t* exe_name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry;
  ZeroMemory(&entry, sizeof(entry));
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    // Ordinal, case-blind: how the file system itself compares executable names.
    found = CompareStringOrdinal(entry.szExeFile, -1, exe_name, -1, TRUE) == CSTR_EQUAL;
  }
  CloseHandle(snapshot);
  return found;
}
