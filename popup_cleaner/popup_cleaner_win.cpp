#include <windows.h>
#include <shlobj.h>

#include "popup_cleaner/cleaner_message.h"
#include "popup_cleaner/file_names.h"
#include "popup_cleaner/popup_cleaner.h"
#include "popup_cleaner/preferences_file.h"

namespace {

BrowserScan scan_browser(const wchar_t* folder, const wchar_t* profile_tail, bool running) {
  BrowserScan scan = {0, false};
  wchar_t path[MAX_PATH];
  // A path that does not fit would name some other file; that browser then counts as absent.
  if (!join_file_name(path, MAX_PATH, folder, profile_tail)) return scan;
  // A running browser rewrites its Preferences when it exits, undoing any change: only count.
  scan.count = scan_notification_permissions(path, !running, &scan.blocked);
  return scan;
}

} // namespace

void clean_browser_popups(HWND hwnd) {
  wchar_t folder[MAX_PATH];
  ZeroMemory(folder, sizeof(folder));
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == L'\0') {
    MessageBoxW(hwnd, L"Could not locate your Windows LocalAppData profile folder.",
                L"Olvex Callwarden", MB_OK | MB_ICONWARNING);
    return;
  }
  // Both browsers are looked at before either file is touched.
  const bool chrome_running = is_process_running(L"chrome.exe");
  const bool edge_running = is_process_running(L"msedge.exe");
  const BrowserScan chrome = scan_browser(folder, CHROME_PREFERENCES_TAIL, chrome_running);
  const BrowserScan edge = scan_browser(folder, EDGE_PREFERENCES_TAIL, edge_running);

  CleanerMessage message;
  compose_cleaner_message(chrome, edge, &message);
  MessageBoxW(hwnd, message.text, message.caption,
              MB_OK | (message.icon == CLEANER_ICON_WARNING ? MB_ICONWARNING : MB_ICONINFORMATION));
}
