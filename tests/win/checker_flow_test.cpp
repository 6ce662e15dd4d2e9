// The message check on a real main window (main_window_proc, real controls): what the
// card, the buttons and the boxes show for each answer and each way of starting a check.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/main_window_proc.h"
#include "app/startup.h"
#include "checker/check_flow.h"
#include "checker/checker.h"
#include "checker/screen_text.h"
#include "tests/win/seen_boxes.h"

namespace {

ServiceResult answer(int ok, const char* verdict, int risk, const char* headline,
                     const char* reasons, const char* advice, const char* error = "") {
  ServiceResult r;
  memset(&r, 0, sizeof(r));
  r.kind = REQUEST_CHECK_SCAM;
  r.ok = ok;
  strncpy(r.verdict, verdict, sizeof(r.verdict) - 1);
  r.risk_score = risk;
  strncpy(r.headline, headline, sizeof(r.headline) - 1);
  strncpy(r.reasons, reasons, sizeof(r.reasons) - 1);
  strncpy(r.advice, advice, sizeof(r.advice) - 1);
  strncpy(r.error, error, sizeof(r.error) - 1);
  return r;
}

bool set_clipboard(const std::wstring* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = true;
  if (text != nullptr) {
    const size_t bytes = (text->size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ok = block != nullptr;
    if (ok) {
      memcpy(GlobalLock(block), text->c_str(), bytes);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
      if (!ok) GlobalFree(block);
    }
  }
  CloseClipboard();
  return ok;
}

const wchar_t kCheckingStatus[] = L"Checking with Olvex Callwarden AI...";
const wchar_t kCheckingDetail[] =
    L"Inspecting links, UK sender domains, and scam language \u2014 one moment please...";

class CheckerWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    reset_app_state();
    g_app.instance = GetModuleHandleW(nullptr);
    g_app.font_body = create_ui_font(13, 400);
    g_app.font_button = create_ui_font(13, 600);
    g_app.background_brush = CreateSolidBrush(RGB(241, 245, 249));
    g_app.static_brush = CreateSolidBrush(RGB(255, 255, 255));
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = g_app.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = CALLWARDEN_WINDOW_CLASS;
    RegisterClassExW(&wc); // may already exist from another suite: same procedure
    window_ = CreateWindowExW(WS_EX_APPWINDOW, CALLWARDEN_WINDOW_CLASS, L"checker test",
                              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 700, 660, nullptr,
                              nullptr, g_app.instance, nullptr);
    // No blocker ticks while the tests pump messages.
    g_app.blocker_enabled = 0;
  }

  static void TearDownTestSuite() {
    g_app.exit_requested = 1;
    if (window_) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    DeleteObject(g_app.font_body);
    DeleteObject(g_app.font_button);
    DeleteObject(g_app.background_brush);
    DeleteObject(g_app.static_brush);
    reset_app_state();
  }

  void SetUp() override {
    ASSERT_NE(window_, nullptr);
    ASSERT_NE(g_app.message_edit, nullptr);
    g_boxes.clear();
    timer_ = SetTimer(nullptr, 0, 50, answer_boxes);
    g_app.verdict_state = VERDICT_IDLE;
    copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), L"idle status");
    copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text), L"idle detail");
    EnableWindow(g_app.check_button, TRUE);
    EnableWindow(g_app.paste_check_button, TRUE);
    SetWindowTextW(g_app.message_edit, L"");
  }

  void TearDown() override {
    // A check started by a test answers later; let it land before the next test.
    pump_until([] { return g_app.verdict_state != VERDICT_CHECKING; }, 30000);
    KillTimer(nullptr, timer_);
  }

  static bool buttons_enabled() {
    return IsWindowEnabled(g_app.check_button) && IsWindowEnabled(g_app.paste_check_button);
  }
  static bool buttons_disabled() {
    return !IsWindowEnabled(g_app.check_button) && !IsWindowEnabled(g_app.paste_check_button);
  }

  static HWND window_;
  UINT_PTR timer_ = 0;
};

HWND CheckerWindow::window_ = nullptr;

