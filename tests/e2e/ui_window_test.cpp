// The main window as a user meets it: controls in place, close hides to the tray, the tray
// icon brings it back, the tray menu, and leaving only through a confirmed Exit.
#include <gtest/gtest.h>

#include <string>

#include "app/ids.h"
#include "tests/e2e/harness.h"

namespace {

const COLORREF HEADER_BAND = RGB(11, 87, 208);
const COLORREF CARD_BORDER = RGB(218, 220, 224);
const COLORREF IDLE_VERDICT_FILL = RGB(248, 250, 252);

bool visible(void* w) { return IsWindowVisible(static_cast<HWND>(w)) != FALSE; }
bool hidden(void* w) { return IsWindowVisible(static_cast<HWND>(w)) == FALSE; }
bool restored_and_visible(void* w) {
  HWND window = static_cast<HWND>(w);
  return IsWindowVisible(window) && !IsIconic(window);
}

std::wstring class_of(HWND w) {
  wchar_t name[128];
  name[0] = L'\0';
  GetClassNameW(w, name, 128);
  return name;
}

// Wine without a desktop shows the notification area as a small window of its own, one
// child per icon. -1 when there is no such window to look at.
int tray_icon_count() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (tray == nullptr) return -1;
  int n = 0;
  for (HWND c = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr); c != nullptr;
       c = FindWindowExW(tray, c, L"__winex11_tray_icon", nullptr)) {
    n++;
  }
  return n;
}

struct MenuSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK find_menu(HWND w, LPARAM lp) {
  MenuSearch* s = reinterpret_cast<MenuSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && IsWindowVisible(w) && class_of(w) == L"#32768") {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND open_popup_menu(DWORD pid) {
  MenuSearch s = {pid, nullptr};
  EnumWindows(find_menu, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND wait_popup_menu(DWORD pid, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND m = open_popup_menu(pid);
    if (m != nullptr || GetTickCount64() >= end) return m;
    Sleep(50);
  }
}

class UiWindow : public ::testing::Test {
protected:
  void SetUp() override {
    kill_callwarden();
    ASSERT_TRUE(launch_callwarden(L"", &program_));
    window_ = wait_started(&program_, true, 15000);
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(IsWindowVisible(window_));
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&program_);
  }

  void tray(LPARAM mouse_message) {
    PostMessageW(window_, WM_APP_TRAY, 1, mouse_message);
    sync_with(window_);
  }

  void close_to_tray() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_until(hidden, window_, 5000));
  }

  bool still_running() { return !wait_exit(&program_, 300, nullptr); }

  void press(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 0);
    PostMessageW(target, WM_KEYUP, key, 0xC0000000);
  }

  LaunchedProgram program_ = {nullptr, 0};
  HWND window_ = nullptr;
};

} // namespace

