#include "tests/bench/process_crowd_win.h"

#include <tlhelp32.h>

#include <cwchar>

static bool copy_path(wchar_t* out, size_t capacity, const wchar_t* text) {
  const int n = swprintf(out, capacity, L"%ls", text);
  return n >= 0 && static_cast<size_t>(n) < capacity;
}

static bool copy_name(const ProcessCrowd* crowd, size_t index, wchar_t* out, size_t capacity) {
  const int n = swprintf(out, capacity, L"%ls\\helper-%04u.exe", crowd->folder,
                         static_cast<unsigned>(index + 1));
  return n >= 0 && static_cast<size_t>(n) < capacity;
}

bool crowd_open(ProcessCrowd* crowd, const wchar_t* source_exe) {
  ZeroMemory(crowd, sizeof(*crowd));
  if (!copy_path(crowd->source, MAX_PATH, source_exe)) return false;
  wchar_t temp[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return false;
  const int written = swprintf(crowd->folder, MAX_PATH, L"%lscallwarden-bench-%lu", temp,
                               static_cast<unsigned long>(GetCurrentProcessId()));
  if (written < 0 || written >= MAX_PATH) return false;
  if (!CreateDirectoryW(crowd->folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  // Without a job a crashed benchmark would leave hundreds of helpers behind for ten minutes.
  crowd->job = CreateJobObjectW(nullptr, nullptr);
  if (crowd->job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(crowd->job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  }
  return true;
}

// Wine now and then refuses one start among many in quick succession (an internal error)
// and takes the same start a moment later.
static bool start_copy(ProcessCrowd* crowd, const wchar_t* path, wchar_t* command,
                       PROCESS_INFORMATION* info) {
  for (int attempt = 1;; attempt++) {
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ZeroMemory(info, sizeof(*info));
    if (CreateProcessW(path, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       info)) {
      return true;
    }
    if (attempt == 5) return false;
    crowd->retried_starts++;
    Sleep(static_cast<DWORD>(200 * attempt));
  }
}

bool crowd_grow_to(ProcessCrowd* crowd, size_t target) {
  if (target > CROWD_CAPACITY) target = CROWD_CAPACITY;
  while (crowd->count < target) {
    wchar_t path[MAX_PATH];
    if (!copy_name(crowd, crowd->count, path, MAX_PATH)) return false;
    if (!CopyFileW(crowd->source, path, FALSE)) return false;
    wchar_t command[MAX_PATH + 2];
    if (swprintf(command, MAX_PATH + 2, L"\"%ls\"", path) < 0) return false;
    PROCESS_INFORMATION info;
    if (!start_copy(crowd, path, command, &info)) return false;
    if (crowd->job != nullptr) AssignProcessToJobObject(crowd->job, info.hProcess);
    CloseHandle(info.hThread);
    crowd->processes[crowd->count++] = info.hProcess;
  }
  return true;
}

size_t crowd_alive(const ProcessCrowd* crowd) {
  size_t alive = 0;
  for (size_t i = 0; i < crowd->count; i++) {
    if (WaitForSingleObject(crowd->processes[i], 0) == WAIT_TIMEOUT) alive++;
  }
  return alive;
}

static ULONGLONG as_u64(FILETIME t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

unsigned crowd_settle(unsigned limit_ms, bool* quiet) {
  const ULONGLONG start = GetTickCount64();
  *quiet = false;
  FILETIME idle0, kernel0, user0;
  if (!GetSystemTimes(&idle0, &kernel0, &user0)) return 0;
  for (;;) {
    Sleep(300);
    FILETIME idle1, kernel1, user1;
    if (!GetSystemTimes(&idle1, &kernel1, &user1)) break;
    // Kernel time includes idle time.
    const ULONGLONG total = (as_u64(kernel1) - as_u64(kernel0)) + (as_u64(user1) - as_u64(user0));
    const ULONGLONG idle = as_u64(idle1) - as_u64(idle0);
    if (total > 0 && idle * 2 >= total) {
      *quiet = true;
      break;
    }
    if (GetTickCount64() - start >= limit_ms) break;
    idle0 = idle1;
    kernel0 = kernel1;
    user0 = user1;
  }
  return static_cast<unsigned>(GetTickCount64() - start);
}

void crowd_close(ProcessCrowd* crowd) {
  for (size_t i = 0; i < crowd->count; i++)
    TerminateProcess(crowd->processes[i], 0);
  for (size_t i = 0; i < crowd->count; i++) {
    WaitForSingleObject(crowd->processes[i], 10000);
    CloseHandle(crowd->processes[i]);
  }
  if (crowd->job != nullptr) CloseHandle(crowd->job);
  for (size_t i = 0; i < crowd->count; i++) {
    wchar_t path[MAX_PATH];
    if (!copy_name(crowd, i, path, MAX_PATH)) continue;
    // An image can stay mapped for a moment after its process has ended.
    for (int attempt = 0; attempt < 20 && !DeleteFileW(path); attempt++)
      Sleep(50);
  }
  RemoveDirectoryW(crowd->folder);
  crowd->count = 0;
  crowd->job = nullptr;
}

int count_processes(void) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry;
  ZeroMemory(&entry, sizeof(entry));
  entry.dwSize = sizeof(entry);
  int n = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    n++;
  }
  CloseHandle(snapshot);
  return n;
}
