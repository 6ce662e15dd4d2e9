#include <windows.h>
#include <shlobj.h>

#include "app/app_state.h"
#include "app/startup.h"
#include "autostart/autostart.h"
#include "account/account_text.h"
#include "autostart/install_paths.h"
#include "autostart/startup_approved.h"
#include "autostart/uninstall.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"OlvexCallwarden";
const wchar_t kCaption[] = L"Olvex Callwarden Startup";
const size_t kMessageCapacity = 256;
// Under the program's key: the switch's being off was reported (1), so it is told once.
const wchar_t kSwitchReportedValue[] = L"StartupOffReported";

bool start_entry_present(void) {
  char value[512];
  ZeroMemory(value, sizeof(value));
  return read_registry_string(HKEY_CURRENT_USER, kRunKey, kRunValue, value, sizeof(value));
}

bool switched_off_in_windows(void) {
  unsigned char data[64];
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CURRENT_USER, STARTUP_APPROVED_KEY, kRunValue, RRF_RT_REG_BINARY, nullptr,
                   data, &size) != ERROR_SUCCESS)
    return false;
  return startup_approved_off(data, size);
}

bool switch_off_reported(void) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  return RegGetValueW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, kSwitchReportedValue, RRF_RT_REG_DWORD,
                      nullptr, &value, &size) == ERROR_SUCCESS &&
         value == 1;
}

void set_switch_off_reported(bool reported) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (reported) {
    const DWORD one = 1;
    RegSetValueExW(key, kSwitchReportedValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                   sizeof(one));
  } else {
    RegDeleteValueW(key, kSwitchReportedValue);
  }
  RegCloseKey(key);
}

// Ticking the box means "start with Windows": the switch goes back on with it.
void switch_back_on_in_windows(void) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, STARTUP_APPROVED_KEY, 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  RegDeleteValueW(key, kRunValue);
  RegCloseKey(key);
}

// The running executable's full path; false when the path had to be cut, since a cut path
// names no real file and must be neither copied nor registered.
bool own_module_path(wchar_t* out) {
  ZeroMemory(out, INSTALL_PATH_CAPACITY * sizeof(wchar_t));
  const DWORD length = GetModuleFileNameW(nullptr, out, INSTALL_PATH_CAPACITY - 1);
  if (length > 0 && length < INSTALL_PATH_CAPACITY - 1) return true;
  out[0] = L'\0';
  return false;
}

// The program the start entry names: the installed copy when it is in place, else the
// running executable; empty when neither is known.
void choose_program(const wchar_t* folder, wchar_t* program) {
  program[0] = L'\0';
  wchar_t own[INSTALL_PATH_CAPACITY];
  const bool own_known = own_module_path(own);
  InstallPaths paths;
  ZeroMemory(&paths, sizeof(paths));
  if (!make_install_paths(folder, &paths)) {
    copy_wide(program, INSTALL_PATH_CAPACITY, own);
    return;
  }
  CreateDirectoryW(paths.vendor_folder, nullptr);
  CreateDirectoryW(paths.product_folder, nullptr);
  if (!own_known) return;
  if (CompareStringOrdinal(own, -1, paths.executable, -1, TRUE) == CSTR_EQUAL ||
      CopyFileW(own, paths.executable, FALSE)) {
    copy_wide(program, INSTALL_PATH_CAPACITY, paths.executable);
  } else {
    // The installed copy is running or held open: start this executable instead.
    copy_wide(program, INSTALL_PATH_CAPACITY, own);
  }
}

// Ticked: install and write the start entry. Closes `key`.
void install(HKEY key, wchar_t* message) {
  wchar_t folder[MAX_PATH];
  ZeroMemory(folder, sizeof(folder));
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == L'\0') {
    RegCloseKey(key);
    copy_wide(message, kMessageCapacity, L"Could not locate your LocalAppData folder.");
    return;
  }
  wchar_t program[INSTALL_PATH_CAPACITY];
  choose_program(folder, program);
  LONG status = ERROR_FILE_NOT_FOUND;
  if (program[0] != L'\0') {
    wchar_t entry[START_ENTRY_CAPACITY];
    format_start_entry(entry, START_ENTRY_CAPACITY, program);
    const DWORD bytes = static_cast<DWORD>((wcslen(entry) + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry), bytes);
  }
  RegCloseKey(key);
  // Apps & features offers the uninstall of whatever the sign-in start runs.
  if (status == ERROR_SUCCESS) register_uninstall_entry(program);
  if (status == ERROR_SUCCESS) switch_back_on_in_windows();
  if (status == ERROR_SUCCESS) {
    copy_wide(message, kMessageCapacity,
              L"Installed to LocalAppData & enabled automatic protection at Windows sign-in.");
  }
}

} // namespace

void sync_startup_checkbox(void) {
  const bool starts = start_entry_present() && !switched_off_in_windows();
  SendMessageW(g_app.startup_checkbox, BM_SETCHECK, starts ? BST_CHECKED : BST_UNCHECKED, 0);
}

void check_startup_switch(void) {
  // An unlinked computer has nobody to tell, and writes nothing for this.
  if (g_app.auth_token[0] != '\0') {
    switch (startup_switch_step(start_entry_present(), switched_off_in_windows(),
                                switch_off_reported())) {
    case STARTUP_SWITCH_REPORT:
      report_protection(REPORT_AUTOSTART_OFF);
      set_switch_off_reported(true);
      break;
    case STARTUP_SWITCH_FORGET: set_switch_off_reported(false); break;
    case STARTUP_SWITCH_NOTHING: break;
    }
  }
  sync_startup_checkbox();
}

void toggle_start_with_windows(HWND hwnd) {
  // The automatic checkbox has already flipped by the time its command arrives.
  const LRESULT state = SendMessageW(g_app.startup_checkbox, BM_GETCHECK, 0, 0);
  wchar_t message[kMessageCapacity];
  ZeroMemory(message, sizeof(message));
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    copy_wide(message, kMessageCapacity, L"Could not open Windows Startup registry key.");
  } else if (state == BST_CHECKED) {
    install(key, message);
  } else {
    // Reported only when there was a start entry to remove: then the family hears.
    const bool removed = RegDeleteValueW(key, kRunValue) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (removed) report_protection(REPORT_AUTOSTART_OFF);
    copy_wide(message, kMessageCapacity,
              L"Removed Callwarden from automatic Windows sign-in startup.");
  }
  if (message[0] != L'\0') MessageBoxW(hwnd, message, kCaption, MB_OK | MB_ICONINFORMATION);
  // Whatever happened above, the box shows what the registry now holds.
  sync_startup_checkbox();
}
