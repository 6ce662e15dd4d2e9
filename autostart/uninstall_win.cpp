#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "account/account_text.h"
#include "app/ids.h"
#include "app/version.h"
#include "autostart/autostart.h"
#include "autostart/install_paths.h"
#include "autostart/uninstall.h"
#include "autostart/uninstall_pin.h"
#include "autostart/uninstall_rules.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"OlvexCallwarden";
const wchar_t kCaption[] = L"Olvex Callwarden \u2014 Uninstall";
const wchar_t kQuestion[] =
    L"Remove Olvex Callwarden from this computer?\r\n\r\nRemote-scam protection stops, and "
    L"Callwarden will no longer start when you sign in to Windows.";
// How long the running program and the uninstalling copy get to end.
const DWORD kStopWaitMs = 10000;
const DWORD kExitWaitMs = 60000;

bool set_string(HKEY key, const wchar_t* name, const wchar_t* value) {
  const DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) ==
         ERROR_SUCCESS;
}

bool set_number(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

bool installed_paths(InstallPaths* paths) {
  wchar_t folder[MAX_PATH];
  ZeroMemory(folder, sizeof(folder));
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return false;
  return make_install_paths(folder, paths);
}

bool own_path(wchar_t* out) {
  ZeroMemory(out, INSTALL_PATH_CAPACITY * sizeof(wchar_t));
  const DWORD n = GetModuleFileNameW(nullptr, out, INSTALL_PATH_CAPACITY - 1);
  return n > 0 && n < INSTALL_PATH_CAPACITY - 1;
}

// Asks the running program to close, as its Exit does but without asking, and waits for it. Its
// Guardian lock, when on, wants the proof that this copy had the PIN accepted: the PIN, which it
// checks with the service itself. A copy from before the proof knows only the older message.
bool stop_running_program(const char* accepted_pin, bool removal_reported) {
  HWND window = FindWindowW(CALLWARDEN_WINDOW_CLASS, nullptr);
  if (window == nullptr) return false;
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_id);
  QuitProof proof;
  ZeroMemory(&proof, sizeof(proof));
  proof.magic = QUIT_PROOF_MAGIC;
  proof.removal_reported = removal_reported ? 1u : 0u;
  lstrcpynA(proof.guardian_pin, accepted_pin, sizeof(proof.guardian_pin));
  COPYDATASTRUCT copied = {QUIT_PROOF_ID, sizeof(proof), &proof};
  DWORD_PTR taken = 0;
  if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copied),
                           SMTO_ABORTIFHUNG, kStopWaitMs, &taken) ||
      taken == 0)
    PostMessageW(window, WM_APP_QUIT, 0, 0);
  SecureZeroMemory(&proof, sizeof(proof));
  if (process == nullptr) return true;
  // A program stuck in a box still takes the message; one that does not answer is ended.
  if (WaitForSingleObject(process, kStopWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process, 0);
    WaitForSingleObject(process, kStopWaitMs);
  }
  CloseHandle(process);
  return true;
}

bool delete_value(const wchar_t* subkey, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const bool deleted = RegDeleteValueW(key, name) == ERROR_SUCCESS;
  RegCloseKey(key);
  return deleted;
}

unsigned remove_registry_entries(void) {
  unsigned steps = 0;
  if (delete_value(kRunKey, kRunValue)) steps |= UNINSTALL_REMOVED_START_ENTRY;
  if (RegDeleteKeyW(HKEY_CURRENT_USER, UNINSTALL_KEY) == ERROR_SUCCESS)
    steps |= UNINSTALL_REMOVED_APPS_ENTRY;
  if (delete_value(ACCOUNT_TOKEN_KEY, ACCOUNT_TOKEN_VALUE)) steps |= UNINSTALL_REMOVED_TOKEN;
  // The keys go only when nothing else is kept in them (other Olvex programs use the vendor's).
  RegDeleteKeyW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvex");
  return steps;
}

// Deletes the installed copy, and its folders when they are left empty. The copy's process
// may hold its image for a moment after it has ended, so the delete is tried for a while.
unsigned delete_installed_copy(const InstallPaths& paths) {
  if (GetFileAttributesW(paths.executable) == INVALID_FILE_ATTRIBUTES) return 0;
  bool deleted = false;
  for (int attempt = 0; attempt < 100 && !deleted; attempt++) {
    deleted = DeleteFileW(paths.executable) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!deleted) Sleep(100);
  }
  RemoveDirectoryW(paths.product_folder);
  RemoveDirectoryW(paths.vendor_folder);
  return deleted ? UNINSTALL_DELETED_COPY : UNINSTALL_COPY_LEFT;
}

