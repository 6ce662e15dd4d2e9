#include <windows.h>

#include "app/app_state.h"
#include "ui/card_looks.h"
#include "ui/detail_fit.h"
#include "ui/colours.h"
#include "ui/layout.h"
#include "ui/paint.h"
#include "ui/window_texts.h"

namespace {

RECT to_rect(const PaintBox& b) {
  RECT r;
  r.left = b.left;
  r.top = b.top;
  r.right = b.right;
  r.bottom = b.bottom;
  return r;
}

// DT_NOPREFIX on every text: without it DrawTextW swallows each '&' and underlines the
// next letter ("ScreenConnect & QuickAssist", "Paste Clipboard & Check"), and verdict texts
// from the service may hold any character.
void draw_text(HDC dc, HFONT font, COLORREF colour, const wchar_t* text, const PaintBox& box,
               UINT flags) {
  SelectObject(dc, font);
  SetTextColor(dc, colour);
  RECT r = to_rect(box);
  DrawTextW(dc, text, -1, &r, flags | DT_NOPREFIX);
}

const UINT ONE_LINE = DT_SINGLELINE | DT_VCENTER;
// DT_EDITCONTROL breaks a word wider than the box (a long link) instead of running past it.
const UINT WRAPPED = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

// Width of a one-line text in `font`, in pixels.
int text_width(HDC dc, HFONT font, const wchar_t* text) {
  SelectObject(dc, font);
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return r.right - r.left;
}

// The first of `fonts` (null ones skipped) in which the one-line text fits the box's width;
// the first font when none does (the text then ends in an ellipsis where it may, or is cut).
HFONT one_line_font(HDC dc, const wchar_t* text, const PaintBox& box, HFONT first, HFONT second,
                    HFONT third) {
  const HFONT fonts[] = {first, second, third};
  for (HFONT font : fonts) {
    if (font != nullptr && text_width(dc, font, text) <= box.right - box.left) return font;
  }
  return first;
}

struct DetailMeasure {
  HDC dc;
  HFONT fonts[3];
  int width;
};

int measure_detail(void* context, int font, const wchar_t* text, size_t units) {
  const DetailMeasure* m = static_cast<const DetailMeasure*>(context);
  if (font < 0 || font >= 3 || m->fonts[font] == nullptr) return -1;
  SelectObject(m->dc, m->fonts[font]);
  RECT r = {0, 0, m->width, 0};
  if (units == 0) return 0;
  DrawTextW(m->dc, text, static_cast<int>(units), &r, WRAPPED | DT_CALCRECT);
  if (r.right - r.left > m->width) return -1;
  return r.bottom - r.top;
}

// A wrapped text in the body font, or on fewer lines or in a smaller font when it does not fit
// its box (see ui/detail_fit.h).
void draw_wrapped(HDC dc, const wchar_t* text, COLORREF colour, const PaintBox& box) {
  DetailMeasure m = {dc,
                     {g_app.font_body, g_app.font_detail_small, g_app.font_detail_smaller},
                     box.right - box.left};
  DetailFit fit;
  fit_detail(text, 3, box.bottom - box.top, measure_detail, &m, &fit);
  HFONT font = m.fonts[fit.font] != nullptr ? m.fonts[fit.font] : g_app.font_body;
  SelectObject(dc, font);
  SetTextColor(dc, colour);
  RECT r = to_rect(box);
  DrawTextW(dc, fit.text, -1, &r, WRAPPED);
}

} // namespace

void draw_card(HDC dc, const RECT& rect, COLORREF fill, COLORREF border) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, border); // one pixel whatever the DPI
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  const int corner = scale(14);
  RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
  if (brush) DeleteObject(brush);
  if (pen) DeleteObject(pen);
}