TEST_F(UiWindow, every_control_sits_at_its_place_with_its_caption) {
  RECT client;
  GetClientRect(window_, &client);
  ASSERT_EQ(client.right, 680) << "these figures are for a 96 DPI prefix";
  ASSERT_EQ(client.bottom, 622);
  const struct {
    int id;
    const wchar_t* class_name;
    const wchar_t* caption;
    RECT at;
  } rows[] = {
      {1001, L"Edit", L"", {32, 88, 292, 118}},
      {1002, L"Button", L"Send 6-Digit PIN", {300, 88, 450, 118}},
      {1003, L"Button", L"Get Callwarden (\u00A34.99/m)", {475, 88, 648, 118}},
      {1005, L"Button", L"1-Hr Override (PIN)", {364, 154, 509, 186}},
      {1004, L"Button", L"Pause Blocker", {518, 154, 648, 186}},
      {1006, L"Edit", L"", {34, 268, 646, 350}},
      {1007, L"Button", L"Paste Clipboard && Check", {34, 358, 254, 392}},
      {1008, L"Button", L"Check Message / Link", {264, 358, 454, 392}},
      {1009, L"Button", L"Clean Fake Virus Browser Pop-Ups", {34, 562, 309, 596}},
      {1010, L"Button", L"Start Callwarden automatically with Windows", {324, 566, 648, 592}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    HWND c = control(window_, row.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(class_of(c), row.class_name);
    EXPECT_EQ(window_text(c), row.caption);
    EXPECT_TRUE(is_visible(c));
    const RECT r = control_rect(window_, row.id);
    EXPECT_EQ(r.left, row.at.left);
    EXPECT_EQ(r.top, row.at.top);
    EXPECT_EQ(r.right, row.at.right);
    EXPECT_EQ(r.bottom, row.at.bottom);
  }
  // What the real paint put on the screen around them.
  EXPECT_EQ(client_pixel(window_, 5, 5), HEADER_BAND);
  EXPECT_EQ(client_pixel(window_, 20, 100), CARD_BORDER);
  EXPECT_EQ(client_pixel(window_, 40, 466), IDLE_VERDICT_FILL);
  EXPECT_GE(tray_icon_count(), 1) << "the tray icon is added at start";
}

TEST_F(UiWindow, close_hides_the_window_and_the_program_keeps_running) {
  const int icons = tray_icon_count();
  close_to_tray();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(still_running());
  EXPECT_EQ(tray_icon_count(), icons);
  // Closing again while hidden changes nothing either.
  PostMessageW(window_, WM_CLOSE, 0, 0);
  sync_with(window_);
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_TRUE(still_running());
}

TEST_F(UiWindow, tray_left_click_or_double_click_shows_the_window_again) {
  close_to_tray();
  // Moving over the icon or pressing a button down does nothing.
  tray(WM_MOUSEMOVE);
  tray(WM_LBUTTONDOWN);
  tray(WM_RBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(window_));

  tray(WM_LBUTTONUP);
  EXPECT_TRUE(wait_until(visible, window_, 5000));

  close_to_tray();
  tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(wait_until(visible, window_, 5000));

  // A minimised window comes back restored.
  // The minimise is posted, and a message sent later may overtake it: wait for its effect.
  PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(
      wait_until([](void* w) { return IsIconic(static_cast<HWND>(w)) != FALSE; }, window_, 5000));
  tray(WM_LBUTTONUP);
  EXPECT_TRUE(wait_until(restored_and_visible, window_, 5000));
}

TEST_F(UiWindow, open_from_the_tray_menu_shows_the_window) {
  close_to_tray();
  post_command(window_, IDM_TRAY_OPEN);
  EXPECT_TRUE(wait_until(visible, window_, 5000));
}

TEST_F(UiWindow, exit_answered_no_changes_nothing) {
  const int icons = tray_icon_count();
  post_command(window_, IDM_TRAY_EXIT);
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Exit Olvex Callwarden");
  EXPECT_EQ(message_box_text(box), L"Exit Olvex Callwarden completely?\r\n\r\nRemote-scam "
                                   L"protection will stop until Callwarden is opened again.");
  EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
  EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), window_);
  // No is the default button, so Enter keeps protection running.
  const LONG_PTR no_style = GetWindowLongPtrW(GetDlgItem(box, IDNO), GWL_STYLE);
  const LONG_PTR yes_style = GetWindowLongPtrW(GetDlgItem(box, IDYES), GWL_STYLE);
  EXPECT_EQ(no_style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(yes_style & BS_TYPEMASK, BS_PUSHBUTTON);

  ASSERT_TRUE(answer_message_box(box, IDNO));
  EXPECT_TRUE(wait_until([](void* pid) { return message_boxes(*static_cast<DWORD*>(pid)).empty(); },
                         &program_.pid, 5000));
  EXPECT_TRUE(still_running());
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(tray_icon_count(), icons);
  // A close afterwards still only hides.
  close_to_tray();
  EXPECT_TRUE(still_running());
}

TEST_F(UiWindow, exit_answered_yes_removes_the_icon_and_ends_with_code_0) {
  const int icons = tray_icon_count();
  ASSERT_GE(icons, 1);
  post_command(window_, IDM_TRAY_EXIT);
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(answer_message_box(box, IDYES));
  DWORD code = 99;
  ASSERT_TRUE(wait_exit(&program_, 10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(FindWindowW(L"OlvexCallwardenWndV1", nullptr), nullptr);
  static int expected;
  expected = icons - 1;
  EXPECT_TRUE(wait_until([](void*) { return tray_icon_count() == expected; }, nullptr, 5000));
}

TEST_F(UiWindow, tray_right_click_opens_the_menu_at_the_cursor) {
  SetCursorPos(300, 250);
  tray(WM_RBUTTONUP);
  HWND menu = wait_popup_menu(program_.pid, 5000);
  ASSERT_NE(menu, nullptr);
  RECT r;
  GetWindowRect(menu, &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 250);
  // Escape closes it and nothing else happens.
  press(menu, VK_ESCAPE);
  EXPECT_TRUE(
      wait_until([](void* pid) { return open_popup_menu(*static_cast<DWORD*>(pid)) == nullptr; },
                 &program_.pid, 5000));
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(message_boxes(program_.pid).empty());

  // The keyboard's context-menu request opens it too.
  tray(WM_CONTEXTMENU);
  menu = wait_popup_menu(program_.pid, 5000);
  ASSERT_NE(menu, nullptr);
  press(menu, VK_ESCAPE);
}

TEST_F(UiWindow, tray_menu_first_choice_opens_and_fourth_choice_is_exit) {
  close_to_tray();
  tray(WM_RBUTTONUP);
  HWND menu = wait_popup_menu(program_.pid, 5000);
  ASSERT_NE(menu, nullptr);
  press(menu, VK_DOWN); // "Open Olvex Callwarden"
  press(menu, VK_RETURN);
  EXPECT_TRUE(wait_until(visible, window_, 5000));

  // Four choices, Exit the last of them (the separator is skipped by the keyboard).
  tray(WM_RBUTTONUP);
  menu = wait_popup_menu(program_.pid, 5000);
  ASSERT_NE(menu, nullptr);
  for (int i = 0; i < 4; i++)
    press(menu, VK_DOWN);
  press(menu, VK_RETURN);
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Exit Olvex Callwarden");
  answer_message_box(box, IDNO);
  EXPECT_TRUE(still_running());
}
