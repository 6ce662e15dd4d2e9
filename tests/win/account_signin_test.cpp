// Account linking on a real main window (main_window_proc, real controls): the answers
// of the three requests, the PIN button, and the token written to the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "account/account.h"
#include "app/app_state.h"
#include "app/ids.h"
#include "app/main_window_proc.h"
#include "app/startup.h"
#include "tests/win/seen_boxes.h"

namespace {

const wchar_t kTokenKey[] = L"Software\\Olvex\\Callwarden";
const wchar_t kNotLinked[] =
    L"Sign in with your Email or UK Mobile (07...) to link Family Guardian alerts:";
const wchar_t kStartText[] = L"Checking account link... (5 free AI scam checks/day included)";

// The control's own visibility, whatever its parent's.
bool shown(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

ServiceResult answer(RequestKind kind, int ok) {
  ServiceResult r;
  memset(&r, 0, sizeof(r));
  r.kind = kind;
  r.ok = ok;
  return r;
}

bool stored_token(std::wstring* out) {
  wchar_t buffer[1024];
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  ZeroMemory(buffer, sizeof(buffer));
  if (RegGetValueW(HKEY_CURRENT_USER, kTokenKey, L"AuthToken", RRF_RT_ANY, &type, buffer, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ) return false;
  if (size != (wcslen(buffer) + 1) * sizeof(wchar_t)) return false; // data ends with its NUL
  *out = buffer;
  return true;
}

// The program's manifest binds the version-6 common controls, whose edit keeps a cue
// banner; this test program has none, so the window is made under the same binding.
HANDLE activate_common_controls_6(ULONG_PTR* cookie) {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"cwm", 0, path);
  const char manifest[] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
      "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
      "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
      "</dependentAssembly></dependency></assembly>";
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, manifest, sizeof(manifest) - 1, &written, nullptr);
  CloseHandle(file);
  ACTCTXW context;
  ZeroMemory(&context, sizeof(context));
  context.cbSize = sizeof(context);
  context.lpSource = path;
  HANDLE activation = CreateActCtxW(&context);
  DeleteFileW(path);
  if (activation == INVALID_HANDLE_VALUE) return activation;
  ActivateActCtx(activation, cookie);
  return activation;
}

class AccountWindow : public ::testing::Test {
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
    ULONG_PTR cookie = 0;
    HANDLE activation = activate_common_controls_6(&cookie);
    window_ = CreateWindowExW(WS_EX_APPWINDOW, CALLWARDEN_WINDOW_CLASS, L"account test",
                              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 700, 660, nullptr,
                              nullptr, g_app.instance, nullptr);
    if (activation != INVALID_HANDLE_VALUE) {
      DeactivateActCtx(0, cookie);
      ReleaseActCtx(activation);
    }
    g_app.blocker_enabled = 0;
    // WM_CREATE asked for the account's status; its answer must not land inside a test.
    pump_until([] { return wcscmp(g_app.account_text, kStartText) != 0; }, 30000);
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
    ASSERT_NE(g_app.identifier_edit, nullptr);
    ASSERT_STRNE(g_app.account_text, kStartText) << "the start-up status answer never came";
    RegDeleteTreeW(HKEY_CURRENT_USER, kTokenKey);
    g_boxes.clear();
    timer_ = SetTimer(nullptr, 0, 50, answer_boxes);
    g_app.signed_in = 0;
    g_app.entitled = 0;
    g_app.pin_sent = 0;
    g_app.blocked_count = 0;
    g_app.challenge_id[0] = '\0';
    g_app.auth_token[0] = '\0';
    copy_wide(g_app.account_text, ARRAYSIZE(g_app.account_text), kNotLinked);
    SetWindowTextW(g_app.identifier_edit, L"");
    SendMessageW(g_app.identifier_edit, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"Email or UK Mobile (07...)"));
    EnableWindow(g_app.pin_button, TRUE);
    ShowWindow(window_, SW_SHOW);
  }

  void TearDown() override {
    pump_until([] { return IsWindowEnabled(g_app.pin_button) != FALSE; }, 30000);
    KillTimer(nullptr, timer_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTokenKey);
  }

  static HWND window_;
  UINT_PTR timer_ = 0;
};

HWND AccountWindow::window_ = nullptr;

