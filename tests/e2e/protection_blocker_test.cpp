// The remote-tool blocker as the user meets it: copies of a harmless program, named like
// remote-control tools, are started beside the running Callwarden and watched from outside.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/vendor.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t* const kAlertCaption = L"Olvex Callwarden \u2014 Remote Scam Blocked";
const wchar_t* const kPauseText =
    L"Are you sure you want to pause Live Remote-Scam Protection?\r\n\r\nNEVER pause protection "
    L"if someone on the phone asked you to!";
const wchar_t* const kOverrideCaption = L"Olvex Callwarden \u2014 Confirm 1-Hour Override";
const wchar_t* const kOverrideText =
    L"Pause the Remote-Scam Blocker for 1 hour?\r\n\r\nWARNING: NEVER pause this if someone who "
    L"phoned you from 'BT', 'Microsoft', 'Amazon' or your 'Bank' asked you to!\r\n\r\nClick Yes "
    L"ONLY if you are initiating a genuine session yourself.";
const wchar_t* const kTestClockKey = L"Software\\Olvex\\CallwardenTest";

// A listed tool must be gone this long after it started: one 1500 ms tick and the time
// Wine takes to bring up and tear down a process.
const DWORD kTerminateWithinMs = 3000;
// Long enough for at least two ticks to have looked at a process.
const DWORD kTwoTicksMs = 3500;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

bool contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

struct Tool {
  std::wstring name;
  LaunchedProgram program;
  ULONGLONG started_at;
};

class ProtectionBlocker : public ::testing::Test {
protected:
  void SetUp() override {
    kill_callwarden();
    // No stored token (an unlinked device) and no shifted clock.
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::wstring(temp) + L"callwarden-protection";
    CreateDirectoryW(folder_.c_str(), nullptr);
    folder_ += L"\\" + std::wstring(info->name(), info->name() + strlen(info->name()));
    CreateDirectoryW(folder_.c_str(), nullptr);
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app_);
    for (std::unique_ptr<Tool>& tool : tools_) {
      if (tool->program.process == nullptr) continue;
      if (still_running(tool.get())) TerminateProcess(tool->program.process, 77);
      WaitForSingleObject(tool->program.process, 5000);
      close_program(&tool->program);
    }
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  HWND start_callwarden(const std::wstring& args, bool test_hooks = false) {
    if (!launch_callwarden(args, &app_, test_hooks)) return nullptr;
    return wait_started(&app_, args.find(L"tray") == std::wstring::npos, 15000);
  }

  // Starts a copy of the dummy tool (or of `source`, another helper beside the tests) under
  // `name`; the returned pointer stays valid until the test ends.
  Tool* start_tool(const std::wstring& name, const wchar_t* source = L"dummy_tool.exe") {
    const std::wstring path = folder_ + L"\\" + name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CopyFileW((bin_dir() + L"\\" + source).c_str(), path.c_str(), FALSE)) {
      ADD_FAILURE() << "cannot copy " << utf8(source) << " to " << utf8(path);
      return nullptr;
    }
    Tool* tool = new_tool(name);
    if (!launch(path, L"", &tool->program)) {
      ADD_FAILURE() << "cannot start " << utf8(path);
      tool->program.process = nullptr;
      return nullptr;
    }
    tool->started_at = GetTickCount64();
    return tool;
  }

  // True when the tool ended no later than `ms` after it was started; its exit code in `*code`.
  static bool ended_within(Tool* tool, DWORD ms, DWORD* code) {
    const ULONGLONG deadline = tool->started_at + ms;
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    return wait_exit(&tool->program, left, code);
  }

  static bool still_running(Tool* tool) {
    return tool->program.process != nullptr &&
           WaitForSingleObject(tool->program.process, 0) == WAIT_TIMEOUT;
  }

  // Expects the tool to be terminated by the blocker: gone in time, exit code 1.
  static void expect_blocked(Tool* tool) {
    ASSERT_NE(tool, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(ended_within(tool, kTerminateWithinMs, &code))
        << utf8(tool->name) << " still runs " << kTerminateWithinMs << " ms after its start";
    EXPECT_EQ(code, 1u) << utf8(tool->name);
  }

  std::vector<HWND> alert_boxes() const {
    std::vector<HWND> alerts;
    for (HWND box : message_boxes(app_.pid)) {
      if (message_box_caption(box) == kAlertCaption) alerts.push_back(box);
    }
    return alerts;
  }

  HWND wait_alert_naming(const std::wstring& tool_name, DWORD timeout_ms) const {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    for (;;) {
      for (HWND box : alert_boxes()) {
        if (contains(message_box_text(box), L"(" + tool_name + L")")) return box;
      }
      if (GetTickCount64() >= end) return nullptr;
      Sleep(50);
    }
  }

  // Any box other than a blocker alert (the confirmations), polled for.
  HWND wait_other_box(DWORD timeout_ms) const {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    for (;;) {
      for (HWND box : message_boxes(app_.pid)) {
        if (message_box_caption(box) != kAlertCaption) return box;
      }
      if (GetTickCount64() >= end) return nullptr;
      Sleep(50);
    }
  }

  void dismiss_alerts() {
    for (HWND box : alert_boxes())
      answer_message_box(box, IDOK);
    for (int i = 0; i < 100 && !alert_boxes().empty(); i++)
      Sleep(50);
  }

  std::wstring pause_caption(HWND main) { return window_text(control(main, 1004)); }

  static bool set_test_clock_minutes(DWORD minutes) {
    return reg_set_bytes(HKEY_CURRENT_USER, kTestClockKey, L"ClockOffsetMinutes", REG_DWORD,
                         &minutes, sizeof(minutes));
  }

  LaunchedProgram app_ = {nullptr, 0};

private:
  Tool* new_tool(const std::wstring& name) {
    tools_.push_back(std::unique_ptr<Tool>(new Tool{name, {nullptr, 0}, 0}));
    return tools_.back().get();
  }
  std::wstring folder_;
  std::vector<std::unique_ptr<Tool>> tools_;
};

