// The real program's part of the family web journey (tests/web/journey.mjs): run by it at its
// middle steps, against the account its browser signed in to and the Guardian PIN it set on
// the web page. Skipped when not given that account (the e2e layer runs without it).
//   CALLWARDEN_JOURNEY_STEP=link      link to the account, have a tool stopped, see the alert
//                                     delivered, lift the blocker with the web page's PIN
//                                     and pause it, for the page to show
//   CALLWARDEN_JOURNEY_STEP=locked    after the page locked it: Pause asks for the PIN, then
//                                     pauses; turned on again; Windows shuts down, for the
//                                     page to show
//   CALLWARDEN_JOURNEY_STEP=unlinked  after the page unlinked the computer: signed out
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ids.h"
#include "tests/e2e/harness.h"

namespace {

const DWORD kAlertWithinMs = 5000;

std::string environment(const char* name) {
  char value[512];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n == 0 || n >= sizeof(value) ? std::string() : std::string(value, n);
}

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class FamilyJourney : public ::testing::Test {
protected:
  void SetUp() override {
    account_ = environment("CALLWARDEN_JOURNEY_ACCOUNT");
    if (account_.empty() || service_dir().empty())
      GTEST_SKIP() << "run by the web journey (tests/web/journey.mjs)";
    kill_callwarden();
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app_);
    if (tool_.process) {
      TerminateProcess(tool_.process, 77);
      close_program(&tool_);
    }
  }

  bool step_is(const char* step) { return environment("CALLWARDEN_JOURNEY_STEP") == step; }

  // Starts the program and waits for the service to have answered its status request.
  HWND start() {
    const size_t statuses = count_requests("app_status");
    if (!launch_callwarden(L"", &app_)) return nullptr;
    HWND main = wait_started(&app_, true, 15000);
    for (int i = 0; main && i < 300 && count_requests("app_status") == statuses; i++)
      Sleep(50);
    Sleep(500); // the answer is handled on the window's thread after the request is logged
    if (main) sync_with(main);
    return main;
  }

  HWND other_box(DWORD timeout_ms, const wchar_t* caption_start) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    for (;;) {
      for (HWND box : message_boxes(app_.pid)) {
        if (message_box_caption(box).rfind(caption_start, 0) == 0) return box;
      }
      if (GetTickCount64() >= end) return nullptr;
      Sleep(50);
    }
  }

  std::string account_;
  LaunchedProgram app_ = {nullptr, 0};
  LaunchedProgram tool_ = {nullptr, 0};
};

TEST_F(FamilyJourney, linked_program_alerts_the_family_and_takes_the_pin_set_on_the_web) {
  if (!step_is("link")) GTEST_SKIP() << "another step of the journey";
  reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  HWND main = start();
  ASSERT_NE(main, nullptr);

  // Linked as a family member does it: their own email, the code the service sends them.
  const size_t codes = service_outbox().size();
  ASSERT_TRUE(set_edit_text(main, IDC_IDENTIFIER_EDIT, wide(account_)));
  ASSERT_TRUE(click(main, IDC_PIN_BUTTON));
  for (int i = 0; i < 300 && service_outbox().size() == codes; i++)
    Sleep(50);
  ASSERT_GT(service_outbox().size(), codes);
  const std::string code = json_member(service_outbox().back(), "code");
  for (int i = 0; i < 300 && window_text(control(main, IDC_PIN_BUTTON)) != L"Verify 6-Digit PIN";
       i++)
    Sleep(50);
  ASSERT_TRUE(set_edit_text(main, IDC_IDENTIFIER_EDIT, wide(code)));
  ASSERT_TRUE(click(main, IDC_PIN_BUTTON));
  HWND linked = other_box(15000, L"Olvex Callwarden");
  ASSERT_NE(linked, nullptr);
  EXPECT_EQ(message_box_text(linked),
            L"Your computer is now linked to your Olvex Callwarden account!");
  answer_message_box(linked, IDOK);

  // A scammer's tool is started and stopped; the family hears of it within 5 seconds.
  const size_t alerts_before = service_alerts().size();
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring tool_path = std::wstring(temp) + L"AnyDesk.exe";
  ASSERT_TRUE(CopyFileW((bin_dir() + L"\\dummy_tool.exe").c_str(), tool_path.c_str(), FALSE));
  ASSERT_TRUE(launch(tool_path, L"", &tool_));
  DWORD exit_code = 0;
  ASSERT_TRUE(wait_exit(&tool_, 5000, &exit_code)) << "the blocker did not stop AnyDesk.exe";
  EXPECT_EQ(exit_code, 1u);
  const ULONGLONG stopped = GetTickCount64();
  std::string alert;
  while (GetTickCount64() - stopped < kAlertWithinMs && alert.empty()) {
    for (const std::string& line : service_alerts()) {
      if (json_member(line, "identifier") == account_ &&
          json_member(line, "text").rfind("Callwarden stopped AnyDesk on ", 0) == 0)
        alert = line;
    }
    Sleep(50);
  }
  ASSERT_FALSE(alert.empty()) << "no alert in the outbox within 5 s";
  EXPECT_GT(service_alerts().size(), alerts_before + 1) << "the confirmed contact too";
  const std::string smtp_log = environment("CALLWARDEN_JOURNEY_SMTP_LOG");
  if (!smtp_log.empty()) {
    bool mailed = false;
    while (GetTickCount64() - stopped < kAlertWithinMs && !mailed) {
      mailed = read_file_bytes(wide(smtp_log)).find("Callwarden stopped AnyDesk on ") !=
               std::string::npos;
      Sleep(50);
    }
    EXPECT_TRUE(mailed) << "no email at the SMTP receiver within 5 s";
  }
  // The contact with a mobile gets it by text, through the SMS gateway's fake SMSC.
  const std::string texts_log = environment("CALLWARDEN_JOURNEY_TEXTS");
  const std::string mobile = environment("CALLWARDEN_JOURNEY_MOBILE");
  if (!texts_log.empty() && !mobile.empty()) {
    const std::string texted_alert = "<Olvex " + mobile + " text Callwarden stopped AnyDesk on ";
    bool texted = false;
    while (GetTickCount64() - stopped < kAlertWithinMs && !texted) {
      texted = read_file_bytes(wide(texts_log)).find(texted_alert) != std::string::npos;
      Sleep(50);
    }
    EXPECT_TRUE(texted) << "no text to " << mobile << " at the SMS gateway within 5 s";
  }
  for (HWND box : message_boxes(app_.pid))
    answer_message_box(box, IDOK);

  // The 1-Hr Override takes the PIN the Guardian set on the web page.
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, wide(environment("CALLWARDEN_JOURNEY_PIN"))));
  ASSERT_TRUE(click(main, IDC_OVERRIDE_BUTTON));
  HWND verified = other_box(15000, L"Olvex Callwarden");
  ASSERT_NE(verified, nullptr);
  EXPECT_EQ(message_box_text(verified),
            L"Guardian PIN verified. Remote-tool blocker is paused for 1 hour.");
  answer_message_box(verified, IDOK);

  // Paused, for the family page to show: the report is in before the step ends.
  const size_t reports = count_requests("report_protection");
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  HWND confirm = other_box(15000, L"Olvex Callwarden");
  ASSERT_NE(confirm, nullptr);
  answer_message_box(confirm, IDYES);
  for (int i = 0; i < 200 && count_requests("report_protection") == reports; i++)
    Sleep(50);
  EXPECT_GT(count_requests("report_protection"), reports);
}

