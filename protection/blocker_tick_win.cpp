#include <windows.h>

#include "app/app_state.h"
#include "app/heartbeat.h"
#include "protection/blocker_rules.h"
#include "protection/protection.h"
#include "protection/protection_clock.h"
#include "protection/protection_texts.h"
#include "protection/tool_sweep.h"
#include "service/request_worker.h"

static void repaint_main_window(void) {
  if (g_app.main_window) InvalidateRect(g_app.main_window, nullptr, TRUE);
}

static void report_blocked_tool(const wchar_t* tool_name) {
  char utf8[96];
  ZeroMemory(utf8, sizeof(utf8));
  WideCharToMultiByte(CP_UTF8, 0, tool_name, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
  utf8[sizeof(utf8) - 1] = '\0';
  // The request copies the text before it returns; whether it started is not our concern.
  start_service_request(REQUEST_REPORT_BLOCKED_TOOL, utf8, nullptr);
}

static void show_blocker_alert(const wchar_t* tool_name) {
  wchar_t text[720];
  format_blocker_alert(text, ARRAYSIZE(text), tool_name);
  MessageBoxW(g_app.main_window, text, BLOCKER_ALERT_CAPTION,
              MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

void blocker_tick(void) {
  // The window procedure already skips a paused blocker; a nested tick that was queued
  // before the pause must not act either.
  if (!g_app.blocker_enabled) return;
  const uint64_t now = protection_now();
  switch (override_gate(now, g_app.override_until)) {
  case OVERRIDE_RUNNING: return;
  case OVERRIDE_ENDED:
    g_app.override_until = 0;
    repaint_main_window(); // the card shows the blocker armed again
    break;
  case OVERRIDE_NONE: break;
  }

  wchar_t kept_name[64];
  if (!terminate_remote_tools(kept_name, ARRAYSIZE(kept_name))) return;
  // A program ended now would be the scam's next step: the service hears from it every minute.
  note_tool_ended();
  if (!blocker_should_alert(kept_name, g_app.last_blocked_tool, now, g_app.last_report_tick)) {
    return;
  }

  // The alert box runs its own message loop and ticks keep arriving inside it, so the
  // throttle and the count must be up to date before the box is shown.
  g_app.last_report_tick = now;
  g_app.blocked_count++;
  copy_wide(g_app.last_blocked_tool, ARRAYSIZE(g_app.last_blocked_tool), kept_name);
  report_blocked_tool(kept_name);

  if (g_app.main_window) {
    ShowWindow(g_app.main_window, SW_RESTORE); // also brings the window back from the tray
    SetForegroundWindow(g_app.main_window);
    repaint_main_window();
  }
  show_blocker_alert(kept_name);
}
