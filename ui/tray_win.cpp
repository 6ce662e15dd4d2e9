#include <windows.h>
#include <shellapi.h>

#include "app/app_state.h"
#include "app/ids.h"
#include "protection/guardian_lock.h"
#include "ui/tray.h"
#include "ui/tray_rules.h"

static const UINT TRAY_ICON_ID = 1;

void build_tray_record(NOTIFYICONDATAW* record, const wchar_t* title, const wchar_t* text) {
  ZeroMemory(record, sizeof(*record));
  record->cbSize = sizeof(*record);
  record->hWnd = g_app.main_window;
  record->uID = TRAY_ICON_ID;
  // No NIM_SETVERSION: the callback's lParam is then the mouse message itself.
  record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record->uCallbackMessage = WM_APP_TRAY;
  record->hIcon = g_app.small_icon ? g_app.small_icon : LoadIconW(nullptr, IDI_SHIELD);
  copy_wide(record->szTip, ARRAYSIZE(record->szTip), tray_tooltip(g_app.blocker_enabled));
  if (title != nullptr && text != nullptr) {
    record->uFlags |= NIF_INFO;
    copy_wide(record->szInfoTitle, ARRAYSIZE(record->szInfoTitle), title);
    copy_wide(record->szInfo, ARRAYSIZE(record->szInfo), text);
    record->dwInfoFlags = NIIF_INFO;
  }
}

BOOL update_tray_icon(int add, const wchar_t* title, const wchar_t* text) {
  const TrayCall call = choose_tray_call(add, g_app.tray_icon_added);
  if (call == TRAY_CALL_NONE) return FALSE;
  NOTIFYICONDATAW record;
  build_tray_record(&record, title, text);
  if (call == TRAY_CALL_MODIFY) return Shell_NotifyIconW(NIM_MODIFY, &record);
  const BOOL added = Shell_NotifyIconW(NIM_ADD, &record);
  // Set even when the shell refused: the icon is never added twice, and later updates
  // go quietly to NIM_MODIFY.
  g_app.tray_icon_added = 1;
  return added;
}

LRESULT show_main_window(HWND hwnd) {
  ShowWindow(hwnd, SW_RESTORE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  return 0;
}

HMENU create_tray_menu(void) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  for (const TrayMenuItem& item : tray_menu_items) {
    if (item.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
    }
  }
  return menu;
}

LRESULT show_tray_menu(HWND hwnd) {
  POINT at = {0, 0};
  GetCursorPos(&at);
  HMENU menu = create_tray_menu();
  if (menu == nullptr) return 0;
  // Without the foreground the menu would stay open when the user clicks elsewhere.
  SetForegroundWindow(hwnd);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
  DestroyMenu(menu);
  return 0;
}

LRESULT hide_to_tray(HWND hwnd) {
  ShowWindow(hwnd, SW_HIDE);
  // On every close, so the user always learns that protection goes on.
  update_tray_icon(0, TRAY_HIDE_BALLOON_TITLE, TRAY_HIDE_BALLOON_TEXT);
  return 0;
}

LRESULT confirm_exit(HWND hwnd) {
  // Locked by the family: the PIN is typed into the window's message box, so it is shown.
  const bool locked = guardian_lock_on();
  if (locked) {
    show_main_window(hwnd);
    if (!guardian_pin_ready(hwnd, GUARDIAN_CLOSE)) return 0;
  }
  const int answer = MessageBoxW(hwnd, EXIT_CONFIRM_TEXT, EXIT_CONFIRM_CAPTION,
                                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  if (answer != IDYES) return 0;
  if (locked) {
    verify_guardian_pin(GUARDIAN_CLOSE);
    return 0;
  }
  exit_program_now(hwnd);
  return 0;
}

void remove_tray_icon(void) {
  if (!g_app.tray_icon_added) return;
  NOTIFYICONDATAW record;
  ZeroMemory(&record, sizeof(record));
  record.cbSize = sizeof(record);
  record.hWnd = g_app.main_window;
  record.uID = TRAY_ICON_ID;
  Shell_NotifyIconW(NIM_DELETE, &record);
  g_app.tray_icon_added = 0;
}
