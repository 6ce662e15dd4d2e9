#include "protection/tool_sweep.h"

#include <windows.h>
#include <tlhelp32.h>

#include "app/app_state.h"
#include "protection/blocker_rules.h"

// Asks for the termination right alone: it is all the blocker needs, and more would make
// opening fail for processes of a user who may only end them.
static bool terminate_one(DWORD process_id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, process_id);
  if (process == nullptr) return false;
  const bool terminated = TerminateProcess(process, 1) != 0;
  CloseHandle(process);
  return terminated;
}

bool terminate_remote_tools(wchar_t* kept_name, size_t capacity) {
  if (capacity > 0) kept_name[0] = L'\0';
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;

  const DWORD own_id = GetCurrentProcessId();
  bool terminated_any = false;
  PROCESSENTRY32W entry;
  ZeroMemory(&entry, sizeof(entry));
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    // szExeFile may fill its whole array; never read past it.
    entry.szExeFile[ARRAYSIZE(entry.szExeFile) - 1] = L'\0';
    if (!blocker_may_touch(entry.th32ProcessID, own_id, entry.szExeFile)) continue;
    if (remote_tool_index(entry.szExeFile) < 0) continue;
    if (!terminate_one(entry.th32ProcessID)) continue;
    copy_wide(kept_name, capacity, entry.szExeFile);
    terminated_any = true;
  }
  CloseHandle(snapshot);
  return terminated_any;
}