int report(unsigned steps, const InstallPaths& paths) {
  wchar_t text[UNINSTALL_REPORT_CAPACITY];
  format_uninstall_report(steps, paths.executable, text, ARRAYSIZE(text));
  MessageBoxW(nullptr, text, kCaption, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
  return 0;
}

// A running program cannot delete its own file, and deleting it at the next restart needs an
// administrator: a copy in the temporary folder waits for this process to end, deletes the
// installed copy and reports. Only that copy is left behind, in the temporary folder.
bool hand_over_to_helper(unsigned steps) {
  wchar_t temp[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return false;
  wchar_t own[INSTALL_PATH_CAPACITY];
  wchar_t helper[MAX_PATH];
  if (!own_path(own)) return false;
  const int written = swprintf(helper, MAX_PATH, L"%lsOlvex-Callwarden-uninstall-%lu.exe", temp,
                               static_cast<unsigned long>(GetCurrentProcessId()));
  if (written < 0 || written >= MAX_PATH || !CopyFileW(own, helper, FALSE)) return false;
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE, TRUE, 0)) {
    return false;
  }
  wchar_t command[MAX_PATH + 64];
  swprintf(command, ARRAYSIZE(command), L"\"%ls\" " UNINSTALL_FINISH_FLAG L" %llu %u", helper,
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(self)), steps);
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started;
  // Started in the temporary folder, so it does not hold the install folder as its own.
  const BOOL ok =
      CreateProcessW(helper, command, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup, &started);
  CloseHandle(self);
  if (!ok) {
    DeleteFileW(helper);
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

int start_uninstall(void) {
  if (MessageBoxW(nullptr, kQuestion, kCaption,
                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_SETFOREGROUND) != IDYES) {
    return 0;
  }
  char pin[8] = "";
  if (uninstall_is_locked() && !uninstall_pin_accepted(pin, sizeof(pin))) return 0;
  // The family hears before the token that lets it be told is deleted.
  const bool reported = report_protection_and_wait(REPORT_REMOVED, REPORT_WAIT_ON_EXIT_MS);
  InstallPaths paths;
  ZeroMemory(&paths, sizeof(paths));
  const bool have_paths = installed_paths(&paths);
  unsigned steps = 0;
  if (stop_running_program(pin, reported)) steps |= UNINSTALL_STOPPED_PROGRAM;
  SecureZeroMemory(pin, sizeof(pin));
  steps |= remove_registry_entries();
  if (!have_paths) return report(steps, paths);
  wchar_t own[INSTALL_PATH_CAPACITY];
  const bool running_installed =
      own_path(own) && CompareStringOrdinal(own, -1, paths.executable, -1, TRUE) == CSTR_EQUAL;
  if (running_installed && GetFileAttributesW(paths.executable) != INVALID_FILE_ATTRIBUTES) {
    if (hand_over_to_helper(steps)) return 0;
    return report(steps | UNINSTALL_COPY_LEFT, paths);
  }
  return report(steps | delete_installed_copy(paths), paths);
}

int finish_uninstall(uint64_t handle_value, unsigned steps) {
  HANDLE uninstaller = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle_value));
  WaitForSingleObject(uninstaller, kExitWaitMs);
  CloseHandle(uninstaller);
  InstallPaths paths;
  ZeroMemory(&paths, sizeof(paths));
  if (!installed_paths(&paths)) return report(steps | UNINSTALL_COPY_LEFT, paths);
  return report(steps | delete_installed_copy(paths), paths);
}

} // namespace

bool register_uninstall_entry(const wchar_t* program) {
  UninstallValues values;
  if (!make_uninstall_values(program, &values)) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, UNINSTALL_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA file;
  uint64_t bytes = 0;
  if (GetFileAttributesExW(program, GetFileExInfoStandard, &file))
    bytes = (static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
  bool ok = set_string(key, L"DisplayName", L"" CALLWARDEN_PRODUCT_NAME);
  ok = set_string(key, L"Publisher", L"" CALLWARDEN_COMPANY_NAME) && ok;
  ok = set_string(key, L"DisplayVersion", L"" CALLWARDEN_VERSION_TEXT) && ok;
  ok = set_string(key, L"DisplayIcon", values.display_icon) && ok;
  ok = set_string(key, L"InstallLocation", values.install_location) && ok;
  ok = set_string(key, L"UninstallString", values.uninstall_string) && ok;
  ok = set_number(key, L"EstimatedSize", estimated_size_kb(bytes)) && ok;
  ok = set_number(key, L"NoModify", 1) && ok;
  ok = set_number(key, L"NoRepair", 1) && ok;
  RegCloseKey(key);
  return ok;
}

int run_uninstall_command(const wchar_t* command_tail) {
  uint64_t handle = 0;
  unsigned steps = 0;
  switch (parse_uninstall_command(command_tail, &handle, &steps)) {
  case UNINSTALL_START: return start_uninstall();
  case UNINSTALL_FINISH: return finish_uninstall(handle, steps);
  case UNINSTALL_NONE: break;
  }
  return -1;
}
