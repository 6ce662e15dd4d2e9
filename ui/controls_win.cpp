#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "app/ids.h"
#include "ui/colours.h"
#include "ui/control_rules.h"
#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/tray.h"

#ifndef EM_SETCUEBANNER
#define EM_SETCUEBANNER 0x1501
#endif

namespace {

struct ControlSpec {
  HWND* field;
  int id;
  const wchar_t* class_name;
  const wchar_t* text;
  DWORD style; // on top of WS_CHILD | WS_VISIBLE | WS_TABSTOP
  DWORD ex_style;
  int width; // unscaled: the layout moves and sizes every control straight away
  int height;
  HFONT* font;
};

const DWORD BASE_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// The caption's width in `font` as a button draws it ("&&" shows as one '&').
int caption_width(HWND control, HFONT font) {
  wchar_t caption[96];
  caption[0] = L'\0';
  GetWindowTextW(control, caption, ARRAYSIZE(caption));
  HDC dc = GetDC(control);
  if (dc == nullptr) return 0;
  HGDIOBJ kept = SelectObject(dc, font);
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, caption, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, kept);
  ReleaseDC(control, dc);
  return r.right - r.left;
}

// Gives a button or the checkbox the first of its own font and the smaller ones in which its
// whole caption fits its width, since the text's font is the one at hand on the machine and
// may be wider than the window was drawn for. `chrome` is what the control's frame or box
// takes of its width.
void fit_caption(HWND control, HFONT own, int chrome) {
  if (control == nullptr || own == nullptr) return;
  RECT r;
  if (!GetClientRect(control, &r)) return;
  const int room = (r.right - r.left) - chrome;
  const HFONT fonts[] = {own, g_app.font_body, g_app.font_detail_small, g_app.font_detail_smaller};
  HFONT chosen = own;
  for (HFONT font : fonts) {
    if (font == nullptr) continue;
    chosen = font;
    if (caption_width(control, font) <= room) break;
  }
  if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != chosen)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
}

void fit_captions(void) {
  const int button_chrome = scale(12);
  // The tick box and the gap after it.
  const int box_chrome = GetSystemMetrics(SM_CXMENUCHECK) + scale(8);
  const struct {
    HWND control;
    HFONT own;
    int chrome;
  } captions[] = {
      {g_app.pin_button, g_app.font_button, button_chrome},
      {g_app.get_button, g_app.font_button, button_chrome},
      {g_app.override_button, g_app.font_body, button_chrome},
      {g_app.pause_button, g_app.font_button, button_chrome},
      {g_app.paste_check_button, g_app.font_button, button_chrome},
      {g_app.check_button, g_app.font_button, button_chrome},
      {g_app.clean_popups_button, g_app.font_button, button_chrome},
      {g_app.startup_checkbox, g_app.font_body, box_chrome},
  };
  for (const auto& c : captions)
    fit_caption(c.control, c.own, c.chrome);
}

} // namespace

