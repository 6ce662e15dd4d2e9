#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "ui/layout.h"
#include "ui/paint.h"

namespace {

const COLORREF BACKGROUND = RGB(241, 245, 249);
const COLORREF HEADER_BAND = RGB(11, 87, 208);
const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF CARD_BORDER = RGB(218, 220, 224);
const uint64_t NOW = 10000000;

struct VerdictColours {
  COLORREF fill, border, status;
};
const VerdictColours IDLE = {RGB(248, 250, 252), RGB(203, 213, 225), RGB(30, 41, 59)};

// Paints into a 32-bit DIB the size of the client area and reads pixels back.
class UiPaint : public ::testing::Test {
protected:
  void SetUp() override { set_dpi(96); }

  void TearDown() override {
    release_canvas();
    release_resources();
  }

  void set_dpi(unsigned dpi) {
    release_resources();
    reset_app_state();
    g_app.dpi = dpi;
    // The fonts are made at the DPI, as start-up does.
    g_app.font_header = create_ui_font(20, 700);
    g_app.font_small = create_ui_font(12, 400);
    g_app.font_card_title = create_ui_font(14, 700);
    g_app.font_body = create_ui_font(13, 400);
    g_app.font_button = create_ui_font(13, 600);
    g_app.font_status = create_ui_font(15, 700);
    g_app.font_detail_small = create_ui_font(12, 400);
    g_app.font_detail_smaller = create_ui_font(11, 400);
    g_app.background_brush = CreateSolidBrush(BACKGROUND);
    g_app.static_brush = CreateSolidBrush(WHITE);
    width_ = scale(680);
    height_ = scale(622);
  }

  void paint(uint64_t now = NOW) {
    if (dc_ == nullptr) make_canvas();
    paint_client_area(dc_, width_, height_, now);
  }

  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

  // Pixels of exactly `colour` inside a box; text drawn in a colour leaves some.
  int count_in(const PaintBox& b, COLORREF colour) const {
    int n = 0;
    for (int y = b.top; y < b.bottom; y++) {
      for (int x = b.left; x < b.right; x++)
        n += at(x, y) == colour ? 1 : 0;
    }
    return n;
  }

  // Checks each side of a card at its middle: one pixel of border between the fill
  // inside and whatever lies outside.
  void expect_card(const PaintBox& b, COLORREF fill, COLORREF border, COLORREF outside) const {
    const int mid_x = (b.left + b.right) / 2;
    const int mid_y = (b.top + b.bottom) / 2;
    EXPECT_EQ(at(b.left - 1, mid_y), outside) << "left outside";
    EXPECT_EQ(at(b.left, mid_y), border) << "left border";
    EXPECT_EQ(at(b.left + 1, mid_y), fill) << "left inside";
    EXPECT_EQ(at(b.right - 2, mid_y), fill) << "right inside";
    EXPECT_EQ(at(b.right - 1, mid_y), border) << "right border";
    EXPECT_EQ(at(b.right, mid_y), outside) << "right outside";
    EXPECT_EQ(at(mid_x, b.top - 1), outside) << "top outside";
    EXPECT_EQ(at(mid_x, b.top), border) << "top border";
    EXPECT_EQ(at(mid_x, b.top + 1), fill) << "top inside";
    EXPECT_EQ(at(mid_x, b.bottom - 2), fill) << "bottom inside";
    EXPECT_EQ(at(mid_x, b.bottom - 1), border) << "bottom border";
    EXPECT_EQ(at(mid_x, b.bottom), outside) << "bottom outside";
  }

  PaintLayout layout() const {
    return paint_layout(width_, g_app.dpi, (g_app.signed_in && g_app.entitled) ? 0 : 1);
  }

  void make_canvas() {
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof(bi));
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap_, nullptr);
    kept_ = SelectObject(dc_, bitmap_);
  }

  void release_canvas() {
    if (dc_) {
      SelectObject(dc_, kept_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
  }

  void release_resources() {
    HGDIOBJ objects[] = {g_app.font_header,       g_app.font_small,          g_app.font_card_title,
                         g_app.font_body,         g_app.font_button,         g_app.font_status,
                         g_app.font_detail_small, g_app.font_detail_smaller, g_app.background_brush,
                         g_app.static_brush};
    for (HGDIOBJ o : objects) {
      if (o) DeleteObject(o);
    }
    reset_app_state();
  }

  int width_ = 0;
  int height_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ kept_ = nullptr;
};

} // namespace