TEST_F(CheckerWindow, a_scam_answer_fills_the_card_and_brings_the_buttons_back) {
  EnableWindow(g_app.check_button, FALSE);
  EnableWindow(g_app.paste_check_button, FALSE);
  const ServiceResult r = answer(1, "SCAM", 92, "Fake Royal Mail fee",
                                 "- Link to a look-alike domain\r\n- Asks for card details",
                                 "Do not pay \xE2\x80\x94 delete the text.");
  on_check_scam_result(&r);
  EXPECT_EQ(g_app.verdict_state, VERDICT_SCAM);
  EXPECT_STREQ(g_app.status_text, L"DANGER: SCAM DETECTED  (Risk Score: 92/100)");
  EXPECT_STREQ(g_app.detail_text,
               L"Fake Royal Mail fee\r\n- Link to a look-alike domain\r\n- Asks for card "
               L"details\r\nAdvice: Do not pay \u2014 delete the text.");
  EXPECT_TRUE(buttons_enabled());
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(CheckerWindow, a_failed_check_shows_a_notice_with_the_service_text_or_the_default) {
  EnableWindow(g_app.check_button, FALSE);
  EnableWindow(g_app.paste_check_button, FALSE);
  const ServiceResult refused =
      answer(0, "", 0, "", "", "", "Daily limit reached \xE2\x80\x94 try again tomorrow.");
  on_check_scam_result(&refused);
  EXPECT_EQ(g_app.verdict_state, VERDICT_CAUTION);
  EXPECT_STREQ(g_app.status_text, L"Notice");
  EXPECT_STREQ(g_app.detail_text, L"Daily limit reached \u2014 try again tomorrow.");
  EXPECT_TRUE(buttons_enabled());

  const ServiceResult silent = answer(0, "SCAM", 99, "not shown", "", "");
  on_check_scam_result(&silent);
  EXPECT_STREQ(g_app.status_text, L"Notice");
  EXPECT_STREQ(g_app.detail_text, L"Unable to check message right now.");
}

TEST_F(CheckerWindow, a_detail_longer_than_the_card_is_cut_at_a_whole_character) {
  // 511 + 2 + 884 units put a four-byte character across units 1397 and 1398.
  std::string headline(511, 'h');
  std::string reasons(884, 'r');
  reasons += "\xF0\x9F\x98\x80"; // U+1F600: a surrogate pair
  reasons += std::string(100, 's');
  const ServiceResult r = answer(1, "SCAM", 90, headline.c_str(), reasons.c_str(), "advice");
  on_check_scam_result(&r);
  const std::wstring detail = g_app.detail_text;
  EXPECT_EQ(detail.size(), 1397u);
  EXPECT_EQ(detail, std::wstring(511, L'h') + L"\r\n" + std::wstring(884, L'r'));

  std::string plain_reasons(1023, 'r');
  std::string advice(767, 'a');
  const ServiceResult longest =
      answer(1, "SCAM", 90, headline.c_str(), plain_reasons.c_str(), advice.c_str());
  on_check_scam_result(&longest);
  EXPECT_EQ(wcslen(g_app.detail_text), 1398u);
  EXPECT_EQ(std::wstring(g_app.detail_text).substr(1390), std::wstring(L"rrrrrrrr"));
}

TEST_F(CheckerWindow, a_blank_message_shows_the_empty_box_and_changes_nothing) {
  SetWindowTextW(g_app.message_edit, L" \t\r\n \r\n");
  start_message_check();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(g_boxes[0].text, L"Please paste or type a suspicious text message, email, or web link "
                             L"into the box first (or click 'Paste Clipboard & Check').");
  EXPECT_TRUE(g_boxes[0].information_icon);
  EXPECT_EQ(g_app.verdict_state, VERDICT_IDLE);
  EXPECT_STREQ(g_app.status_text, L"idle status");
  EXPECT_TRUE(buttons_enabled());
}

TEST_F(CheckerWindow, a_started_check_shows_checking_until_its_answer_arrives) {
  SetWindowTextW(g_app.message_edit,
                 L"\r\n  Your parcel is held. Pay \u00a31.99 at royalmail-fee.example  ");
  start_message_check();
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(g_app.verdict_state, VERDICT_CHECKING);
  EXPECT_STREQ(g_app.status_text, kCheckingStatus);
  EXPECT_STREQ(g_app.detail_text, kCheckingDetail);
  EXPECT_TRUE(buttons_disabled());
  EXPECT_EQ(text_of(g_app.message_edit),
            L"\r\n  Your parcel is held. Pay \u00a31.99 at royalmail-fee.example  ")
      << "the edit keeps what the user typed";

  // With or without a reachable service, an answer comes and ends the Checking state.
  pump_until([] { return g_app.verdict_state != VERDICT_CHECKING; }, 30000);
  EXPECT_NE(g_app.verdict_state, VERDICT_CHECKING);
  EXPECT_TRUE(buttons_enabled());
}

TEST_F(CheckerWindow, the_message_is_read_as_utf8_and_cut_at_a_whole_character) {
  char out[CHECK_MESSAGE_UTF8_CAPACITY];
  SetWindowTextW(g_app.message_edit, L"Pay \u00a31.99 \u2014 now");
  read_message_utf8(out, sizeof(out));
  EXPECT_STREQ(out, "Pay \xC2\xA3"
                    "1.99 \xE2\x80\x94 now");

  // 6099 two-byte characters would need 12198 bytes; 3199 of them fit in 6399.
  SetWindowTextW(g_app.message_edit, std::wstring(6500, L'\u00e9').c_str());
  read_message_utf8(out, sizeof(out));
  EXPECT_EQ(strlen(out), 6398u);
  EXPECT_EQ(std::string(out), [] {
    std::string s;
    for (int i = 0; i < 3199; i++)
      s += "\xC3\xA9";
    return s;
  }());

  SetWindowTextW(g_app.message_edit, std::wstring(7000, L'a').c_str());
  read_message_utf8(out, sizeof(out));
  EXPECT_EQ(strlen(out), 6099u) << "only 6099 characters are read from the edit";
}

TEST_F(CheckerWindow, a_check_that_cannot_start_leaves_the_card_and_buttons_as_they_were) {
  g_app.verdict_state = VERDICT_SCAM;
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), L"earlier status");
  copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text), L"earlier detail");
  CheckCardSnapshot before;
  take_card_snapshot(&before);
  show_checking();
  ASSERT_EQ(g_app.verdict_state, VERDICT_CHECKING);
  ASSERT_TRUE(buttons_disabled());
  restore_card_snapshot(&before);
  EXPECT_EQ(g_app.verdict_state, VERDICT_SCAM);
  EXPECT_STREQ(g_app.status_text, L"earlier status");
  EXPECT_STREQ(g_app.detail_text, L"earlier detail");
  EXPECT_TRUE(buttons_enabled());

  // Over a check already running, the buttons stay off for that check's answer.
  show_checking();
  take_card_snapshot(&before);
  show_checking();
  restore_card_snapshot(&before);
  EXPECT_EQ(g_app.verdict_state, VERDICT_CHECKING);
  EXPECT_TRUE(buttons_disabled());
  g_app.verdict_state = VERDICT_IDLE;
}

