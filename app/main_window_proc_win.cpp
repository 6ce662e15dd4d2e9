#include <windows.h>
#include <cstdlib>

#include "account/account.h"
#include "app/app_state.h"
#include "app/heartbeat.h"
#include "app/ids.h"
#include "app/main_window_proc.h"
#include "app/quit_request.h"
#include "app/test_hooks.h"
#include "autostart/autostart.h"
#include "checker/checker.h"
#include "popup_cleaner/popup_cleaner.h"
#include "protection/guardian_lock.h"
#include "protection/protection.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"
#include "service/request_worker.h"
#include "ui/controls.h"
#include "ui/paint.h"
#include "ui/tray.h"

static LRESULT on_create(HWND hwnd) {
  // Everything after this, including the first request, uses main_window.
  g_app.main_window = hwnd;
  create_controls(hwnd);
  // The Startup apps switch is read at start, as with every heartbeat after.
  check_startup_switch();
  layout_controls(hwnd);
  update_tray_icon(1, nullptr, nullptr);
  SetTimer(hwnd, IDT_BLOCKER, blocker_interval_ms(), nullptr);
  start_heartbeat();
  start_service_request(REQUEST_APP_STATUS, nullptr, nullptr);
  return 0;
}

static LRESULT on_destroy(HWND hwnd) {
  KillTimer(hwnd, IDT_BLOCKER);
  KillTimer(hwnd, IDT_HEARTBEAT);
  // Exit and the uninstall end the run as they should; nothing else destroys the window.
  if (g_app.exit_requested) note_clean_end(!g_app.blocker_enabled);
  remove_tray_icon();
  PostQuitMessage(0);
  return 0;
}

static LRESULT on_size(HWND hwnd) {
  layout_controls(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
  return 0;
}

static LRESULT on_close(HWND hwnd) {
  if (g_app.exit_requested) {
    DestroyWindow(hwnd);
  } else {
    hide_to_tray(hwnd);
  }
  return 0;
}

static LRESULT on_timer(WPARAM timer_id) {
  if (timer_id == IDT_BLOCKER && g_app.blocker_enabled) blocker_tick();
  if (timer_id == IDT_HEARTBEAT) on_heartbeat_timer();
  return 0;
}

// A Windows shutdown or sign-out ends the run cleanly; a shutdown called off does not. Once it
// is certain (WM_ENDSESSION), the family page hears that the silence to come is expected.
static LRESULT on_end_session(UINT message, WPARAM wparam) {
  if (message == WM_QUERYENDSESSION || wparam) {
    note_clean_end(!g_app.blocker_enabled);
  } else {
    note_run_going_on();
  }
  if (message == WM_ENDSESSION && wparam)
    report_protection_and_wait(REPORT_SHUTDOWN, REPORT_WAIT_ON_EXIT_MS);
  return message == WM_QUERYENDSESSION ? TRUE : 0;
}

// Going to sleep is expected silence too; awake again, the service hears at once.
static LRESULT on_power(WPARAM event) {
  if (event == PBT_APMSUSPEND) report_protection_and_wait(REPORT_SUSPENDED, REPORT_WAIT_ON_EXIT_MS);
  if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) beat_now();
  return TRUE;
}

static LRESULT on_command(HWND hwnd, WPARAM wparam, LPARAM lparam) {
  // Only the id counts: a control's handler runs for any notification it sends.
  switch (LOWORD(wparam)) {
  case IDC_PIN_BUTTON: on_pin_button(hwnd); return 0;
  case IDC_GET_BUTTON: open_pricing_page(hwnd); return 0;
  case IDC_PAUSE_BUTTON: toggle_blocker(hwnd); return 0;
  case IDC_OVERRIDE_BUTTON:
  case IDM_TRAY_OVERRIDE: request_override(hwnd); return 0;
  case IDC_PASTE_CHECK_BUTTON:
  case IDM_TRAY_CHECK_CLIPBOARD: check_clipboard(hwnd); return 0;
  case IDC_CHECK_BUTTON: start_message_check(); return 0;
  case IDC_CLEAN_POPUPS_BUTTON: clean_browser_popups(hwnd); return 0;
  case IDC_STARTUP_CHECKBOX: toggle_start_with_windows(hwnd); return 0;
  case IDM_TRAY_OPEN: show_main_window(hwnd); return 0;
  case IDM_TRAY_EXIT: confirm_exit(hwnd); return 0;
  default: return DefWindowProcW(hwnd, WM_COMMAND, wparam, lparam);
  }
}

static LRESULT on_tray(HWND hwnd, LPARAM lparam) {
  switch (lparam) {
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK: show_main_window(hwnd); break;
  case WM_RBUTTONUP:
  case WM_CONTEXTMENU: show_tray_menu(hwnd); break;
  default: break;
  }
  return 0;
}

static LRESULT on_result(LPARAM lparam) {
  // The posted result belongs to this procedure from here on: handlers only read it,
  // and it is freed below whatever its kind and whatever the handler did.
  ServiceResult* result = reinterpret_cast<ServiceResult*>(lparam);
  if (result == nullptr) return 0;
  switch (result->kind) {
  case REQUEST_APP_STATUS: on_app_status_result(result); break;
  case REQUEST_SEND_PIN: on_send_pin_result(result); break;
  case REQUEST_VERIFY_PIN: on_verify_pin_result(result); break;
  case REQUEST_CHECK_SCAM: on_check_scam_result(result); break;
  case REQUEST_VERIFY_OVERRIDE_PIN: on_override_pin_result(result); break;
  case REQUEST_VERIFY_GUARDIAN_LOCK: on_guardian_lock_result(result); break;
  case REQUEST_HEARTBEAT: on_heartbeat_result(result); break;
  default: break;
  }
  free(result);
  return 0;
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE: return on_create(hwnd);
  case WM_DESTROY: return on_destroy(hwnd);
  case WM_SIZE: return on_size(hwnd);
  case WM_PAINT: paint_main_window(hwnd); return 0;
  case WM_CLOSE: return on_close(hwnd);
  case WM_ERASEBKGND: return 1; // the paint covers every pixel
  case WM_COMMAND: return on_command(hwnd, wparam, lparam);
  case WM_TIMER: return on_timer(wparam);
  case WM_QUERYENDSESSION:
  case WM_ENDSESSION: return on_end_session(message, wparam);
  case WM_POWERBROADCAST: return on_power(wparam);
  case WM_COPYDATA: return on_quit_with_proof(hwnd, lparam);
  case WM_CTLCOLORSTATIC:
    return reinterpret_cast<LRESULT>(on_ctl_color_static(reinterpret_cast<HDC>(wparam)));
  case WM_APP_TRAY: return on_tray(hwnd, lparam);
  case WM_APP_SHOW: return show_main_window(hwnd);
  case WM_APP_QUIT: return on_plain_quit(hwnd);
  case WM_APP_RESULT: return on_result(lparam);
#ifdef CALLWARDEN_TEST_HOOKS
  case WM_APP_TEST_REQUEST: return on_test_request(wparam, lparam);
#endif
  default: return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}