TEST_F(UiPaint, header_band_is_blue_with_title_and_credit_line_on_it) {
  paint();
  const PaintLayout l = layout();
  EXPECT_EQ(at(0, 0), HEADER_BAND);
  EXPECT_EQ(at(679, 61), HEADER_BAND);
  EXPECT_EQ(at(5, 62), BACKGROUND);
  EXPECT_EQ(at(679, 621), BACKGROUND);
  EXPECT_GT(count_in(l.title, WHITE), 20);
  // The credit line is small and anti-aliased: count what is not band colour.
  const int band = count_in(l.credit_line, HEADER_BAND);
  const int area =
      (l.credit_line.right - l.credit_line.left) * (l.credit_line.bottom - l.credit_line.top);
  EXPECT_GT(area - band, 50);
}

TEST_F(UiPaint, white_cards_have_one_pixel_grey_borders_at_96_dpi) {
  paint();
  const PaintLayout l = layout();
  {
    SCOPED_TRACE("account card");
    expect_card(l.account_card, WHITE, CARD_BORDER, BACKGROUND);
  }
  {
    SCOPED_TRACE("checker card");
    expect_card(l.checker_card, WHITE, CARD_BORDER, BACKGROUND);
  }
  {
    SCOPED_TRACE("bottom card");
    expect_card(l.bottom_card, WHITE, CARD_BORDER, BACKGROUND);
  }
  // The corners are rounded: the very corner pixel stays background.
  EXPECT_EQ(at(l.checker_card.left, l.checker_card.top), BACKGROUND);
}

TEST_F(UiPaint, borders_stay_one_pixel_wide_at_144_dpi) {
  set_dpi(144);
  paint();
  const PaintLayout l = layout();
  EXPECT_EQ(width_, 1020);
  EXPECT_EQ(at(500, 92), HEADER_BAND);
  EXPECT_EQ(at(500, 93), BACKGROUND);
  {
    SCOPED_TRACE("checker card");
    expect_card(l.checker_card, WHITE, CARD_BORDER, BACKGROUND);
  }
  {
    SCOPED_TRACE("verdict card");
    EXPECT_EQ(l.verdict_card.left, 51);
    EXPECT_EQ(l.verdict_card.bottom, 804);
    expect_card(l.verdict_card, IDLE.fill, IDLE.border, WHITE);
  }
  {
    SCOPED_TRACE("account card");
    expect_card(l.account_card, WHITE, CARD_BORDER, BACKGROUND);
  }
}

TEST_F(UiPaint, account_card_holds_the_purchase_row_until_the_account_is_entitled) {
  paint();
  EXPECT_EQ(at(300, 110), WHITE);
  EXPECT_EQ(at(300, 127), CARD_BORDER);
  EXPECT_EQ(at(300, 128), BACKGROUND);

  g_app.signed_in = 1; // the purchase button still shows: the card keeps its row
  paint();
  EXPECT_EQ(at(300, 127), CARD_BORDER);
  EXPECT_EQ(at(300, 128), BACKGROUND);

  g_app.entitled = 1;
  paint();
  EXPECT_EQ(at(300, 104), WHITE);
  EXPECT_EQ(at(300, 105), CARD_BORDER);
  EXPECT_EQ(at(300, 106), BACKGROUND);
  EXPECT_EQ(at(300, 110), BACKGROUND);
}

