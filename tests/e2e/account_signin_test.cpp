// Linking the device as a user does it, against the service: a mobile number, the
// code the service "delivers", the token kept in the registry and used at the next start;
// and the purchase button's page in the browser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ids.h"
#include "app/vendor.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t TOKEN_KEY[] = L"Software\\Olvex\\Callwarden";
const wchar_t MOBILE[] = L"07700 900123";
const char MOBILE_CANONICAL[] = "07700900123";
// Wine gives https addresses to winebrowser, which runs the first command of this value
// that it can start, with the address as its last argument.
const wchar_t WINE_BROWSER_KEY[] = L"Software\\Wine\\WineBrowser";

std::string last_request(const char* action) {
  std::string last;
  for (const std::string& line : service_requests()) {
    if (line.find(action) != std::string::npos) last = line;
  }
  return last;
}

struct CountWait {
  const char* action;
  size_t before;
};

bool more_requests(void* context) {
  CountWait* wait = static_cast<CountWait*>(context);
  return count_requests(wait->action) > wait->before;
}

bool outbox_grew(void* context) { return service_outbox().size() > *static_cast<size_t*>(context); }

bool hidden(void* window) { return !IsWindowVisible(static_cast<HWND>(window)); }

bool pin_step_ready(void* context) {
  HWND window = static_cast<HWND>(context);
  return window_text(control(window, IDC_PIN_BUTTON)) == L"Verify 6-Digit PIN" &&
         window_text(control(window, IDC_IDENTIFIER_EDIT)).empty() &&
         IsWindowEnabled(control(window, IDC_PIN_BUTTON));
}

class AccountSignIn : public ::testing::Test {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the service (scripts/with-service)";
    kill_callwarden();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    reg_delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Olvex");
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&program_);
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    reg_delete_value(HKEY_CURRENT_USER, WINE_BROWSER_KEY, L"Browsers");
  }

  // Starts the program and waits until the service has seen its status request.
  HWND start() {
    CountWait status = {"app_status", count_requests("app_status")};
    if (!launch_callwarden(L"", &program_)) return nullptr;
    HWND window = wait_started(&program_, true, 15000);
    if (window == nullptr || !wait_until(more_requests, &status, 15000)) return nullptr;
    sync_with(window);
    return window;
  }

  // Types the mobile number, presses "Send 6-Digit PIN" and returns the outbox entry.
  std::string send_pin(HWND window) {
    size_t outbox_before = service_outbox().size();
    if (!set_edit_text(window, IDC_IDENTIFIER_EDIT, MOBILE)) return std::string();
    if (!click(window, IDC_PIN_BUTTON)) return std::string();
    if (!wait_until(outbox_grew, &outbox_before, 15000)) return std::string();
    const std::string entry = service_outbox().back();
    if (!wait_until(pin_step_ready, window, 15000)) return std::string();
    return entry;
  }

  void verify(HWND window, const std::string& code) {
    ASSERT_TRUE(set_edit_text(window, IDC_IDENTIFIER_EDIT, std::wstring(code.begin(), code.end())));
    ASSERT_TRUE(click(window, IDC_PIN_BUTTON));
  }

  LaunchedProgram program_ = {nullptr, 0};
};

TEST_F(AccountSignIn, a_mobile_number_and_its_code_link_the_device_and_keep_the_token) {
  HWND window = start();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(json_member(last_request("app_status"), "authorization"), "")
      << "no token yet, so no Authorization header";

  const std::string entry = send_pin(window);
  ASSERT_FALSE(entry.empty()) << "no code delivered, or the PIN step never showed";
  EXPECT_EQ(json_member(entry, "identifier"), MOBILE_CANONICAL);
  EXPECT_NE(last_request("send_pin").find("07700 900123"), std::string::npos)
      << "the identifier goes as typed";
  const std::string code = json_member(entry, "code");
  ASSERT_EQ(code.size(), 6u);

  verify(window, code);
  HWND box = wait_message_box(program_.pid, 15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box),
            L"Your computer is now linked to your Olvex Callwarden account!");
  // Everything is in place before the confirmation shows.
  std::wstring token;
  ASSERT_TRUE(reg_get_string(HKEY_CURRENT_USER, TOKEN_KEY, L"AuthToken", &token));
  EXPECT_EQ(token.rfind(L"ocp_", 0), 0u) << std::string(token.begin(), token.end());
  EXPECT_FALSE(IsWindowVisible(control(window, IDC_IDENTIFIER_EDIT)));
  EXPECT_FALSE(IsWindowVisible(control(window, IDC_PIN_BUTTON)));
  EXPECT_TRUE(answer_message_box(box, IDOK));

  const std::string verify_request = last_request("verify_pin");
  EXPECT_NE(verify_request.find(json_member(entry, "challenge_id")), std::string::npos);
  EXPECT_NE(verify_request.find(code), std::string::npos);

  // The next start is linked at once: its status request carries the stored token.
  kill_callwarden();
  close_program(&program_);
  HWND again = start();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(json_member(last_request("app_status"), "authorization"),
            "Bearer " + std::string(token.begin(), token.end()));
  EXPECT_TRUE(wait_until(hidden, control(again, IDC_IDENTIFIER_EDIT), 15000))
      << "the service's answer links the device";
  EXPECT_FALSE(IsWindowVisible(control(again, IDC_PIN_BUTTON)));
  EXPECT_TRUE(message_boxes(program_.pid).empty()) << "a linked start shows no box";
}