void paint_client_area(HDC dc, int width, int height, uint64_t now) {
  const PaintLayout l = paint_layout(width, g_app.dpi, (g_app.signed_in && g_app.entitled) ? 0 : 1);
  // The fonts are g_app's; the one selected first goes back so the DC holds none of ours.
  HGDIOBJ old_font = GetCurrentObject(dc, OBJ_FONT);

  RECT client = {0, 0, width, height};
  FillRect(dc, &client, g_app.background_brush);
  SetBkMode(dc, TRANSPARENT);

  HBRUSH band = CreateSolidBrush(COLOUR_HEADER_BAND);
  if (band) {
    RECT r = to_rect(l.header_band);
    FillRect(dc, &r, band);
    DeleteObject(band);
  }
  draw_text(dc, g_app.font_header, COLOUR_HEADER_TITLE, UI_TITLE_TEXT, l.title, ONE_LINE);
  draw_text(dc, g_app.font_small, COLOUR_HEADER_CREDIT, UI_CREDIT_TEXT, l.credit_line, ONE_LINE);

  draw_card(dc, to_rect(l.account_card), COLOUR_CARD_FILL, COLOUR_CARD_BORDER);
  draw_text(dc,
            one_line_font(dc, g_app.account_text, l.account_line, g_app.font_button,
                          g_app.font_body, g_app.font_detail_small),
            COLOUR_ACCOUNT_TEXT, g_app.account_text, l.account_line, ONE_LINE | DT_END_ELLIPSIS);

  const ProtectionLook protection =
      protection_look(choose_protection_state(g_app.blocker_enabled, g_app.override_until, now));
  draw_card(dc, to_rect(l.protection_card), protection.fill, protection.border);
  draw_text(dc,
            one_line_font(dc, protection.headline, l.protection_headline, g_app.font_card_title,
                          g_app.font_button, g_app.font_body),
            protection.headline_colour, protection.headline, l.protection_headline,
            ONE_LINE | DT_END_ELLIPSIS);

  wchar_t blocked_line[BLOCKED_LINE_CAPACITY];
  format_blocked_line(blocked_line, BLOCKED_LINE_CAPACITY, g_app.blocked_count);
  draw_wrapped(dc, blocked_line, COLOUR_BLOCKED_TEXT, l.blocked_line);

  draw_card(dc, to_rect(l.checker_card), COLOUR_CARD_FILL, COLOUR_CARD_BORDER);
  draw_text(dc, g_app.font_card_title, COLOUR_CHECKER_TITLE, UI_CHECKER_TITLE_TEXT, l.checker_title,
            ONE_LINE);

  const VerdictLook verdict = verdict_look(static_cast<int>(g_app.verdict_state));
  draw_card(dc, to_rect(l.verdict_card), verdict.fill, verdict.border);
  draw_text(dc, g_app.font_status, verdict.status_colour, g_app.status_text, l.status_line,
            ONE_LINE | DT_END_ELLIPSIS);
  draw_wrapped(dc, g_app.detail_text, COLOUR_DETAIL_TEXT, l.detail_text);

  draw_card(dc, to_rect(l.bottom_card), COLOUR_CARD_FILL, COLOUR_CARD_BORDER);
  SelectObject(dc, old_font);
}

void paint_main_window(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC window_dc = BeginPaint(hwnd, &ps);
  if (window_dc == nullptr) return;
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  // A minimised window has no client area to draw.
  if (width > 0 && height > 0) {
    const uint64_t now = GetTickCount64();
    HDC memory = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(window_dc, width, height) : nullptr;
    if (bitmap) {
      HGDIOBJ kept = SelectObject(memory, bitmap);
      paint_client_area(memory, width, height, now);
      BitBlt(window_dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
      SelectObject(memory, kept);
      DeleteObject(bitmap);
    } else {
      // Without an off-screen bitmap (GDI memory exhausted) drawing in place still beats
      // leaving the window blank; it may flicker, nothing worse.
      paint_client_area(window_dc, width, height, now);
    }
    if (memory) DeleteDC(memory);
  }
  EndPaint(hwnd, &ps);
}
