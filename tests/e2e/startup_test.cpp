// Start-up as a user meets it: shown or hidden by the tray flag, one instance only,
// a stored token found and sent, and no crash on odd input.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"

namespace {

class Startup : public ::testing::Test {
protected:
  void SetUp() override {
    kill_callwarden();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    reg_delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Olvex");
  }
  void TearDown() override {
    kill_callwarden();
    close_program(&first);
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    reg_delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Olvex");
  }
  // `shown`: whether the start is expected to show the window, so that a window still
  // being shown is waited for; a hidden start is judged once start-up has finished.
  HWND start(const std::wstring& args, bool shown = true) {
    if (!launch_callwarden(args, &first)) return nullptr;
    return wait_started(&first, shown, 15000);
  }
  LaunchedProgram first = {nullptr, 0};
};

TEST_F(Startup, without_a_flag_the_window_is_shown) {
  HWND w = start(L"");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(window_text(w), L"Olvex Callwarden \u2014 Live Scam & Remote-Caller Protection");
}

TEST_F(Startup, tray_flags_start_hidden_and_near_misses_do_not) {
  struct Case {
    const wchar_t* args;
    bool hidden;
  } cases[] = {{L"--tray", true},  {L"/tray", true},  {L"--traymode", true},
               {L"--TRAY", false}, {L"-tray", false}, {L"x --tray y", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "args: " << std::string(c.args, c.args + wcslen(c.args)));
    HWND w = start(c.args, !c.hidden);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(IsWindowVisible(w) == FALSE, c.hidden);
    kill_callwarden();
    close_program(&first);
  }
}

TEST_F(Startup, second_instance_without_flag_shows_the_hidden_first_window) {
  HWND w = start(L"--tray", false);
  ASSERT_NE(w, nullptr);
  ASSERT_FALSE(IsWindowVisible(w));

  LaunchedProgram second;
  ASSERT_TRUE(launch_callwarden(L"", &second));
  DWORD code = 99;
  ASSERT_TRUE(wait_exit(&second, 15000, &code));
  close_program(&second);
  EXPECT_EQ(code, 0u);
  sync_with(w);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(FindWindowExW(nullptr, w, L"OlvexCallwardenWndV1", nullptr), nullptr)
      << "the second instance must not create a window";
}

TEST_F(Startup, second_instance_with_tray_flag_does_not_show_the_window) {
  HWND w = start(L"--tray", false);
  ASSERT_NE(w, nullptr);

  LaunchedProgram second;
  ASSERT_TRUE(launch_callwarden(L"--tray", &second));
  DWORD code = 99;
  ASSERT_TRUE(wait_exit(&second, 15000, &code));
  close_program(&second);
  EXPECT_EQ(code, 0u);
  Sleep(300);
  sync_with(w);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(FindWindowExW(nullptr, w, L"OlvexCallwardenWndV1", nullptr), nullptr);
}

TEST_F(Startup, first_instance_keeps_running_after_a_second_one_exits) {
  HWND w = start(L"");
  ASSERT_NE(w, nullptr);
  LaunchedProgram second;
  ASSERT_TRUE(launch_callwarden(L"", &second));
  ASSERT_TRUE(wait_exit(&second, 15000, nullptr));
  close_program(&second);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(first.process, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(IsWindow(w));
}

TEST_F(Startup, an_absent_or_huge_command_line_starts_normally) {
  // No command line at all: the runtime then has only the module name to go on.
  STARTUPINFOW si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof(pi));
  ASSERT_TRUE(CreateProcessW(program_path().c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  first.process = pi.hProcess;
  first.pid = pi.dwProcessId;
  HWND w = wait_started(&first, true, 15000);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  kill_callwarden();
  close_program(&first);

  std::wstring huge(32000, L'x');
  huge.replace(20000, 6, L"--tray");
  w = start(huge, false);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(IsWindowVisible(w)) << "the flag deep inside a huge tail still counts";
}

// The token that start-up found reaches the service as the bearer of the first request.
static std::string last_app_status_authorization(size_t skip) {
  std::vector<std::string> lines = service_requests();
  for (size_t i = lines.size(); i > skip; i--) {
    const std::string& line = lines[i - 1];
    if (line.find("app_status") == std::string::npos) continue;
    const std::string key = "\"authorization\":\"";
    size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    at += key.size();
    return line.substr(at, line.find('"', at) - at);
  }
  return "<no request>";
}

struct TokenWait {
  size_t skip;
};

static bool app_status_arrived(void* context) {
  return last_app_status_authorization(static_cast<TokenWait*>(context)->skip) != "<no request>";
}

class TokenDiscovery : public Startup {
protected:
  std::string authorization_sent() {
    TokenWait wait = {service_requests().size()};
    HWND w = start(L"--tray", false);
    if (w == nullptr) return "<no window>";
    wait_until(app_status_arrived, &wait, 20000);
    std::string sent = last_app_status_authorization(wait.skip);
    kill_callwarden();
    close_program(&first);
    return sent;
  }
};

TEST_F(TokenDiscovery, rows_prefixes_and_value_types_decide_the_bearer) {
  if (service_dir().empty()) GTEST_SKIP() << "needs scripts/with-service";
  const wchar_t* own = L"Software\\Olvex\\Callwarden";
  const wchar_t* support = L"Software\\Olvex\\Support";
  const wchar_t* machine = L"SOFTWARE\\Olvex\\Support";
  const wchar_t* cloud = L"Software\\Olvex\\Cloud";

  EXPECT_EQ(authorization_sent(), "") << "no token stored: no Authorization header";

  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, cloud, L"SyncToken", L"ocld_cloud4"));
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, support, L"CareAuthToken", L"ocld_support2"));
  ASSERT_TRUE(reg_set_string(HKEY_LOCAL_MACHINE, machine, L"CareAuthToken", L"ocld_machine3"));
  EXPECT_EQ(authorization_sent(), "Bearer ocld_cloud4") << "ocld_ is passed over in rows 2, 3";

  ASSERT_TRUE(reg_set_string(HKEY_LOCAL_MACHINE, machine, L"CareAuthToken", L"ocp_machine3"));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_machine3");

  // Row 2 of the wrong types, empty, or too long: passed over.
  const DWORD number = 7;
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, support, L"CareAuthToken", REG_DWORD, &number, 4));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_machine3");
  const wchar_t multi[] = L"ocp_multi\0second\0";
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, support, L"CareAuthToken", REG_MULTI_SZ, multi,
                            sizeof(multi)));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_machine3");
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, support, L"CareAuthToken", L""));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_machine3");
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, support, L"CareAuthToken",
                             L"ocp_" + std::wstring(316, L'z'))); // 640 bytes with its NUL
  EXPECT_EQ(authorization_sent(), "Bearer ocp_machine3") << "over 638 bytes counts as absent";
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, support, L"CareAuthToken",
                             L"ocp_" + std::wstring(314, L'z'))); // 638 bytes with its NUL
  EXPECT_EQ(authorization_sent(), "Bearer ocp_" + std::string(314, 'z'));

  // Row 1: upper-case prefix passed over; REG_EXPAND_SZ taken unexpanded; it wins.
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, own, L"AuthToken", L"OCP_upper"));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_" + std::string(314, 'z'));
  ASSERT_TRUE(
      reg_set_string(HKEY_CURRENT_USER, own, L"AuthToken", L"ocp_%USERNAME%", REG_EXPAND_SZ));
  EXPECT_EQ(authorization_sent(), "Bearer ocp_%USERNAME%");
}

TEST_F(Startup, corrupt_registry_values_never_stop_start_up) {
  const unsigned char garbage[] = {0xFF, 0xFE, 0x00, 0xD8, 0x41, 0x00}; // lone surrogate, odd size
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, L"Software\\Olvex\\Callwarden", L"AuthToken", REG_SZ,
                            garbage, 5));
  std::string big(100000, 'a');
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, L"Software\\Olvex\\Support", L"CareAuthToken",
                            REG_BINARY, big.data(), static_cast<DWORD>(big.size())));
  HWND w = start(L"");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(first.process, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
}

} // namespace