TEST_F(AccountWindow, a_verified_pin_links_the_device_and_stores_the_token) {
  g_app.pin_sent = 1;
  strcpy(g_app.challenge_id, "ch_42");
  g_app.blocked_count = 3;
  EnableWindow(g_app.pin_button, FALSE);
  ServiceResult r = answer(REQUEST_VERIFY_PIN, 1);
  strcpy(r.care_auth_token, "ocp_live_7f3a9c");
  strcpy(r.customer_name, "Margaret Ellis");
  r.entitled = 1;
  r.recent_blocked_count = 40;
  on_verify_pin_result(&r);

  std::wstring token;
  ASSERT_TRUE(stored_token(&token));
  EXPECT_EQ(token, L"ocp_live_7f3a9c");
  EXPECT_STREQ(g_app.auth_token, "ocp_live_7f3a9c");
  EXPECT_EQ(g_app.signed_in, 1);
  EXPECT_EQ(g_app.entitled, 1);
  EXPECT_EQ(g_app.pin_sent, 0);
  EXPECT_EQ(g_app.blocked_count, 3) << "a verification does not touch the count";
  EXPECT_STREQ(g_app.account_text, L"Signed in: Margaret Ellis  \u2022  Callwarden Linked");
  EXPECT_FALSE(shown(g_app.identifier_edit));
  EXPECT_FALSE(shown(g_app.pin_button));
  EXPECT_FALSE(shown(g_app.get_button)) << "signed in and entitled";
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(g_boxes[0].text, L"Your computer is now linked to your Olvex Callwarden account!");
  EXPECT_TRUE(g_boxes[0].information_icon);
}

TEST_F(AccountWindow, a_token_of_any_form_is_used_and_written_and_defaults_fill_the_line) {
  g_app.pin_sent = 1;
  ServiceResult r = answer(REQUEST_VERIFY_PIN, 1);
  strcpy(r.care_auth_token, "tok\xC3\xA9-not-a-known-prefix");
  on_verify_pin_result(&r);
  std::wstring token;
  ASSERT_TRUE(stored_token(&token));
  EXPECT_EQ(token, L"tok\u00e9-not-a-known-prefix");
  EXPECT_STREQ(g_app.account_text, L"Signed in: Customer  \u2022  Callwarden Linked");
  EXPECT_EQ(g_app.entitled, 0);
  EXPECT_TRUE(shown(g_app.get_button)) << "signed in but not entitled";
}

TEST_F(AccountWindow, a_refused_code_keeps_the_pin_step_and_the_typed_code) {
  g_app.pin_sent = 1;
  strcpy(g_app.challenge_id, "ch_42");
  SetWindowTextW(g_app.identifier_edit, L"123465");
  EnableWindow(g_app.pin_button, FALSE);
  ServiceResult r = answer(REQUEST_VERIFY_PIN, 0);
  strcpy(r.care_auth_token, "ocp_ignored"); // without ok a token means nothing
  on_verify_pin_result(&r);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden Sign-In");
  EXPECT_EQ(g_boxes[0].text, L"Incorrect verification code.");
  EXPECT_TRUE(g_boxes[0].warning_icon);
  EXPECT_EQ(g_app.pin_sent, 1);
  EXPECT_STREQ(g_app.challenge_id, "ch_42");
  EXPECT_EQ(text_of(g_app.identifier_edit), L"123465");
  EXPECT_EQ(g_app.signed_in, 0);
  EXPECT_STREQ(g_app.auth_token, "");
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
  std::wstring token;
  EXPECT_FALSE(stored_token(&token));

  ServiceResult expired = answer(REQUEST_VERIFY_PIN, 0);
  strcpy(expired.error, "That code has expired \xE2\x80\x94 ask for a new one.");
  on_verify_pin_result(&expired);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[1].text, L"That code has expired \u2014 ask for a new one.");
}

TEST_F(AccountWindow, a_sent_pin_turns_the_edit_into_the_code_field) {
  SetWindowTextW(g_app.identifier_edit, L"07700 900123");
  EnableWindow(g_app.pin_button, FALSE);
  ServiceResult r = answer(REQUEST_SEND_PIN, 1);
  strcpy(r.challenge_id, "ch_0001");
  strcpy(r.masked_target, "077** ***123");
  on_send_pin_result(&r);
  EXPECT_STREQ(g_app.challenge_id, "ch_0001");
  EXPECT_EQ(g_app.pin_sent, 1);
  EXPECT_EQ(text_of(g_app.identifier_edit), L"");
  EXPECT_STREQ(g_app.account_text,
               L"Sent 6-digit code to 077** ***123 \u2014 enter it below and click Verify:");
  EXPECT_EQ(text_of(g_app.pin_button), L"Verify 6-Digit PIN");
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
  EXPECT_EQ(GetFocus(), g_app.identifier_edit);
  EXPECT_TRUE(g_boxes.empty());
  wchar_t cue[64] = L"";
  ASSERT_TRUE(
      SendMessageW(g_app.identifier_edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64));
  EXPECT_STREQ(cue, L"Enter 6-digit PIN code...");
}