// The message box's default button: the one drawn with the default push-button style.
int default_button(HWND box) {
  const int ids[] = {IDOK, IDCANCEL, IDYES, IDNO};
  for (int id : ids) {
    HWND button = GetDlgItem(box, id);
    if (button && (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return id;
    }
  }
  return 0;
}

DWORD WINAPI show_probe_box(void*) {
  MessageBoxW(nullptr, L"probe", L"callwarden-topmost-probe", MB_OK | MB_TOPMOST);
  return 0;
}

// Whether this platform gives a box shown with MB_TOPMOST the topmost style. Windows
// does; Wine 8 keeps it only for system-modal boxes, so there the alert's topmost flag
// cannot be seen from outside and only its place above the window is checked.
bool platform_honours_mb_topmost() {
  static int known = -1;
  if (known >= 0) return known == 1;
  HANDLE thread = CreateThread(nullptr, 0, show_probe_box, nullptr, 0, nullptr);
  HWND box = nullptr;
  for (int i = 0; i < 200 && box == nullptr; i++) {
    box = FindWindowW(L"#32770", L"callwarden-topmost-probe");
    if (box == nullptr) Sleep(25);
  }
  known = box != nullptr && (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0;
  if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (thread) {
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
  }
  return known == 1;
}

// True when `upper` comes before `lower` in the Z order.
bool is_above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(lower, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
    if (w == upper) return true;
  }
  return false;
}

TEST_F(ProtectionBlocker, every_listed_tool_in_any_letter_case_is_terminated_with_exit_code_one) {
  ASSERT_NE(start_callwarden(L""), nullptr);
  const wchar_t* names[] = {L"AnyDesk.exe",
                            L"TEAMVIEWER.EXE",
                            L"UltraViewer_Desktop.exe",
                            L"ultraviewer_SERVICE.exe",
                            L"Supremo.Exe",
                            L"ScreenConnect.WindowsClient.exe",
                            L"SCREENCONNECT.CLIENTSERVICE.EXE",
                            L"RustDesk.exe",
                            L"quickASSIST.exe"};
  std::vector<Tool*> started;
  for (const wchar_t* name : names)
    started.push_back(start_tool(name));
  for (Tool* tool : started)
    expect_blocked(tool);
  // The box follows the terminations within the same tick; a busy machine may take a
  // few seconds to show it.
  for (int i = 0; i < 200 && alert_boxes().empty(); i++)
    Sleep(50);
  EXPECT_FALSE(alert_boxes().empty());
}

TEST_F(ProtectionBlocker, near_miss_names_keep_running) {
  ASSERT_NE(start_callwarden(L""), nullptr);
  const wchar_t* names[] = {L"anydesk",
                            L"anydesk.exe.old",
                            L"my-anydesk.exe",
                            L"anydesk2.exe",
                            L"teamviewer_service.exe",
                            L"rustdes\u212A.exe",     // KELVIN SIGN, folds to k only in Unicode
                            L"quickass\u0131st.exe"}; // dotless i
  std::vector<Tool*> near_misses;
  for (const wchar_t* name : names) {
    Tool* tool = start_tool(name);
    ASSERT_NE(tool, nullptr);
    near_misses.push_back(tool);
  }
  // A real tool beside them shows that the blocker is looking.
  expect_blocked(start_tool(L"AnyDesk.exe"));
  Sleep(kTwoTicksMs);
  for (Tool* tool : near_misses)
    EXPECT_TRUE(still_running(tool)) << utf8(tool->name);
  const std::vector<HWND> alerts = alert_boxes();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_TRUE(contains(message_box_text(alerts[0]), L"(AnyDesk.exe)"));
}

// A tool renamed by the caller is known by the version resource inside its file; a program
// whose resource names no tool is spared. Both are started before two tools with listed
// names, so the sweeps that ended those have looked at them too.
TEST_F(ProtectionBlocker,
       a_renamed_tool_is_found_by_its_version_resource_and_named_in_alert_and_report) {
  auto reports = [] {
    std::vector<std::string> found;
    for (const std::string& line : service_requests()) {
      if (line.find("report_blocked_tool") != std::string::npos) found.push_back(line);
    }
    return found;
  };
  const size_t reports_before = reports().size();
  ASSERT_NE(start_callwarden(L""), nullptr);
  Tool* ordinary = start_tool(L"notes.exe", L"ordinary_tool.exe");
  Tool* plain = start_tool(L"invoice2.exe");
  ASSERT_NE(ordinary, nullptr);
  ASSERT_NE(plain, nullptr);
  expect_blocked(start_tool(L"invoice.exe", L"disguised_tool.exe"));
  HWND box = wait_alert_naming(L"invoice.exe (AnyDesk)", 5000);
  ASSERT_NE(box, nullptr) << "no alert names \"invoice.exe (AnyDesk)\"";
  EXPECT_EQ(message_box_text(box).find(L"STOP - Olvex Callwarden Blocked a Remote Control App! "
                                       L"(invoice.exe (AnyDesk))\r\n"),
            0u);
  if (!service_dir().empty()) {
    std::vector<std::string> after;
    for (int i = 0; i < 100 && (after = reports()).size() == reports_before; i++)
      Sleep(100);
    ASSERT_EQ(after.size(), reports_before + 1);
    EXPECT_NE(after.back().find("invoice.exe (AnyDesk)"), std::string::npos) << after.back();
  }
  expect_blocked(start_tool(L"AnyDesk.exe"));
  expect_blocked(start_tool(L"TeamViewer.exe"));
  EXPECT_TRUE(still_running(ordinary)) << "an ordinary version resource is no tool";
  EXPECT_TRUE(still_running(plain)) << "no version resource at all is no tool";
}

TEST_F(ProtectionBlocker, alert_restores_the_window_from_the_tray_and_warns_on_top) {
  HWND main = start_callwarden(L"--tray");
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(IsWindowVisible(main));

  expect_blocked(start_tool(L"AnyDesk.exe"));
  HWND box = wait_alert_naming(L"AnyDesk.exe", 5000);
  ASSERT_NE(box, nullptr);

  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(GetWindow(box, GW_OWNER), main);
  EXPECT_EQ(GetForegroundWindow(), box);
  EXPECT_TRUE(is_above(box, main));
  if (platform_honours_mb_topmost()) {
    EXPECT_NE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  }
  EXPECT_EQ(GetDlgItem(box, IDYES), nullptr);
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);

  const std::wstring text = message_box_text(box);
  const std::wstring fixed =
      L"STOP - Olvex Callwarden Blocked a Remote Control App! (AnyDesk.exe)\r\n\r\n"
      L"If someone on the phone from 'BT', 'Microsoft', 'Amazon', 'HMRC' or your 'Bank' asked "
      L"you to open this, HANG UP NOW.\r\n\r\n"
      L"Genuine organisations will NEVER ask to remote-control your PC.\r\n";
  ASSERT_EQ(text.compare(0, fixed.size(), fixed), 0) << utf8(text);
  const std::wstring help_line = text.substr(fixed.size());
  EXPECT_TRUE(contains(help_line, L"0808 157 0")) << utf8(help_line);
  EXPECT_EQ(help_line.find(L'\n'), std::wstring::npos);
}