TEST_F(UiPaint, protection_card_shows_each_of_its_three_states) {
  const struct {
    const char* name;
    int enabled;
    uint64_t until;
    uint64_t now;
    COLORREF fill, border, headline;
  } cases[] = {
      {"paused", 0, NOW + 5000, NOW, RGB(254, 242, 242), RGB(248, 113, 113), RGB(179, 38, 30)},
      {"override", 1, NOW + 5000, NOW, RGB(254, 247, 224), RGB(245, 158, 11), RGB(146, 64, 14)},
      {"override just ended", 1, NOW, NOW, RGB(236, 253, 245), RGB(16, 185, 129), RGB(6, 95, 70)},
      {"armed", 1, 0, NOW, RGB(236, 253, 245), RGB(16, 185, 129), RGB(6, 95, 70)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_app.blocker_enabled = c.enabled;
    g_app.override_until = c.until;
    paint(c.now);
    const PaintLayout l = layout();
    expect_card(l.protection_card, c.fill, c.border, BACKGROUND);
    EXPECT_GT(count_in(l.protection_headline, c.headline), 10);
  }
}

TEST_F(UiPaint, verdict_card_takes_the_colours_of_each_verdict) {
  const struct {
    int state;
    VerdictColours colours;
  } cases[] = {
      {0, IDLE},
      {1, {RGB(230, 244, 234), RGB(52, 168, 83), RGB(20, 108, 46)}},
      {2, {RGB(254, 247, 224), RGB(251, 188, 4), RGB(146, 64, 14)}},
      {3, {RGB(252, 232, 230), RGB(217, 48, 37), RGB(179, 38, 30)}},
      {4, {RGB(239, 246, 255), RGB(59, 130, 246), RGB(11, 87, 208)}},
      // Values no handler sets paint as Idle (5 and 7 still fit the enumeration's range).
      {5, IDLE},
      {7, IDLE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    g_app.verdict_state = static_cast<VerdictState>(c.state);
    paint();
    const PaintLayout l = layout();
    expect_card(l.verdict_card, c.colours.fill, c.colours.border, WHITE);
    EXPECT_GT(count_in(l.status_line, c.colours.status), 10);
  }
}

TEST_F(UiPaint, one_line_texts_too_wide_for_their_box_end_in_an_ellipsis) {
  // Unbroken capitals: cut off without an ellipsis, a letter would reach the box's right
  // edge at full height; with one, only the baseline dots can come near it.
  std::vector<wchar_t> wide(ARRAYSIZE(g_app.status_text), L'W');
  wide.back() = L'\0';
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), wide.data());
  copy_wide(g_app.account_text, ARRAYSIZE(g_app.account_text), wide.data());
  g_app.verdict_state = VERDICT_SCAM;
  paint();
  const PaintLayout l = layout();
  const struct {
    const char* name;
    PaintBox box;
    COLORREF fill;
    COLORREF ink;
  } lines[] = {{"status line", l.status_line, RGB(252, 232, 230), RGB(179, 38, 30)},
               {"account line", l.account_line, WHITE, RGB(31, 41, 55)}};
  for (const auto& line : lines) {
    SCOPED_TRACE(line.name);
    EXPECT_GT(count_in(line.box, line.ink), 10);
    PaintBox upper_right = line.box;
    upper_right.left = line.box.right - 8;
    upper_right.bottom = (line.box.top + line.box.bottom) / 2;
    const int area = 8 * (upper_right.bottom - upper_right.top);
    EXPECT_EQ(count_in(upper_right, line.fill), area);
    // Nothing spills past the box on its one line.
    for (int y = line.box.top; y < line.box.bottom; y++) {
      ASSERT_EQ(at(line.box.right + 1, y), line.fill) << y;
    }
  }
}

TEST_F(UiPaint, leaves_the_device_context_as_it_found_it) {
  make_canvas();
  HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
  HGDIOBJ pen = GetCurrentObject(dc_, OBJ_PEN);
  HGDIOBJ font = GetCurrentObject(dc_, OBJ_FONT);
  paint();
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BITMAP), bitmap_);
}

TEST_F(UiPaint, deletes_every_brush_and_pen_it_makes) {
  // Fill the process's GDI handle table but for a few slots: a paint that leaked its
  // eleven brushes and pens would run out within a few rounds and paint wrong colours.
  make_canvas();
  std::vector<HGDIOBJ> hoard;
  for (;;) {
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    if (b == nullptr) break;
    hoard.push_back(b);
    if (hoard.size() > 200000) break;
  }
  const size_t headroom = 60;
  for (size_t i = 0; i < headroom && !hoard.empty(); i++) {
    DeleteObject(hoard.back());
    hoard.pop_back();
  }
  g_app.blocker_enabled = 0;
  g_app.verdict_state = VERDICT_SAFE;
  for (int round = 0; round < 40; round++)
    paint();
  const PaintLayout l = layout();
  const bool header_ok = at(5, 5) == HEADER_BAND;
  const COLORREF border = at(l.protection_card.left, (l.protection_card.top + 100) / 2 + 60);
  const COLORREF verdict_fill = at(l.verdict_card.left + 3, 466);
  size_t still_free = 0;
  std::vector<HGDIOBJ> probe;
  for (size_t i = 0; i < headroom - 10; i++) {
    HBRUSH b = CreateSolidBrush(RGB(4, 5, 6));
    if (b == nullptr) break;
    probe.push_back(b);
    still_free++;
  }
  for (HGDIOBJ o : probe)
    DeleteObject(o);
  for (HGDIOBJ o : hoard)
    DeleteObject(o);
  EXPECT_TRUE(header_ok);
  EXPECT_EQ(border, RGB(248, 113, 113));
  EXPECT_EQ(verdict_fill, RGB(230, 244, 234));
  EXPECT_EQ(still_free, headroom - 10);
}

