#include "tests/soak/soak_metrics_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdlib>

uint32_t count_threads(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  uint32_t count = 0;
  THREADENTRY32 entry;
  ZeroMemory(&entry, sizeof(entry));
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) count++;
  }
  CloseHandle(snapshot);
  return count;
}

namespace {

struct WindowCount {
  DWORD pid;
  uint32_t count;
};

BOOL CALLBACK count_child(HWND window, LPARAM context) {
  reinterpret_cast<WindowCount*>(context)->count++;
  (void)window;
  return TRUE;
}

BOOL CALLBACK count_top(HWND window, LPARAM context) {
  WindowCount* c = reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != c->pid) return TRUE;
  c->count++;
  // EnumChildWindows walks the whole tree below, grandchildren included.
  EnumChildWindows(window, count_child, context);
  return TRUE;
}

} // namespace

uint32_t count_windows(DWORD pid) {
  WindowCount c = {pid, 0};
  EnumWindows(count_top, reinterpret_cast<LPARAM>(&c));
  // Message-only windows hang below HWND_MESSAGE, not the desktop.
  HWND message_only = nullptr;
  while ((message_only = FindWindowExW(HWND_MESSAGE, message_only, nullptr, nullptr)) != nullptr) {
    count_top(message_only, reinterpret_cast<LPARAM>(&c));
  }
  return c.count;
}

namespace {

// NtQuerySystemInformation's list of every open handle (information class 16), as laid
// out on 64-bit Windows and Wine.
struct SystemHandleEntry {
  ULONG owner_pid;
  BYTE object_type;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct SystemHandles {
  ULONG count;
  SystemHandleEntry entries[1];
};
typedef LONG(NTAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

} // namespace

uint32_t count_handles_system_wide(DWORD pid) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return 0;
  QuerySystemInformation query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  ULONG size = 1 << 20;
  for (int attempt = 0; attempt < 6; attempt++) {
    SystemHandles* list = static_cast<SystemHandles*>(malloc(size));
    if (list == nullptr) return 0;
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, list, size, &needed);
    if (status == kInfoLengthMismatch) {
      free(list);
      size = needed > size ? needed + 65536 : size * 2;
      continue;
    }
    uint32_t count = 0;
    if (status >= 0) {
      for (ULONG i = 0; i < list->count; i++) {
        if (list->entries[i].owner_pid == pid) count++;
      }
    }
    free(list);
    return count;
  }
  return 0;
}

bool take_sample(HANDLE process, DWORD pid, SoakSample* out) {
  ZeroMemory(out, sizeof(*out));
  PROCESS_MEMORY_COUNTERS_EX memory;
  ZeroMemory(&memory, sizeof(memory));
  memory.cb = sizeof(memory);
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof(memory))) {
    return false;
  }
  // Wine fills PrivateUsage for the calling process only; for another one its pagefile
  // figure (anonymous resident plus swapped memory) is the private memory.
  out->private_bytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  out->working_set = memory.WorkingSetSize;
  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) out->handles = handles;
  // Wine answers 0 for another process; its system-wide handle list is exact.
  if (out->handles == 0) out->handles = count_handles_system_wide(pid);
  out->gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
  out->user_objects = GetGuiResources(process, GR_USEROBJECTS);
  out->threads = count_threads(pid);
  out->windows = count_windows(pid);
  return true;
}
