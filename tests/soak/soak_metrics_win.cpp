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

// One entry of the GDI handle table (x64 layout).
struct GdiHandleEntry {
  uint64_t object;
  uint32_t owner;
  uint8_t ext_type; // top bit: a stock object
  uint8_t generation;
  uint8_t type; // 0: free
  uint8_t flags;
  uint64_t user_pointer;
};
const size_t kGdiHandleEntries = 0x10000;
// PEB (x64): GdiSharedHandleTable.
const size_t kPebGdiTableOffset = 0xF8;

struct ProcessBasics {
  LONG exit_status;
  PVOID peb;
  ULONG_PTR affinity;
  LONG priority;
  ULONG_PTR pid;
  ULONG_PTR parent_pid;
};
typedef LONG(NTAPI* QueryProcessInformation)(HANDLE, ULONG, PVOID, ULONG, PULONG);

} // namespace

uint32_t count_gdi_in_handle_table(HANDLE process) {
  static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entries are 24 bytes");
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return 0;
  QueryProcessInformation query = reinterpret_cast<QueryProcessInformation>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
  if (query == nullptr) return 0;
  ProcessBasics basics;
  ZeroMemory(&basics, sizeof(basics));
  ULONG got = 0;
  if (query(process, 0 /* ProcessBasicInformation */, &basics, sizeof(basics), &got) < 0) return 0;
  uint64_t table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(basics.peb) + kPebGdiTableOffset, &table,
                         sizeof(table), &read) ||
      table == 0) {
    return 0;
  }
  GdiHandleEntry* entries =
      static_cast<GdiHandleEntry*>(malloc(kGdiHandleEntries * sizeof(GdiHandleEntry)));
  if (entries == nullptr) return 0;
  uint32_t used = 0;
  if (ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<uintptr_t>(table)), entries,
                        kGdiHandleEntries * sizeof(GdiHandleEntry), &read)) {
    for (size_t i = 0; i < read / sizeof(GdiHandleEntry); i++) {
      if (entries[i].type != 0 && (entries[i].ext_type & 0x80) == 0) used++;
    }
  }
  free(entries);
  return used;
}

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
  out->private_from_pagefile = memory.PrivateUsage == 0;
  out->private_bytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  out->working_set = memory.WorkingSetSize;
  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) out->handles = handles;
  // Wine answers 0 for another process; its system-wide handle list is exact.
  if (out->handles == 0) {
    out->handles_from_system = true;
    out->handles = count_handles_system_wide(pid);
  }
  out->gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
  if (out->gdi_objects == 0) {
    out->gdi_from_table = true;
    out->gdi_objects = count_gdi_in_handle_table(process);
  }
  out->user_objects = GetGuiResources(process, GR_USEROBJECTS);
  out->threads = count_threads(pid);
  out->windows = count_windows(pid);
  return true;
}
