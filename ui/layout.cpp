#include "ui/layout.h"

#include "app/scale.h"

namespace {

ControlPlace place(int x, int y, int width, int height) {
  ControlPlace p;
  p.x = x;
  p.y = y;
  p.width = width < 0 ? 0 : width;
  p.height = height;
  return p;
}

PaintBox box(int left, int top, int right, int bottom) {
  PaintBox b;
  b.left = left;
  b.top = top;
  b.right = right;
  b.bottom = bottom;
  return b;
}

} // namespace

ControlLayout control_layout(int client_width, unsigned dpi) {
  auto s = [dpi](int v) { return scale_for_dpi(v, dpi); };
  const int w = client_width;
  const int m = s(20);
  const int inner = w - 2 * m;
  const int right = w - m; // three controls hang from the right edge

  ControlLayout l;
  l.identifier_edit = place(m + s(12), s(88), s(260), s(30));
  l.pin_button = place(m + s(280), s(88), s(150), s(30));
  l.get_button = place(right - s(185), s(88), s(173), s(30));
  l.override_button = place(right - s(296), s(154), s(145), s(32));
  l.pause_button = place(right - s(142), s(154), s(130), s(32));
  l.message_edit = place(m + s(14), s(268), inner - s(28), s(82));
  l.paste_check_button = place(m + s(14), s(268) + s(90), s(220), s(34));
  l.check_button = place(m + s(244), s(268) + s(90), s(190), s(34));
  l.clean_popups_button = place(m + s(14), s(562), s(275), s(34));
  l.startup_checkbox = place(m + s(304), s(562) + s(4), inner - s(316), s(26));
  return l;
}

PaintLayout paint_layout(int client_width, unsigned dpi, int row_shown) {
  auto s = [dpi](int v) { return scale_for_dpi(v, dpi); };
  const int w = client_width;
  const int m = s(20);
  const int right = w - m;

  PaintLayout p;
  p.header_band = box(0, 0, w, s(62));
  p.title = box(m, s(8), right, s(36));
  p.credit_line = box(m, s(35), right, s(58));
  // The line sits above the row of controls (y 88 to 118), so none of them covers it, and
  // spans the card; the card ends below the row. With no row, a short card holds the line.
  if (row_shown) {
    p.account_card = box(m, s(68), right, s(128));
    p.account_line = box(m + s(14), s(69), right - s(14), s(88));
  } else {
    p.account_card = box(m, s(68), right, s(106));
    p.account_line = box(m + s(14), s(72), right - s(14), s(102));
  }
  p.protection_card = box(m, s(136), right, s(226));
  p.protection_headline = box(m + s(14), s(146), right - s(304), s(174));
  p.blocked_line = box(m + s(14), s(188), right - s(14), s(220));
  p.checker_card = box(m, s(236), right, s(542));
  p.checker_title = box(m + s(14), s(242), right - s(14), s(266));
  // Six pixels above the checker card's edge: room for a verdict with four reasons.
  p.verdict_card = box(m + s(14), s(402), right - s(14), s(536));
  const PaintBox v = p.verdict_card;
  p.status_line = box(v.left + s(12), v.top + s(8), v.right - s(12), v.top + s(32));
  p.detail_text = box(v.left + s(12), v.top + s(32), v.right - s(12), v.bottom - s(6));
  p.bottom_card = box(m, s(550), right, s(608));
  return p;
}