void create_controls(HWND hwnd) {
  // Creation order is also the z-order; the override button comes before the pause button.
  const ControlSpec rows[] = {
      {&g_app.identifier_edit, IDC_IDENTIFIER_EDIT, L"EDIT", L"", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
       100, 28, &g_app.font_body},
      {&g_app.pin_button, IDC_PIN_BUTTON, L"BUTTON", PIN_CAPTION_SEND, BS_PUSHBUTTON, 0, 100, 28,
       &g_app.font_button},
      {&g_app.get_button, IDC_GET_BUTTON, L"BUTTON", L"Get Callwarden (\u00A34.99/m)",
       BS_PUSHBUTTON, 0, 100, 28, &g_app.font_button},
      {&g_app.override_button, IDC_OVERRIDE_BUTTON, L"BUTTON", L"1-Hr Override (PIN)",
       BS_PUSHBUTTON, 0, 100, 28, &g_app.font_body},
      {&g_app.pause_button, IDC_PAUSE_BUTTON, L"BUTTON", PAUSE_CAPTION_ON, BS_PUSHBUTTON, 0, 100,
       28, &g_app.font_button},
      {&g_app.message_edit, IDC_MESSAGE_EDIT, L"EDIT", L"",
       WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE, 100, 80,
       &g_app.font_body},
      // A button shows "&&" as one '&'; a single one would vanish and underline the 'C'.
      {&g_app.paste_check_button, IDC_PASTE_CHECK_BUTTON, L"BUTTON", L"Paste Clipboard && Check",
       BS_PUSHBUTTON, 0, 100, 32, &g_app.font_button},
      {&g_app.check_button, IDC_CHECK_BUTTON, L"BUTTON", L"Check Message / Link", BS_DEFPUSHBUTTON,
       0, 100, 32, &g_app.font_button},
      {&g_app.clean_popups_button, IDC_CLEAN_POPUPS_BUTTON, L"BUTTON",
       L"Clean Fake Virus Browser Pop-Ups", BS_PUSHBUTTON, 0, 100, 32, &g_app.font_button},
      {&g_app.startup_checkbox, IDC_STARTUP_CHECKBOX, L"BUTTON",
       L"Start Callwarden automatically with Windows", BS_AUTOCHECKBOX, 0, 100, 26,
       &g_app.font_body},
  };
  for (const ControlSpec& row : rows) {
    HWND control = CreateWindowExW(
        row.ex_style, row.class_name, row.text, BASE_STYLE | row.style, 0, 0, row.width, row.height,
        hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), g_app.instance, nullptr);
    *row.field = control;
    if (control == nullptr) continue;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(*row.font), TRUE);
    if (row.field == &g_app.identifier_edit) {
      // TRUE keeps the cue showing while the empty edit has the focus.
      SendMessageW(control, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(IDENTIFIER_CUE_START));
    }
  }
}

void layout_controls(HWND hwnd) {
  RECT client;
  if (!GetClientRect(hwnd, &client)) return;
  const ControlLayout l = control_layout(client.right - client.left, g_app.dpi);
  struct Placement {
    HWND control;
    ControlPlace at;
  };
  const Placement placements[] = {
      {g_app.identifier_edit, l.identifier_edit},
      {g_app.pin_button, l.pin_button},
      {g_app.get_button, l.get_button},
      {g_app.override_button, l.override_button},
      {g_app.pause_button, l.pause_button},
      {g_app.message_edit, l.message_edit},
      {g_app.paste_check_button, l.paste_check_button},
      {g_app.check_button, l.check_button},
      {g_app.clean_popups_button, l.clean_popups_button},
      {g_app.startup_checkbox, l.startup_checkbox},
  };
  for (const Placement& p : placements) {
    if (p.control == nullptr) continue; // a control that failed to be created
    MoveWindow(p.control, p.at.x, p.at.y, p.at.width, p.at.height, TRUE);
  }
  fit_captions();
}

void refresh_controls(void) {
  // Before WM_CREATE there is nothing to refresh, not even the tray icon.
  if (g_app.main_window == nullptr) return;
  const ControlRefresh r = decide_control_refresh(g_app.signed_in, g_app.entitled, g_app.pin_sent,
                                                  g_app.blocker_enabled);
  ShowWindow(g_app.identifier_edit, r.show_identifier_edit ? SW_SHOW : SW_HIDE);
  ShowWindow(g_app.pin_button, r.show_pin_button ? SW_SHOW : SW_HIDE);
  ShowWindow(g_app.get_button, r.show_get_button ? SW_SHOW : SW_HIDE);
  if (r.pin_caption) SetWindowTextW(g_app.pin_button, r.pin_caption);
  SetWindowTextW(g_app.pause_button, r.pause_caption);
  fit_captions(); // a new caption may need a smaller font, or allow the usual one again
  update_tray_icon(0, nullptr, nullptr);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}

HBRUSH on_ctl_color_static(HDC dc) {
  SetBkColor(dc, COLOUR_STATIC_BACK);
  SetTextColor(dc, COLOUR_STATIC_TEXT);
  return g_app.static_brush;
}