TEST_F(CheckerWindow, the_clipboard_check_raises_the_window_and_checks_the_whole_text) {
  ShowWindow(window_, SW_HIDE);
  // Longer than the 6099 characters a check reads: the edit still takes all of it.
  const std::wstring text =
      L"HMRC: you are owed a tax refund of \u00a3412.80. Claim at hmrc-refund.example" +
      std::wstring(6200, L' ') + L"end";
  ASSERT_TRUE(set_clipboard(&text));
  check_clipboard(window_);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(text_of(g_app.message_edit), text);
  EXPECT_EQ(g_app.verdict_state, VERDICT_CHECKING);
  EXPECT_TRUE(buttons_disabled());
}

TEST_F(CheckerWindow, a_clipboard_without_text_says_so_after_raising_the_window) {
  ShowWindow(window_, SW_HIDE);
  ASSERT_TRUE(set_clipboard(nullptr));
  SetWindowTextW(g_app.message_edit, L"left alone");
  check_clipboard(window_);
  EXPECT_TRUE(IsWindowVisible(window_));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(g_boxes[0].text, L"Your clipboard does not currently contain text. Copy a suspicious "
                             L"message or web link first, then click again.");
  EXPECT_TRUE(g_boxes[0].information_icon);
  EXPECT_EQ(text_of(g_app.message_edit), L"left alone");
  EXPECT_EQ(g_app.verdict_state, VERDICT_IDLE);
}

TEST_F(CheckerWindow, an_empty_clipboard_text_does_nothing_beyond_raising_the_window) {
  ShowWindow(window_, SW_HIDE);
  const std::wstring empty;
  ASSERT_TRUE(set_clipboard(&empty));
  check_clipboard(window_);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(g_app.verdict_state, VERDICT_IDLE);
}

TEST_F(CheckerWindow, the_clipboard_held_by_another_window_gives_the_warning) {
  // Another program's hold on the clipboard, played by a thread of this process.
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  struct Hold {
    HANDLE opened;
    HANDLE release;
  } hold = {opened, release};
  HANDLE other = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        Hold* h = static_cast<Hold*>(p);
        OpenClipboard(nullptr);
        SetEvent(h->opened);
        WaitForSingleObject(h->release, 10000);
        CloseClipboard();
        return 0;
      },
      &hold, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(opened, 5000), WAIT_OBJECT_0);
  check_clipboard(window_);
  SetEvent(release);
  WaitForSingleObject(other, 5000);
  CloseHandle(other);
  CloseHandle(opened);
  CloseHandle(release);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(g_boxes[0].text, L"Could not access the Windows Clipboard right now.");
  EXPECT_TRUE(g_boxes[0].warning_icon);
  EXPECT_EQ(g_app.verdict_state, VERDICT_IDLE);
}

TEST(ScreenText, conversions_fit_at_a_whole_character_and_never_leave_debris) {
  wchar_t wide[8];
  for (wchar_t& c : wide)
    c = L'#';
  utf8_to_screen("ab\xF0\x9F\x98\x80"
                 "cd",
                 wide, 8, 3); // the pair would be units 3 and 4
  EXPECT_STREQ(wide, L"ab");
  for (int i = 3; i < 8; i++)
    EXPECT_EQ(wide[i], L'\0');

  utf8_to_screen("caf\xC3\xA9 \xE2\x80\x94 ok", wide, 8, 7);
  EXPECT_STREQ(wide, L"caf\u00e9 \u2014 ");

  char narrow[8];
  memset(narrow, '#', sizeof(narrow));
  screen_to_utf8(L"\u20ac\u20ac\u20ac", narrow, 8); // 9 bytes wanted, 7 allowed
  EXPECT_STREQ(narrow, "\xE2\x82\xAC\xE2\x82\xAC");
  EXPECT_EQ(narrow[7], '\0');

  // 209 characters of three bytes each: 79 fit in the identifier's 239 bytes.
  char identifier[240];
  screen_to_utf8(std::wstring(209, L'\u20ac').c_str(), identifier, sizeof(identifier));
  EXPECT_EQ(strlen(identifier), 237u);
}

} // namespace
