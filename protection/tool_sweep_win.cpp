#include "protection/tool_sweep.h"

#include <windows.h>
#include <tlhelp32.h>

#include "app/app_state.h"
#include "protection/blocker_rules.h"
#include "protection/image_cache.h"
#include "protection/version_names.h"

namespace {

// Lives for the process; the sweep runs on the main thread only and never pumps messages,
// so no nested tick can see it half-updated.
ImageCache g_images;

void close_process_handle(void* handle) { CloseHandle(static_cast<HANDLE>(handle)); }

// Asks for the termination right alone: it is all the blocker needs, and more would make
// opening fail for processes of a user who may only end them.
bool terminate_one(DWORD process_id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, process_id);
  if (process == nullptr) return false;
  const bool terminated = TerminateProcess(process, 1) != 0;
  CloseHandle(process);
  return terminated;
}

uint64_t as_u64(FILETIME t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Opens the process to find its image and reads the version resource once. A process that
// cannot be opened or read counts as no tool, as one that cannot be terminated does.
ImageCacheEntry read_process_image(const PROCESSENTRY32W& entry, uint32_t name_hash) {
  ImageCacheEntry e;
  ZeroMemory(&e, sizeof(e));
  e.process_id = entry.th32ProcessID;
  e.parent_id = entry.th32ParentProcessID;
  e.name_hash = name_hash;
  e.tool_index = -1;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
  if (process == nullptr) return e;
  e.handle = process;
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user)) e.created = as_u64(created);
  wchar_t path[1024];
  DWORD length = ARRAYSIZE(path);
  if (QueryFullProcessImageNameW(process, 0, path, &length) && length < ARRAYSIZE(path)) {
    path[length] = L'\0';
    e.tool_index = version_resource_tool_index(path);
  }
  return e;
}

// The tool a process's image names in its version resource, remembered from earlier sweeps.
int tool_by_image(const PROCESSENTRY32W& entry) {
  const uint32_t hash = image_name_hash(entry.szExeFile);
  const ImageCacheEntry* known =
      image_cache_carry(&g_images, entry.th32ProcessID, entry.th32ParentProcessID, hash);
  if (known != nullptr) return known->tool_index;
  const ImageCacheEntry fresh = read_process_image(entry, hash);
  if (!image_cache_add(&g_images, fresh) && fresh.handle != nullptr) CloseHandle(fresh.handle);
  return fresh.tool_index;
}

bool sweep(wchar_t* kept_name, size_t capacity, bool read_images) {
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
    bool by_image = false;
    int tool = remote_tool_index(entry.szExeFile);
    if (tool < 0 && read_images) {
      tool = tool_by_image(entry);
      by_image = tool >= 0;
    }
    if (tool < 0) continue;
    if (!terminate_one(entry.th32ProcessID)) continue;
    if (by_image) {
      format_found_tool(kept_name, capacity, entry.szExeFile, remote_tools[tool].product);
    } else {
      copy_wide(kept_name, capacity, entry.szExeFile);
    }
    terminated_any = true;
  }
  CloseHandle(snapshot);
  if (read_images) image_cache_finish(&g_images, close_process_handle);
  return terminated_any;
}

} // namespace

bool terminate_remote_tools(wchar_t* kept_name, size_t capacity) {
  return sweep(kept_name, capacity, true);
}

bool terminate_remote_tools_by_name(wchar_t* kept_name, size_t capacity) {
  return sweep(kept_name, capacity, false);
}

void forget_process_images(void) { image_cache_clear(&g_images, close_process_handle); }