TEST_F(AccountSignIn, a_wrong_code_keeps_the_pin_step_and_the_same_challenge) {
  HWND window = start();
  ASSERT_NE(window, nullptr);
  const std::string entry = send_pin(window);
  ASSERT_FALSE(entry.empty());
  const std::string code = json_member(entry, "code");
  const std::string wrong = code == "000000" ? "111111" : "000000";

  verify(window, wrong);
  HWND box = wait_message_box(program_.pid, 15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden Sign-In");
  EXPECT_EQ(message_box_text(box), L"That code is not right. Please check it and try again.")
      << "the service's own words, not the program's default";
  EXPECT_TRUE(answer_message_box(box, IDOK));
  sync_with(window);
  EXPECT_EQ(window_text(control(window, IDC_PIN_BUTTON)), L"Verify 6-Digit PIN");
  EXPECT_EQ(window_text(control(window, IDC_IDENTIFIER_EDIT)),
            std::wstring(wrong.begin(), wrong.end()));
  std::wstring token;
  EXPECT_FALSE(reg_get_string(HKEY_CURRENT_USER, TOKEN_KEY, L"AuthToken", &token));

  verify(window, code);
  box = wait_message_box(program_.pid, 15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_text(box),
            L"Your computer is now linked to your Olvex Callwarden account!");
  EXPECT_TRUE(answer_message_box(box, IDOK));
  EXPECT_NE(last_request("verify_pin").find(json_member(entry, "challenge_id")), std::string::npos);
}

TEST_F(AccountSignIn, nothing_typed_asks_for_the_number_and_sends_nothing) {
  HWND window = start();
  ASSERT_NE(window, nullptr);
  const size_t sent = count_requests("send_pin");
  ASSERT_TRUE(click(window, IDC_PIN_BUTTON));
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box), L"Please enter your email address or UK mobile number (07...).");
  EXPECT_TRUE(answer_message_box(box, IDOK));
  sync_with(window);
  EXPECT_EQ(count_requests("send_pin"), sent);
  EXPECT_TRUE(IsWindowEnabled(control(window, IDC_PIN_BUTTON)));
}

TEST_F(AccountSignIn, an_identifier_the_service_refuses_is_shown_under_the_sign_in_caption) {
  HWND window = start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(set_edit_text(window, IDC_IDENTIFIER_EDIT, L"not a number"));
  ASSERT_TRUE(click(window, IDC_PIN_BUTTON));
  HWND box = wait_message_box(program_.pid, 15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden Sign-In");
  EXPECT_EQ(message_box_text(box),
            L"Please enter a valid email address or UK mobile number (07...).");
  EXPECT_TRUE(answer_message_box(box, IDOK));
  sync_with(window);
  EXPECT_EQ(window_text(control(window, IDC_PIN_BUTTON)), L"Send 6-Digit PIN");
  EXPECT_EQ(window_text(control(window, IDC_IDENTIFIER_EDIT)), L"not a number");
  EXPECT_TRUE(IsWindowEnabled(control(window, IDC_PIN_BUTTON)));
}

TEST_F(AccountSignIn, the_purchase_button_opens_the_pricing_page_in_the_default_browser) {
  // The "browser" is a shell script in the service's folder that writes down each address.
  wchar_t unix_dir[1024];
  const DWORD n = GetEnvironmentVariableW(L"CALLWARDEN_SERVICE_DATA", unix_dir, 1024);
  ASSERT_TRUE(n > 0 && n < 1024) << "scripts/with-service names the folder's Linux path";
  std::wstring opened = service_dir() + L"\\opened-pages.txt";
  DeleteFileW(opened.c_str());
  ASSERT_TRUE(
      write_file_bytes(service_dir() + L"\\browser.sh",
                       "printf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/opened-pages.txt\"\n"));
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, WINE_BROWSER_KEY, L"Browsers",
                             L"/bin/sh " + std::wstring(unix_dir, n) + L"/browser.sh"));

  HWND window = start();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(click(window, IDC_GET_BUTTON));
  EXPECT_TRUE(wait_until(
      [](void* path) { return !read_file_bytes(*static_cast<std::wstring*>(path)).empty(); },
      &opened, 15000));
  Sleep(500); // a second page would show by now
  EXPECT_EQ(read_file_bytes(opened), CALLWARDEN_PRICING_URL "\n");

  sync_with(window);
  EXPECT_TRUE(message_boxes(program_.pid).empty());
  EXPECT_TRUE(IsWindowVisible(control(window, IDC_GET_BUTTON)));
  EXPECT_EQ(window_text(control(window, IDC_PIN_BUTTON)), L"Send 6-Digit PIN");
}

} // namespace