TEST_F(FamilyJourney, locked_program_pauses_only_with_the_pin_and_turns_back_on) {
  if (!step_is("locked")) GTEST_SKIP() << "another step of the journey";
  HWND main = start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  HWND ask = other_box(15000, L"Olvex Callwarden");
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(message_box_caption(ask), L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN")
      << "the lock the page turned on asks for the PIN";
  answer_message_box(ask, IDOK);
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, wide(environment("CALLWARDEN_JOURNEY_PIN"))));
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  HWND confirm = other_box(15000, L"Olvex Callwarden");
  ASSERT_NE(confirm, nullptr);
  answer_message_box(confirm, IDYES);
  for (int i = 0; i < 300 && window_text(control(main, IDC_PAUSE_BUTTON)) != L"Turn On Blocker";
       i++)
    Sleep(50);
  ASSERT_EQ(window_text(control(main, IDC_PAUSE_BUTTON)), L"Turn On Blocker");
  const size_t reports = count_requests("resumed");
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  for (int i = 0; i < 200 && count_requests("resumed") == reports; i++)
    Sleep(50);
  EXPECT_GT(count_requests("resumed"), reports);
  // Windows shuts down: the page is to say so, and the silence after it is expected.
  const size_t shutdowns = count_requests("\\\"state\\\":\\\"shutdown\\\"");
  SendMessageW(main, WM_QUERYENDSESSION, 0, 0);
  SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  EXPECT_GT(count_requests("\\\"state\\\":\\\"shutdown\\\""), shutdowns);
}

TEST_F(FamilyJourney, unlinked_program_asks_to_sign_in_again_at_its_next_start) {
  if (!step_is("unlinked")) GTEST_SKIP() << "another step of the journey";
  std::wstring token;
  ASSERT_TRUE(
      reg_get_string(HKEY_CURRENT_USER, L"Software\\Olvex\\Callwarden", L"AuthToken", &token))
      << "the program still holds its token; only the service forgot it";
  HWND main = start();
  ASSERT_NE(main, nullptr);
  std::vector<std::string> requests = service_requests();
  std::string status;
  for (const std::string& line : requests) {
    if (line.find("app_status") != std::string::npos) status = line;
  }
  EXPECT_NE(status.find("Bearer ocp_"), std::string::npos) << "the old token was sent";
  bool asks = false;
  for (int i = 0; i < 100 && !asks; i++) {
    asks = IsWindowVisible(control(main, IDC_IDENTIFIER_EDIT)) &&
           window_text(control(main, IDC_PIN_BUTTON)) == L"Send 6-Digit PIN";
    Sleep(50);
  }
  EXPECT_TRUE(asks) << "the sign-in line is not shown";
}

} // namespace