TEST_F(ProtectionBlocker, the_same_tool_restarted_every_tick_alerts_again_only_after_ten_seconds) {
  ASSERT_NE(start_callwarden(L""), nullptr);
  // Keep the tool running: start it again as soon as the blocker has ended it.
  Tool* tool = start_tool(L"AnyDesk.exe");
  ASSERT_NE(tool, nullptr);
  std::vector<HWND> seen;
  ULONGLONG first_alert = 0;
  ULONGLONG second_alert = 0;
  int terminations_between = 0;
  const ULONGLONG give_up = GetTickCount64() + 25000;
  while (second_alert == 0 && GetTickCount64() < give_up) {
    if (!still_running(tool)) {
      DWORD code = 0;
      GetExitCodeProcess(tool->program.process, &code);
      ASSERT_EQ(code, 1u);
      if (first_alert != 0) terminations_between++;
      tool = start_tool(L"AnyDesk.exe");
      ASSERT_NE(tool, nullptr);
    }
    for (HWND box : alert_boxes()) {
      bool known = false;
      for (HWND old : seen)
        known = known || old == box;
      if (known) continue;
      seen.push_back(box);
      EXPECT_TRUE(contains(message_box_text(box), L"(AnyDesk.exe)"));
      if (first_alert == 0) {
        first_alert = GetTickCount64();
      } else if (second_alert == 0) {
        second_alert = GetTickCount64();
      }
    }
    Sleep(50);
  }
  ASSERT_NE(first_alert, 0u) << "no alert at all";
  ASSERT_NE(second_alert, 0u) << "no second alert within 25 s";
  const ULONGLONG gap = second_alert - first_alert;
  // The second alert comes on the first tick more than 9999 ms after the first one (the
  // seventh, 10500 ms later); seeing each box may lag its tick by a poll or two.
  EXPECT_GT(gap, 9000u);
  EXPECT_LT(gap, 13000u);
  EXPECT_GE(terminations_between, 4) << "the blocker must keep terminating between alerts";
}

