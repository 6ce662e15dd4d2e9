#include <gtest/gtest.h>

#include "ui/layout.h"

namespace {

struct Expected {
  int x, y, width, height;
};

void expect_place(const ControlPlace& got, Expected want, const char* name) {
  EXPECT_EQ(got.x, want.x) << name;
  EXPECT_EQ(got.y, want.y) << name;
  EXPECT_EQ(got.width, want.width) << name;
  EXPECT_EQ(got.height, want.height) << name;
}

void expect_box(const PaintBox& got, int left, int top, int right, int bottom, const char* name) {
  EXPECT_EQ(got.left, left) << name;
  EXPECT_EQ(got.top, top) << name;
  EXPECT_EQ(got.right, right) << name;
  EXPECT_EQ(got.bottom, bottom) << name;
}

bool inside(const ControlPlace& c, const PaintBox& b) {
  return c.x >= b.left && c.y >= b.top && c.x + c.width <= b.right && c.y + c.height <= b.bottom;
}

} // namespace

TEST(UiControlLayout, places_every_control_at_96_dpi_for_the_normal_width) {
  const ControlLayout l = control_layout(680, 96);
  expect_place(l.identifier_edit, {32, 88, 260, 30}, "identifier_edit");
  expect_place(l.pin_button, {300, 88, 150, 30}, "pin_button");
  expect_place(l.get_button, {475, 88, 173, 30}, "get_button");
  expect_place(l.override_button, {364, 154, 145, 32}, "override_button");
  expect_place(l.pause_button, {518, 154, 130, 32}, "pause_button");
  expect_place(l.message_edit, {34, 268, 612, 82}, "message_edit");
  expect_place(l.paste_check_button, {34, 358, 220, 34}, "paste_check_button");
  expect_place(l.check_button, {264, 358, 190, 34}, "check_button");
  expect_place(l.clean_popups_button, {34, 562, 275, 34}, "clean_popups_button");
  expect_place(l.startup_checkbox, {324, 566, 324, 26}, "startup_checkbox");
}

TEST(UiControlLayout, right_hand_controls_share_one_right_edge_at_96_dpi) {
  const ControlLayout l = control_layout(680, 96);
  EXPECT_EQ(l.get_button.x + l.get_button.width, 648);
  EXPECT_EQ(l.pause_button.x + l.pause_button.width, 648);
  EXPECT_EQ(l.startup_checkbox.x + l.startup_checkbox.width, 648);
  EXPECT_EQ(l.message_edit.x + l.message_edit.width, 646);
}

TEST(UiControlLayout, scales_every_term_at_144_dpi) {
  const ControlLayout l = control_layout(1020, 144);
  expect_place(l.identifier_edit, {48, 132, 390, 45}, "identifier_edit");
  expect_place(l.pin_button, {450, 132, 225, 45}, "pin_button");
  // 185 and 173 scale to 277.5 and 259.5, both rounded away from zero.
  expect_place(l.get_button, {712, 132, 260, 45}, "get_button");
  expect_place(l.override_button, {546, 231, 218, 48}, "override_button");
  expect_place(l.pause_button, {777, 231, 195, 48}, "pause_button");
  expect_place(l.message_edit, {51, 402, 918, 123}, "message_edit");
  expect_place(l.paste_check_button, {51, 537, 330, 51}, "paste_check_button");
  expect_place(l.check_button, {396, 537, 285, 51}, "check_button");
  expect_place(l.clean_popups_button, {51, 843, 413, 51}, "clean_popups_button");
  expect_place(l.startup_checkbox, {486, 849, 486, 39}, "startup_checkbox");
}

