#pragma once
// The one process-wide state record. Owned by the main thread; workers never read it.
#include <windows.h>
#include <cstdint>

#include "app/verdict_state.h"

struct AppState {
  // Account and service
  char auth_token[320];
  char device_label[128];
  int signed_in;
  int entitled;
  int pin_sent;
  char challenge_id[96];

  // Remote-tool protection
  int blocker_enabled;
  uint64_t override_until;
  int blocked_count;
  wchar_t last_blocked_tool[64];
  uint64_t last_report_tick;
  int guardian_lock;    // pausing, closing and removing need the Guardian PIN (the service says)
  int guardian_pending; // what a Guardian PIN on its way to the service opens (GuardianPurpose)
  uint64_t tool_ended_tick;    // when the blocker last ended a tool (GetTickCount64), 0: never
  unsigned heartbeat_wait_ms;  // the heartbeat timer's wait now
  unsigned asked_heartbeat_ms; // how often the service's last status answer asked to hear, or 0
  int quit_reported;           // a quit from another copy that reported the removal itself

  // Message checker and window texts
  VerdictState verdict_state;
  wchar_t status_text[160];
  wchar_t detail_text[1400];
  wchar_t account_text[256];

  // Window, lifetime and drawing resources
  HINSTANCE instance;
  HWND main_window;
  int exit_requested;
  int tray_icon_added;
  unsigned dpi;
  HWND identifier_edit;
  HWND pin_button;
  HWND get_button;
  HWND pause_button;
  HWND override_button;
  HWND message_edit;
  HWND paste_check_button;
  HWND check_button;
  HWND clean_popups_button;
  HWND startup_checkbox;
  HBRUSH background_brush;
  HBRUSH static_brush;
  HFONT font_header;
  HFONT font_small;
  HFONT font_card_title;
  HFONT font_body;
  HFONT font_button;
  HFONT font_status;
  HFONT font_detail_small; // the verdict's detail when it does not fit in font_body
  HFONT font_detail_smaller;
  HICON large_icon;
  HICON small_icon;
};

extern AppState g_app;

// Puts every field back to its start value (used once at start and by tests).
void reset_app_state(void);

// MulDiv(v, g_app.dpi, 96).
int scale(int v);

// Copies a UTF-16 text into a fixed buffer, cut to capacity - 1 and terminated.
void copy_wide(wchar_t* out, size_t capacity, const wchar_t* text);
