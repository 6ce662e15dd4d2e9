#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/control_rules.h"
#include "ui/tray_rules.h"
#include "ui/window_texts.h"
#include "app/ids.h"

namespace {

const wchar_t FULL_PREFIX[] = L"Automatically blocks AnyDesk, TeamViewer, UltraViewer, Supremo, "
                              L"ScreenConnect & QuickAssist cold-callers.  (Blocked: ";

std::wstring blocked_line(int count) {
  wchar_t out[BLOCKED_LINE_CAPACITY];
  format_blocked_line(out, BLOCKED_LINE_CAPACITY, count);
  return out;
}

} // namespace

TEST(UiBlockedLine, ends_with_the_count_as_a_signed_decimal) {
  EXPECT_EQ(blocked_line(0), std::wstring(FULL_PREFIX) + L"0)");
  EXPECT_EQ(blocked_line(7), std::wstring(FULL_PREFIX) + L"7)");
  EXPECT_EQ(blocked_line(1204), std::wstring(FULL_PREFIX) + L"1204)");
  EXPECT_EQ(blocked_line(-3), std::wstring(FULL_PREFIX) + L"-3)");
  EXPECT_EQ(blocked_line(INT_MAX), std::wstring(FULL_PREFIX) + L"2147483647)");
  EXPECT_EQ(blocked_line(INT_MIN), std::wstring(FULL_PREFIX) + L"-2147483648)");
}

TEST(UiBlockedLine, cuts_at_capacity_and_never_writes_past_it) {
  const size_t prefix = wcslen(FULL_PREFIX);
  for (size_t capacity : {size_t(1), size_t(2), size_t(10), prefix, prefix + 1, prefix + 3}) {
    SCOPED_TRACE(capacity);
    // Exactly `capacity` units on the heap, so the sanitizer sees any write past the end.
    std::vector<wchar_t> out(capacity, L'X');
    format_blocked_line(out.data(), capacity, -12345);
    const std::wstring full = std::wstring(FULL_PREFIX) + L"-12345)";
    EXPECT_EQ(std::wstring(out.data()), full.substr(0, capacity - 1));
    EXPECT_EQ(out[capacity - 1], L'\0');
  }
}

TEST(UiBlockedLine, zero_fills_the_rest_of_the_buffer) {
  wchar_t out[BLOCKED_LINE_CAPACITY];
  for (wchar_t& c : out)
    c = L'X';
  format_blocked_line(out, BLOCKED_LINE_CAPACITY, 5);
  for (size_t i = wcslen(out); i < BLOCKED_LINE_CAPACITY; i++)
    ASSERT_EQ(out[i], L'\0') << i;
}

TEST(UiBlockedLine, zero_capacity_writes_nothing) {
  wchar_t out[1] = {L'X'};
  format_blocked_line(out, 0, 5);
  EXPECT_EQ(out[0], L'X');
}

TEST(UiTrayCall, adds_once_then_modifies_and_drops_updates_before_the_add) {
  EXPECT_EQ(choose_tray_call(1, 0), TRAY_CALL_ADD);
  EXPECT_EQ(choose_tray_call(1, 1), TRAY_CALL_MODIFY);
  EXPECT_EQ(choose_tray_call(0, 1), TRAY_CALL_MODIFY);
  EXPECT_EQ(choose_tray_call(0, 0), TRAY_CALL_NONE);
}

TEST(UiTrayTooltip, follows_the_blocker_switch_and_fits_the_tip_field) {
  EXPECT_STREQ(tray_tooltip(1), L"Olvex Callwarden \u2014 Active Remote-Scam Protection");
  EXPECT_STREQ(tray_tooltip(0), L"Olvex Callwarden \u2014 Protection Paused");
  EXPECT_LE(wcslen(tray_tooltip(1)), size_t(TRAY_TIP_MAX));
  EXPECT_LE(wcslen(TRAY_HIDE_BALLOON_TITLE), size_t(TRAY_BALLOON_TITLE_MAX));
  EXPECT_LE(wcslen(TRAY_HIDE_BALLOON_TEXT), size_t(TRAY_BALLOON_TEXT_MAX));
}

TEST(UiTrayMenu, lists_open_check_override_separator_exit_in_order) {
  const int ids[] = {IDM_TRAY_OPEN, IDM_TRAY_CHECK_CLIPBOARD, IDM_TRAY_OVERRIDE, 0, IDM_TRAY_EXIT};
  const wchar_t* texts[] = {L"Open Olvex Callwarden", L"Check Clipboard for Scam",
                            L"1-Hour Guardian Override (PIN)", nullptr,
                            L"Exit Callwarden Completely"};
  for (int i = 0; i < TRAY_MENU_ITEM_COUNT; i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(tray_menu_items[i].id, ids[i]);
    if (texts[i] == nullptr) {
      EXPECT_EQ(tray_menu_items[i].text, nullptr);
    } else {
      EXPECT_STREQ(tray_menu_items[i].text, texts[i]);
    }
  }
}

TEST(UiControlRefresh, signed_out_shows_the_whole_account_row_whatever_entitled_holds) {
  for (int entitled : {0, 1}) {
    const ControlRefresh r = decide_control_refresh(0, entitled, 0, 1);
    EXPECT_TRUE(r.show_identifier_edit);
    EXPECT_TRUE(r.show_pin_button);
    EXPECT_TRUE(r.show_get_button);
    EXPECT_STREQ(r.pin_caption, L"Send 6-Digit PIN");
  }
}

TEST(UiControlRefresh, signed_in_hides_the_sign_in_controls_and_keeps_the_pin_caption) {
  const ControlRefresh not_entitled = decide_control_refresh(1, 0, 1, 1);
  EXPECT_FALSE(not_entitled.show_identifier_edit);
  EXPECT_FALSE(not_entitled.show_pin_button);
  EXPECT_TRUE(not_entitled.show_get_button);
  EXPECT_EQ(not_entitled.pin_caption, nullptr);

  const ControlRefresh entitled = decide_control_refresh(1, 1, 0, 1);
  EXPECT_FALSE(entitled.show_identifier_edit);
  EXPECT_FALSE(entitled.show_pin_button);
  EXPECT_FALSE(entitled.show_get_button);
  EXPECT_EQ(entitled.pin_caption, nullptr);
}

TEST(UiControlRefresh, pin_sent_asks_for_verification_until_signed_in) {
  EXPECT_STREQ(decide_control_refresh(0, 0, 1, 1).pin_caption, L"Verify 6-Digit PIN");
  EXPECT_STREQ(decide_control_refresh(0, 0, 0, 1).pin_caption, L"Send 6-Digit PIN");
}

TEST(UiControlRefresh, pause_caption_follows_the_blocker) {
  EXPECT_STREQ(decide_control_refresh(0, 0, 0, 1).pause_caption, L"Pause Blocker");
  EXPECT_STREQ(decide_control_refresh(0, 0, 0, 0).pause_caption, L"Turn On Blocker");
  EXPECT_STREQ(decide_control_refresh(1, 1, 0, 0).pause_caption, L"Turn On Blocker");
}