TEST(UiControlLayout, adds_separately_scaled_terms_at_98_dpi) {
  // 98 DPI is where the sum of scaled terms and the scaled sum part ways.
  const ControlLayout l = control_layout(694, 98);
  EXPECT_EQ(l.identifier_edit.x, 32);     // 20 + 12, where scale(32) would be 33
  EXPECT_EQ(l.message_edit.x, 34);        // 20 + 14, not 35
  EXPECT_EQ(l.paste_check_button.y, 366); // 274 + 92, not scale(358) = 365
  EXPECT_EQ(l.check_button.x, 269);       // 20 + 249, not 270
  EXPECT_EQ(l.startup_checkbox.x, 330);   // 20 + 310, not 331
  EXPECT_EQ(l.message_edit.width, 625);   // 694 - 40 - 29
  EXPECT_EQ(l.startup_checkbox.width, 331);
  EXPECT_EQ(l.get_button.x, 485); // (694 - 20) - 189
}

TEST(UiControlLayout, zero_client_width_gives_no_negative_sizes) {
  // A minimised window reports a client width of 0; a restore lays out again.
  const ControlLayout l = control_layout(0, 96);
  EXPECT_EQ(l.message_edit.width, 0);
  EXPECT_EQ(l.startup_checkbox.width, 0);
  EXPECT_EQ(l.message_edit.height, 82);
  // Fixed-size controls keep their size; those hanging from the right edge move left of 0.
  expect_place(l.identifier_edit, {32, 88, 260, 30}, "identifier_edit");
  expect_place(l.get_button, {-205, 88, 173, 30}, "get_button");
  expect_place(l.override_button, {-316, 154, 145, 32}, "override_button");
  expect_place(l.pause_button, {-162, 154, 130, 32}, "pause_button");
  expect_place(l.startup_checkbox, {324, 566, 0, 26}, "startup_checkbox");
}

TEST(UiPaintLayout, matches_the_design_figures_at_96_dpi) {
  const PaintLayout p = paint_layout(680, 96, 1);
  expect_box(p.header_band, 0, 0, 680, 62, "header_band");
  expect_box(p.title, 20, 8, 660, 36, "title");
  expect_box(p.credit_line, 20, 35, 660, 58, "credit_line");
  expect_box(p.account_card, 20, 68, 660, 128, "account_card");
  expect_box(p.account_line, 34, 69, 646, 88, "account_line");
  expect_box(p.protection_card, 20, 136, 660, 226, "protection_card");
  expect_box(p.protection_headline, 34, 146, 356, 174, "protection_headline");
  expect_box(p.blocked_line, 34, 188, 646, 220, "blocked_line");
  expect_box(p.checker_card, 20, 236, 660, 542, "checker_card");
  expect_box(p.checker_title, 34, 242, 646, 266, "checker_title");
  expect_box(p.verdict_card, 34, 402, 646, 536, "verdict_card");
  expect_box(p.status_line, 46, 410, 634, 434, "status_line");
  expect_box(p.detail_text, 46, 434, 634, 530, "detail_text");
  expect_box(p.bottom_card, 20, 550, 660, 608, "bottom_card");
}

TEST(UiPaintLayout, without_a_row_of_controls_the_account_card_is_short_and_holds_the_line) {
  const PaintLayout with_row = paint_layout(680, 96, 1);
  const PaintLayout without = paint_layout(680, 96, 0);
  expect_box(without.account_card, 20, 68, 660, 106, "short account_card");
  expect_box(without.account_line, 34, 72, 646, 102, "account_line in the short card");
  // Nothing below the first card moves.
  EXPECT_EQ(without.protection_card.top, with_row.protection_card.top);
  EXPECT_EQ(without.verdict_card.top, with_row.verdict_card.top);
}

TEST(UiPaintLayout, scales_every_term_at_144_dpi) {
  const PaintLayout p = paint_layout(1020, 144, 1);
  EXPECT_EQ(p.header_band.bottom, 93);
  expect_box(p.verdict_card, 51, 603, 969, 804, "verdict_card");
  expect_box(p.status_line, 69, 615, 951, 651, "status_line");
  expect_box(p.detail_text, 69, 651, 951, 795, "detail_text");
  expect_box(p.account_card, 30, 102, 990, 192, "account_card");
  expect_box(p.account_line, 51, 104, 969, 132, "account_line");
  EXPECT_EQ(paint_layout(1020, 144, 0).account_card.bottom, 159);
}

