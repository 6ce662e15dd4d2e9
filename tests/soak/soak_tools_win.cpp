#include "tests/soak/soak_tools_win.h"

#include <tlhelp32.h>

#include <cstdio>

namespace {

const wchar_t* const kToolNames[SOAK_TOOL_NAMES] = {
    L"anydesk.exe",
    L"teamviewer.exe",
    L"ultraviewer_desktop.exe",
    L"ultraviewer_service.exe",
    L"supremo.exe",
    L"screenconnect.windowsclient.exe",
    L"screenconnect.clientservice.exe",
    L"rustdesk.exe",
    L"quickassist.exe",
};

const wchar_t kTestKey[] = L"Software\\Olvex\\CallwardenTest";

void tool_path(const wchar_t* folder, int index, wchar_t* out, size_t capacity) {
  _snwprintf(out, capacity - 1, L"%ls\\%ls", folder, soak_tool_name(index));
  out[capacity - 1] = L'\0';
}

} // namespace

const wchar_t* soak_tool_name(int index) {
  if (index < 0) index = -index;
  return kToolNames[index % SOAK_TOOL_NAMES];
}

bool prepare_tool_copies(const wchar_t* dummy_exe, wchar_t* folder, size_t capacity) {
  wchar_t temp[MAX_PATH];
  ZeroMemory(temp, sizeof(temp));
  if (GetTempPathW(MAX_PATH - 1, temp) == 0) return false;
  _snwprintf(folder, capacity - 1, L"%lscallwarden-soak-%lu", temp, GetCurrentProcessId());
  folder[capacity - 1] = L'\0';
  CreateDirectoryW(folder, nullptr);
  for (int i = 0; i < SOAK_TOOL_NAMES; i++) {
    wchar_t path[MAX_PATH];
    tool_path(folder, i, path, MAX_PATH);
    if (!CopyFileW(dummy_exe, path, FALSE)) return false;
  }
  return true;
}

void remove_tool_copies(const wchar_t* folder) {
  for (int i = 0; i < SOAK_TOOL_NAMES; i++) {
    wchar_t path[MAX_PATH];
    tool_path(folder, i, path, MAX_PATH);
    DeleteFileW(path);
  }
  RemoveDirectoryW(folder);
}

bool start_tool(const wchar_t* folder, int index, ToolRun* run) {
  ZeroMemory(run, sizeof(*run));
  wchar_t path[MAX_PATH];
  tool_path(folder, index, path, MAX_PATH);
  wchar_t command[MAX_PATH + 4];
  _snwprintf(command, ARRAYSIZE(command) - 1, L"\"%ls\"", path);
  command[ARRAYSIZE(command) - 1] = L'\0';
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof(info));
  if (!CreateProcessW(path, command, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  run->process = info.hProcess;
  run->started_at = GetTickCount64();
  return true;
}

bool wait_tool_blocked(ToolRun* run, DWORD timeout_ms, DWORD* lived_ms, DWORD* exit_code) {
  *lived_ms = 0;
  *exit_code = STILL_ACTIVE;
  if (run->process == nullptr) return false;
  const bool ended = WaitForSingleObject(run->process, timeout_ms) == WAIT_OBJECT_0;
  *lived_ms = static_cast<DWORD>(GetTickCount64() - run->started_at);
  if (!ended) {
    TerminateProcess(run->process, 77);
    WaitForSingleObject(run->process, 5000);
  }
  GetExitCodeProcess(run->process, exit_code);
  CloseHandle(run->process);
  run->process = nullptr;
  return ended && *exit_code == 1;
}

bool set_test_dword(const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG written =
      RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}

void remove_test_key(void) { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }

namespace {

struct Calibration {
  UINT interval_ms;
  DWORD measure_ms;
  volatile LONG ticks;
  double effective_ms;
};

// The same work as one blocker tick that finds nothing to end.
void tick_like_the_blocker(void) {
  DWORD minutes = 0;
  DWORD size = sizeof(minutes);
  RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"ClockOffsetMinutes", RRF_RT_REG_DWORD, nullptr,
               &minutes, &size);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry;
  ZeroMemory(&entry, sizeof(entry));
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
  }
  CloseHandle(snapshot);
}

DWORD WINAPI calibrate(LPVOID parameter) {
  Calibration* c = static_cast<Calibration*>(parameter);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // gives the thread its queue
  const UINT_PTR timer = SetTimer(nullptr, 0, c->interval_ms, nullptr);
  const ULONGLONG start = GetTickCount64();
  ULONGLONG now = start;
  while (now - start < c->measure_ms) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER) {
          tick_like_the_blocker();
          c->ticks++;
        }
      }
    }
    now = GetTickCount64();
  }
  KillTimer(nullptr, timer);
  c->effective_ms = c->ticks > 0 ? static_cast<double>(now - start) / c->ticks : 0.0;
  return 0;
}

} // namespace

double measure_effective_interval(UINT interval_ms, DWORD measure_ms) {
  Calibration c = {interval_ms, measure_ms, 0, 0.0};
  HANDLE thread = CreateThread(nullptr, 0, calibrate, &c, 0, nullptr);
  if (thread == nullptr) return 0.0;
  WaitForSingleObject(thread, measure_ms + 10000);
  CloseHandle(thread);
  const double configured = static_cast<double>(interval_ms);
  return c.effective_ms > configured ? c.effective_ms : configured;
}