TEST_F(ProtectionBlocker, another_tool_three_seconds_later_opens_a_second_alert_over_the_first) {
  ASSERT_NE(start_callwarden(L""), nullptr);
  expect_blocked(start_tool(L"AnyDesk.exe"));
  HWND first = wait_alert_naming(L"AnyDesk.exe", 5000);
  ASSERT_NE(first, nullptr);
  Sleep(3000);
  Tool* second_tool = start_tool(L"TeamViewer.exe");
  expect_blocked(second_tool);
  HWND second = wait_alert_naming(L"TeamViewer.exe", 3000);
  ASSERT_NE(second, nullptr);
  const std::vector<HWND> alerts = alert_boxes(); // topmost first
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(alerts[0], second);
  EXPECT_EQ(alerts[1], first);
  EXPECT_TRUE(IsWindow(first));
}

TEST_F(ProtectionBlocker, pausing_asks_first_and_while_paused_listed_tools_keep_running) {
  HWND main = start_callwarden(L"");
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(pause_caption(main), L"Pause Blocker");

  // No: nothing changes.
  ASSERT_TRUE(click(main, 1004));
  HWND box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box), kPauseText);
  EXPECT_EQ(default_button(box), IDNO);
  ASSERT_TRUE(answer_message_box(box, IDNO));
  sync_with(main);
  EXPECT_EQ(pause_caption(main), L"Pause Blocker");
  expect_blocked(start_tool(L"AnyDesk.exe"));
  ASSERT_NE(wait_alert_naming(L"AnyDesk.exe", 3000), nullptr);
  dismiss_alerts();

  // Yes: paused.
  ASSERT_TRUE(click(main, 1004));
  box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(answer_message_box(box, IDYES));
  sync_with(main);
  EXPECT_EQ(pause_caption(main), L"Turn On Blocker");
  Tool* running = start_tool(L"TeamViewer.exe");
  ASSERT_NE(running, nullptr);
  Sleep(kTwoTicksMs);
  EXPECT_TRUE(still_running(running));
  EXPECT_TRUE(alert_boxes().empty());

  // Turning it on again asks nothing and the next tick terminates the tool.
  // The click is posted, and a message sent later may overtake it: wait for its effect.
  ASSERT_TRUE(click(main, 1004));
  for (int i = 0; i < 100 && pause_caption(main) != L"Pause Blocker"; i++)
    Sleep(50);
  EXPECT_EQ(pause_caption(main), L"Pause Blocker");
  EXPECT_EQ(wait_other_box(500), nullptr);
  DWORD code = 0;
  ASSERT_TRUE(wait_exit(&running->program, kTerminateWithinMs, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_NE(wait_alert_naming(L"TeamViewer.exe", 3000), nullptr);
}

TEST_F(ProtectionBlocker, override_on_an_unlinked_device_lets_tools_run_until_the_hour_has_passed) {
  ASSERT_TRUE(set_test_clock_minutes(0));
  HWND main = start_callwarden(L"", true);
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(post_command(main, 1005));
  HWND box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), kOverrideCaption);
  EXPECT_EQ(message_box_text(box), kOverrideText);
  EXPECT_EQ(default_button(box), IDNO);
  ASSERT_TRUE(answer_message_box(box, IDYES));
  sync_with(main);

  Tool* tool = start_tool(L"AnyDesk.exe");
  ASSERT_NE(tool, nullptr);
  Sleep(kTwoTicksMs);
  EXPECT_TRUE(still_running(tool));
  EXPECT_TRUE(alert_boxes().empty());

  // 59 minutes on, the override still holds.
  ASSERT_TRUE(set_test_clock_minutes(59));
  Sleep(kTwoTicksMs);
  EXPECT_TRUE(still_running(tool));

  // Past the hour: the first tick terminates again.
  ASSERT_TRUE(set_test_clock_minutes(61));
  DWORD code = 0;
  ASSERT_TRUE(wait_exit(&tool->program, kTerminateWithinMs, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_NE(wait_alert_naming(L"AnyDesk.exe", 3000), nullptr);
}

TEST_F(ProtectionBlocker, declining_the_override_keeps_the_blocker_armed) {
  HWND main = start_callwarden(L"");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(click(main, 1005));
  HWND box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(message_box_caption(box), kOverrideCaption);
  ASSERT_TRUE(answer_message_box(box, IDNO));
  sync_with(main);
  expect_blocked(start_tool(L"AnyDesk.exe"));
}

TEST_F(ProtectionBlocker, tray_override_brings_the_hidden_window_back_before_asking) {
  HWND main = start_callwarden(L"--tray");
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(IsWindowVisible(main));
  ASSERT_TRUE(post_command(main, 2003));
  HWND box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), kOverrideCaption);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(GetWindow(box, GW_OWNER), main);
  ASSERT_TRUE(answer_message_box(box, IDNO));
}