namespace {

// A scam verdict as long as the service gives: four reasons, one of them wrapping, and advice
// over three lines.
const wchar_t kFourReasonDetail[] =
    L"This message looks like a scam.\r\n- A link goes to royalmail-fees.top, which uses the "
    L"name Royal Mail but is not Royal Mail's website.\r\n- It asks for your card or bank "
    L"details.\r\n- It asks for a small fee to deliver a parcel, the most common scam text in the "
    L"UK.\r\n- It threatens arrest, fines or a closed account to frighten you into acting.\r\n"
    L"Advice: Do not open it. Go to Royal Mail's own website or app by typing the address "
    L"yourself. Do not reply, click or pay. If it came by text, forward it to 7726 for free. If "
    L"you have already paid or shared details, call your bank on 159 and report it to Action "
    L"Fraud.";

std::wstring joined(const std::wstring& text) {
  std::wstring out = text;
  for (size_t at = out.find(L"\r\n- "); at != std::wstring::npos; at = out.find(L"\r\n- "))
    out.replace(at, 4, L"  \u2022 ");
  return out;
}

class UiPaintFit : public UiPaint, public ::testing::WithParamInterface<unsigned> {};

// Whether the box shows exactly `text` drawn whole in a Segoe UI request of `px` (at 96 DPI).
bool box_shows(HDC painted, const PaintBox& b, COLORREF fill, COLORREF ink, int px,
               const std::wstring& text) {
  const int w = b.right - b.left;
  const int h = b.bottom - b.top;
  HDC dc = CreateCompatibleDC(painted);
  HBITMAP bitmap = CreateCompatibleBitmap(painted, w, h);
  HGDIOBJ kept_bitmap = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT r = {0, 0, w, h};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  HFONT font = create_ui_font(px, 400);
  HGDIOBJ kept_font = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  DrawTextW(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  bool same = true;
  for (int y = 0; y < h && same; y++) {
    for (int x = 0; x < w && same; x++)
      same = GetPixel(dc, x, y) == GetPixel(painted, b.left + x, b.top + y);
  }
  SelectObject(dc, kept_font);
  SelectObject(dc, kept_bitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return same;
}

TEST_P(UiPaintFit, a_four_reason_verdict_shows_whole_in_its_box) {
  set_dpi(GetParam());
  copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text), kFourReasonDetail);
  g_app.verdict_state = VERDICT_SCAM;
  paint();
  const PaintLayout l = layout();
  const COLORREF fill = RGB(252, 232, 230);
  bool whole = false;
  for (int px : {13, 12, 11}) {
    for (const std::wstring& text : {std::wstring(kFourReasonDetail), joined(kFourReasonDetail)})
      whole = whole || box_shows(dc_, l.detail_text, fill, RGB(31, 41, 55), px, text);
  }
  EXPECT_TRUE(whole) << "the detail is not the whole text in 13, 12 or 11 px";
  // Nothing below the box but the card's own padding and border.
  PaintBox below = l.detail_text;
  below.top = l.detail_text.bottom;
  below.bottom = l.verdict_card.bottom - 1;
  EXPECT_EQ(count_in(below, fill), (below.right - below.left) * (below.bottom - below.top));
}

TEST_P(UiPaintFit, the_sign_in_line_shows_whole_above_the_row_of_controls) {
  set_dpi(GetParam());
  copy_wide(g_app.account_text, ARRAYSIZE(g_app.account_text),
            L"Sign in with your Email or UK Mobile (07...) to link Family Guardian alerts:");
  paint();
  const PaintLayout l = layout();
  // The line's ink lies inside its box, which ends where the edit and buttons begin.
  EXPECT_GT(count_in(l.account_line, RGB(31, 41, 55)), 20);
  const int right_end = l.account_line.right;
  for (int y = l.account_line.top; y < l.account_line.bottom; y++)
    ASSERT_EQ(at(right_end, y), WHITE) << "the line runs past its box at y " << y;
  for (int x = l.account_line.left; x < l.account_line.right; x++)
    ASSERT_EQ(at(x, l.account_line.bottom), WHITE) << "ink below the line at x " << x;
}

INSTANTIATE_TEST_SUITE_P(AtTwoDpis, UiPaintFit, ::testing::Values(96u, 144u));

} // namespace