TEST(UiPaintLayout, verdict_texts_follow_the_verdict_card_at_98_dpi) {
  const PaintLayout p = paint_layout(694, 98, 1);
  expect_box(p.verdict_card, 34, 410, 660, 547, "verdict_card");
  expect_box(p.status_line, 46, 418, 648, 443, "status_line");
  EXPECT_EQ(p.detail_text.bottom, 541);
  EXPECT_EQ(p.header_band.bottom, 63);
}

TEST(UiPaintLayout, zero_client_width_leaves_heights_and_left_edges) {
  const PaintLayout p = paint_layout(0, 96, 1);
  expect_box(p.header_band, 0, 0, 0, 62, "header_band");
  expect_box(p.account_card, 20, 68, -20, 128, "account_card");
  expect_box(p.verdict_card, 34, 402, -34, 536, "verdict_card");
  EXPECT_LE(p.status_line.right, p.status_line.left);
}

bool overlaps(const ControlPlace& c, const PaintBox& b) {
  return c.x < b.right && b.left < c.x + c.width && c.y < b.bottom && b.top < c.y + c.height;
}

// Every control lies inside its card, and none covers a painted text, at every DPI.
TEST(UiLayoutFit, controls_lie_inside_their_cards_and_off_every_text) {
  const struct {
    int width;
    unsigned dpi;
  } cases[] = {{680, 96}, {694, 98}, {850, 120}, {1020, 144}, {1360, 192}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    const ControlLayout l = control_layout(c.width, c.dpi);
    const PaintLayout p = paint_layout(c.width, c.dpi, 1);
    EXPECT_TRUE(inside(l.identifier_edit, p.account_card));
    EXPECT_TRUE(inside(l.pin_button, p.account_card));
    EXPECT_TRUE(inside(l.get_button, p.account_card));
    EXPECT_TRUE(inside(l.override_button, p.protection_card));
    EXPECT_TRUE(inside(l.pause_button, p.protection_card));
    EXPECT_TRUE(inside(l.message_edit, p.checker_card));
    EXPECT_TRUE(inside(l.paste_check_button, p.checker_card));
    EXPECT_TRUE(inside(l.check_button, p.checker_card));
    EXPECT_TRUE(inside(l.clean_popups_button, p.bottom_card));
    EXPECT_TRUE(inside(l.startup_checkbox, p.bottom_card));
    const ControlPlace controls[] = {l.identifier_edit,    l.pin_button,   l.get_button,
                                     l.override_button,    l.pause_button, l.message_edit,
                                     l.paste_check_button, l.check_button, l.clean_popups_button,
                                     l.startup_checkbox};
    const PaintBox texts[] = {
        p.title,        p.credit_line,   p.account_line, p.protection_headline,
        p.blocked_line, p.checker_title, p.status_line,  p.detail_text};
    for (const ControlPlace& control : controls) {
      for (const PaintBox& text : texts)
        EXPECT_FALSE(overlaps(control, text)) << control.x << "," << control.y;
    }
    // Each text lies inside its card.
    EXPECT_TRUE(p.account_line.top > p.account_card.top &&
                p.account_line.bottom < p.account_card.bottom);
    EXPECT_TRUE(p.detail_text.top > p.status_line.top &&
                p.detail_text.bottom < p.verdict_card.bottom);
  }
}

TEST(UiLayoutFit, the_purchase_button_alone_still_lies_inside_the_account_card) {
  const ControlLayout l = control_layout(680, 96);
  const PaintLayout p = paint_layout(680, 96, 1); // signed in, not entitled: the row shows
  EXPECT_TRUE(inside(l.get_button, p.account_card));
  EXPECT_EQ(p.account_card.bottom - (l.get_button.y + l.get_button.height), 10);
}