TEST_F(ProtectionBlocker, an_alert_is_reported_to_the_service_once_per_alert) {
  if (service_dir().empty()) GTEST_SKIP() << "needs the service (CALLWARDEN_SERVICE_DIR)";
  auto reports = [] {
    std::vector<std::string> found;
    for (const std::string& line : service_requests()) {
      if (line.find("report_blocked_tool") != std::string::npos) found.push_back(line);
    }
    return found;
  };
  const size_t before = reports().size();
  ASSERT_NE(start_callwarden(L""), nullptr);
  expect_blocked(start_tool(L"AnyDesk.exe"));
  ASSERT_NE(wait_alert_naming(L"AnyDesk.exe", 3000), nullptr);
  // Restarted within the repeat gap: terminated again, but neither alerted nor reported.
  expect_blocked(start_tool(L"AnyDesk.exe"));
  std::vector<std::string> after;
  for (int i = 0; i < 100 && (after = reports()).size() == before; i++)
    Sleep(100);
  ASSERT_EQ(after.size(), before + 1);
  EXPECT_NE(after.back().find("tool_name"), std::string::npos) << after.back();
  EXPECT_NE(after.back().find("AnyDesk.exe"), std::string::npos) << after.back();
  Sleep(2000);
  EXPECT_EQ(reports().size(), before + 1);
  EXPECT_EQ(alert_boxes().size(), 1u);
}

// ---- a linked device: the override needs the Guardian PIN that the service checks ----

std::vector<std::string> requests_with(const char* action) {
  std::vector<std::string> found;
  for (const std::string& line : service_requests()) {
    if (line.find(action) != std::string::npos) found.push_back(line);
  }
  return found;
}