TEST_F(AccountWindow, a_pin_that_could_not_be_sent_changes_nothing_but_the_button) {
  SetWindowTextW(g_app.identifier_edit, L"someone@example.com");
  EnableWindow(g_app.pin_button, FALSE);
  const ServiceResult no_challenge = answer(REQUEST_SEND_PIN, 1);
  on_send_pin_result(&no_challenge);
  ServiceResult refused = answer(REQUEST_SEND_PIN, 0);
  strcpy(refused.error, "Please enter a valid UK mobile number.");
  strcpy(refused.challenge_id, "ch_ignored");
  on_send_pin_result(&refused);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden Sign-In");
  EXPECT_EQ(g_boxes[0].text, L"Could not send verification PIN.");
  EXPECT_TRUE(g_boxes[0].warning_icon);
  EXPECT_EQ(g_boxes[1].text, L"Please enter a valid UK mobile number.");
  EXPECT_EQ(g_app.pin_sent, 0);
  EXPECT_STREQ(g_app.challenge_id, "");
  EXPECT_STREQ(g_app.account_text, kNotLinked);
  EXPECT_EQ(text_of(g_app.identifier_edit), L"someone@example.com");
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
}

TEST_F(AccountWindow, a_linked_status_raises_the_count_and_names_the_plan) {
  g_app.blocked_count = 5;
  g_app.pin_sent = 1;
  ServiceResult r = answer(REQUEST_APP_STATUS, 1);
  r.authenticated = 1;
  r.entitled = 1;
  r.recent_blocked_count = 12;
  strcpy(r.customer_name, "Ann");
  strcpy(r.plan_label, "Family Guardian \xC2\xA3"
                       "4.99/m");
  on_app_status_result(&r);
  EXPECT_EQ(g_app.signed_in, 1);
  EXPECT_EQ(g_app.entitled, 1);
  EXPECT_EQ(g_app.blocked_count, 12);
  EXPECT_EQ(g_app.pin_sent, 1) << "a status answer leaves the PIN step alone";
  EXPECT_STREQ(g_app.account_text, L"Signed in: Ann  \u2022  Family Guardian \u00a34.99/m");
  EXPECT_FALSE(shown(g_app.identifier_edit));
  EXPECT_FALSE(shown(g_app.pin_button));
  EXPECT_FALSE(shown(g_app.get_button));

  r.recent_blocked_count = 2;
  r.customer_name[0] = '\0';
  r.plan_label[0] = '\0';
  r.entitled = 0;
  on_app_status_result(&r);
  EXPECT_EQ(g_app.blocked_count, 12) << "never lowered";
  EXPECT_STREQ(g_app.account_text, L"Signed in: Customer  \u2022  Linked Account");
  EXPECT_TRUE(shown(g_app.get_button));
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(AccountWindow, an_unlinked_or_failed_status_asks_to_sign_in_and_keeps_the_token) {
  g_app.signed_in = 1;
  g_app.entitled = 1;
  strcpy(g_app.auth_token, "ocp_kept");
  ServiceResult r = answer(REQUEST_APP_STATUS, 1); // ok, but not authenticated
  r.entitled = 1;
  r.recent_blocked_count = 9;
  on_app_status_result(&r);
  EXPECT_EQ(g_app.signed_in, 0);
  EXPECT_EQ(g_app.entitled, 0);
  EXPECT_EQ(g_app.blocked_count, 0);
  EXPECT_STREQ(g_app.account_text, kNotLinked);
  EXPECT_STREQ(g_app.auth_token, "ocp_kept");
  EXPECT_TRUE(shown(g_app.identifier_edit));
  EXPECT_TRUE(shown(g_app.pin_button));
  EXPECT_TRUE(shown(g_app.get_button));
  EXPECT_EQ(text_of(g_app.pin_button), L"Send 6-Digit PIN");
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(AccountWindow, the_pin_button_with_nothing_typed_asks_for_the_current_step) {
  SetWindowTextW(g_app.identifier_edit, L"");
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_PIN_BUTTON, BN_CLICKED), 0);
  g_app.pin_sent = 1;
  on_pin_button(window_);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(g_boxes[0].text, L"Please enter your email address or UK mobile number (07...).");
  EXPECT_TRUE(g_boxes[0].information_icon);
  EXPECT_EQ(g_boxes[1].text, L"Please enter the 6-digit verification code sent to you.");
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
}

TEST_F(AccountWindow, the_pin_button_is_off_while_its_request_runs) {
  SetWindowTextW(g_app.identifier_edit, L"07700 900123");
  on_pin_button(window_);
  EXPECT_FALSE(IsWindowEnabled(g_app.pin_button));
  EXPECT_TRUE(g_boxes.empty());
  // Whatever the service says (or if it cannot be reached), the answer turns it back on.
  pump_until([] { return IsWindowEnabled(g_app.pin_button) != FALSE; }, 30000);
  EXPECT_TRUE(IsWindowEnabled(g_app.pin_button));
}

} // namespace
