#include "checker/checker.h"

#include "app/app_state.h"
#include "checker/check_text.h"

void check_clipboard(HWND hwnd) {
  // Also when the command came from the tray menu: the boxes below need the window up.
  ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  if (!OpenClipboard(g_app.main_window)) {
    MessageBoxW(g_app.main_window, CHECK_CLIPBOARD_LOCKED, CHECK_BOX_CAPTION, MB_ICONWARNING);
    return;
  }
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) {
    CloseClipboard();
    MessageBoxW(g_app.main_window, CHECK_CLIPBOARD_NO_TEXT, CHECK_BOX_CAPTION, MB_ICONINFORMATION);
    return;
  }
  void* locked = GlobalLock(data);
  if (locked == nullptr) {
    CloseClipboard();
    return;
  }
  // Another program filled this block; a text without its NUL must not be read past.
  const wchar_t* text = terminated_clipboard_text(static_cast<const wchar_t*>(locked),
                                                  GlobalSize(data) / sizeof(wchar_t));
  if (text == nullptr || text[0] == L'\0') {
    GlobalUnlock(data);
    CloseClipboard();
    return;
  }
  SetWindowTextW(g_app.message_edit, text);
  GlobalUnlock(data);
  CloseClipboard();
  start_message_check();
}