class ProtectionGuardianOverride : public ProtectionBlocker {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the service (CALLWARDEN_SERVICE_DIR)";
    ProtectionBlocker::SetUp();
  }

  // Links the device with a mobile number and the code the service "delivers".
  HWND start_linked(const wchar_t* mobile) {
    const size_t statuses = requests_with("app_status").size();
    HWND main = start_callwarden(L"");
    if (main == nullptr) return nullptr;
    for (int i = 0; i < 300 && requests_with("app_status").size() == statuses; i++)
      Sleep(50);
    sync_with(main);
    const size_t outbox = service_outbox().size();
    if (!set_edit_text(main, 1001, mobile) || !click(main, 1002)) return nullptr;
    for (int i = 0; i < 300 && service_outbox().size() == outbox; i++)
      Sleep(50);
    if (service_outbox().size() == outbox) return nullptr;
    const std::string code = json_member(service_outbox().back(), "code");
    for (int i = 0; i < 300 && window_text(control(main, 1002)) != L"Verify 6-Digit PIN"; i++) {
      Sleep(50);
    }
    if (code.size() != 6 || !set_edit_text(main, 1001, std::wstring(code.begin(), code.end())) ||
        !click(main, 1002)) {
      return nullptr;
    }
    HWND linked = wait_other_box(15000);
    if (linked == nullptr) return nullptr;
    answer_message_box(linked, IDOK);
    for (int i = 0; i < 100 && !message_boxes(app_.pid).empty(); i++)
      Sleep(50);
    return main;
  }
};

TEST_F(ProtectionGuardianOverride, only_the_pin_the_service_accepts_starts_the_hour) {
  HWND main = start_linked(L"07700 900456");
  ASSERT_NE(main, nullptr) << "could not link the device";
  ASSERT_TRUE(service_command("set-guardian-pin 07700900456 4821"));

  // Not four digits: the PIN box, and nothing is sent.
  const size_t sent_before = requests_with("verify_override_pin").size();
  ASSERT_TRUE(set_edit_text(main, 1006, L"48 21"));
  ASSERT_TRUE(click(main, 1005));
  HWND box = wait_other_box(5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN");
  const std::wstring site = CALLWARDEN_WEB_HOST_W L"/callwarden.)";
  const std::wstring prompt = message_box_text(box);
  EXPECT_EQ(prompt.rfind(L"To unlock a 1-hour Family Guardian Override, type your 4-digit "
                         L"Guardian Override PIN into the text box below and click '1-Hr "
                         L"Override (PIN)' again.\r\n\r\n(",
                         0),
            0u)
      << utf8(prompt);
  EXPECT_TRUE(prompt.size() > site.size() &&
              prompt.compare(prompt.size() - site.size(), site.size(), site) == 0)
      << utf8(prompt);
  ASSERT_TRUE(answer_message_box(box, IDOK));
  sync_with(main);
  EXPECT_EQ(window_text(control(main, 1006)), L"48 21");
  EXPECT_EQ(requests_with("verify_override_pin").size(), sent_before);

  // A wrong PIN: sent, refused in the service's words, the blocker stays armed.
  ASSERT_TRUE(set_edit_text(main, 1006, L"1111"));
  ASSERT_TRUE(click(main, 1005));
  box = wait_other_box(15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden Override");
  EXPECT_FALSE(message_box_text(box).empty());
  EXPECT_NE(message_box_text(box), L"Invalid 4-digit Override PIN.")
      << "the service gave a reason, and that reason is shown";
  EXPECT_EQ(window_text(control(main, 1006)), L"");
  ASSERT_TRUE(answer_message_box(box, IDOK));
  expect_blocked(start_tool(L"AnyDesk.exe"));
  ASSERT_NE(wait_alert_naming(L"AnyDesk.exe", 3000), nullptr);
  dismiss_alerts();

  // The right PIN: the hour starts when the service says yes.
  ASSERT_TRUE(set_edit_text(main, 1006, L"4821"));
  ASSERT_TRUE(click(main, 1005));
  box = wait_other_box(15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box),
            L"Guardian PIN verified. Remote-tool blocker is paused for 1 hour.");
  ASSERT_TRUE(answer_message_box(box, IDOK));
  const std::vector<std::string> sent = requests_with("verify_override_pin");
  ASSERT_EQ(sent.size(), sent_before + 2);
  EXPECT_NE(sent.back().find("4821"), std::string::npos) << sent.back();
  Tool* tool = start_tool(L"TeamViewer.exe");
  ASSERT_NE(tool, nullptr);
  Sleep(kTwoTicksMs);
  EXPECT_TRUE(still_running(tool));
  EXPECT_TRUE(alert_boxes().empty());
}

} // namespace
