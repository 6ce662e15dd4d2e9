// Placeholder until the main-window subsystem lands.
#include "ui/controls.h"
#include "ui/paint.h"
#include "ui/tray.h"
#include "app/app_state.h"

void create_controls(HWND) {}
void layout_controls(HWND) {}
void refresh_controls(void) {}
HBRUSH on_ctl_color_static(HDC) { return g_app.static_brush; }
void paint_main_window(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, g_app.background_brush);
  EndPaint(hwnd, &ps);
}
BOOL update_tray_icon(int, const wchar_t*, const wchar_t*) { return FALSE; }
LRESULT show_main_window(HWND hwnd) {
  ShowWindow(hwnd, SW_RESTORE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  return 0;
}
LRESULT show_tray_menu(HWND) { return 0; }
LRESULT hide_to_tray(HWND hwnd) {
  ShowWindow(hwnd, SW_HIDE);
  return 0;
}
LRESULT confirm_exit(HWND hwnd) {
  g_app.exit_requested = 1;
  DestroyWindow(hwnd);
  return 0;
}
void remove_tray_icon(void) {}
