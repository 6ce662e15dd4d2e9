// The family hears when protection is switched off on a linked computer: a pause, the tray's
// Exit, the uninstall and a run that ended without Exit reach the outbox as alerts; a report
// made while the service is down arrives at the next start; and with the Guardian lock on,
// Pause, Exit and the uninstall need the Guardian PIN. A program ended straight after a
// blocked tool is alerted as silent, a Windows shutdown is not; the Startup apps switch is
// read; a locked program ends for another copy only with the PIN, and a failing service never
// lifts its lock. An unlinked program is as before.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ids.h"
#include "autostart/uninstall_rules.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t kKey[] = L"Software\\Olvex\\Callwarden";
const char kGuardianPin[] = "4821";
const DWORD kAlertWithinMs = 5000;
const wchar_t kPinPromptCaption[] = L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN";
const wchar_t kLockCaption[] = L"Olvex Callwarden \u2014 Guardian Lock";

class ProtectionReports : public ::testing::Test {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the service (scripts/with-service)";
    kill_callwarden();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app_);
    service_control(L"/test/reset", "{}");
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  // Starts the program and waits until the service answered its status request.
  HWND start(const std::wstring& args = L"") {
    const size_t statuses = count_requests("app_status");
    if (!launch_callwarden(args, &app_)) return nullptr;
    HWND main = wait_started(&app_, true, 15000);
    for (int i = 0; main && i < 300 && count_requests("app_status") == statuses; i++)
      Sleep(50);
    Sleep(500); // the answer is handled on the window's thread after the request is logged
    if (main) sync_with(main);
    return main;
  }

  // Links the program as a person does: the mobile number, then the code from the outbox.
  // Each test has an account of its own, so one test's alerts never hold back another's.
  HWND start_linked(const char* mobile) {
    mobile_ = mobile;
    HWND main = start();
    if (main == nullptr) return nullptr;
    const size_t codes = service_outbox().size();
    set_edit_text(main, IDC_IDENTIFIER_EDIT, std::wstring(mobile_.begin(), mobile_.end()));
    click(main, IDC_PIN_BUTTON);
    for (int i = 0; i < 300 && service_outbox().size() == codes; i++)
      Sleep(50);
    if (service_outbox().size() == codes) return nullptr;
    const std::string code = json_member(service_outbox().back(), "code");
    for (int i = 0; i < 300 && window_text(control(main, IDC_PIN_BUTTON)) != L"Verify 6-Digit PIN";
         i++)
      Sleep(50);
    set_edit_text(main, IDC_IDENTIFIER_EDIT, std::wstring(code.begin(), code.end()));
    click(main, IDC_PIN_BUTTON);
    HWND linked = wait_message_box(app_.pid, 15000);
    if (linked == nullptr) return nullptr;
    answer_message_box(linked, IDOK);
    return main;
  }

  void restart() {
    kill_callwarden();
    close_program(&app_);
  }

  // Alerts so far; wait_alert looks only at those that come after.
  void mark_alerts() { alerts_seen_ = service_alerts().size(); }

  // The first new alert to this test's account holding `part`, waited for `within_ms`.
  std::string wait_alert(const std::string& part, DWORD within_ms = kAlertWithinMs) {
    const ULONGLONG end = GetTickCount64() + within_ms;
    for (;;) {
      const std::vector<std::string> lines = service_alerts();
      for (size_t i = alerts_seen_; i < lines.size(); i++) {
        if (json_member(lines[i], "identifier") == mobile_ &&
            json_member(lines[i], "text").find(part) != std::string::npos)
          return json_member(lines[i], "text");
      }
      if (GetTickCount64() >= end) return std::string();
      Sleep(50);
    }
  }

  // Presses the button and answers the first box with `answer`; returns its text.
  std::wstring press_and_answer(HWND main, int id, int answer, bool by_command = false) {
    if (by_command ? !post_command(main, id) : !click(main, id)) return L"<not pressed>";
    HWND box = wait_message_box(app_.pid, 10000);
    if (box == nullptr) return L"<no box>";
    const std::wstring text = message_box_caption(box) + L"|" + message_box_text(box);
    answer_message_box(box, answer);
    return text;
  }

  std::wstring pause_caption(HWND main) { return window_text(control(main, IDC_PAUSE_BUTTON)); }

  // The answer of the next box of the program, after `timeout_ms`, or empty.
  std::wstring next_box(int answer, DWORD timeout_ms = 15000) {
    HWND box = wait_message_box(app_.pid, timeout_ms);
    if (box == nullptr) return std::wstring();
    const std::wstring text = message_box_caption(box) + L"|" + message_box_text(box);
    answer_message_box(box, answer);
    return text;
  }

  // Starts a listed tool and waits until the blocker ended it and the service has its report.
  bool stop_a_tool() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring tool_path = std::wstring(temp) + L"AnyDesk.exe";
    if (!CopyFileW((bin_dir() + L"\\dummy_tool.exe").c_str(), tool_path.c_str(), FALSE))
      return false;
    const size_t reports = count_requests("report_blocked_tool");
    LaunchedProgram tool = {nullptr, 0};
    if (!launch(tool_path, L"", &tool)) return false;
    DWORD code = 0;
    const bool ended = wait_exit(&tool, 5000, &code);
    if (!ended) TerminateProcess(tool.process, 77);
    close_program(&tool);
    for (int i = 0; ended && i < 100 && count_requests("report_blocked_tool") == reports; i++)
      Sleep(50);
    return ended && count_requests("report_blocked_tool") > reports;
  }

  // Sends another copy's quit proof, as the uninstall does; whether the program took it up.
  static bool send_quit_proof(HWND main, const char* pin) {
    QuitProof proof;
    ZeroMemory(&proof, sizeof(proof));
    proof.magic = QUIT_PROOF_MAGIC;
    lstrcpynA(proof.guardian_pin, pin, sizeof(proof.guardian_pin));
    COPYDATASTRUCT copied = {QUIT_PROOF_ID, sizeof(proof), &proof};
    DWORD_PTR taken = 0;
    return SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copied), SMTO_NORMAL,
                               10000, &taken) != 0 &&
           taken != 0;
  }

  // Whether the program's registry key holds a value of that name, of any type.
  static bool has_value(const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  LaunchedProgram app_ = {nullptr, 0};
  std::string mobile_ = "none";
  size_t alerts_seen_ = 0;
};

bool contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

TEST_F(ProtectionReports, pause_exit_and_a_killed_run_of_a_linked_program_reach_the_family) {
  HWND main = start_linked("07700900321");
  ASSERT_NE(main, nullptr) << "could not link the program";
  mark_alerts();

  EXPECT_TRUE(contains(press_and_answer(main, IDC_PAUSE_BUTTON, IDYES), L"pause"));
  const std::string paused = wait_alert("Callwarden was paused on ");
  EXPECT_EQ(paused.rfind("Callwarden was paused on ", 0), 0u) << "no pause alert within 5 s";
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON)); // turned on again: no question, a report
  sync_with(main);
  EXPECT_TRUE(message_boxes(app_.pid).empty());
  EXPECT_FALSE(wait_alert("was switched back on").empty()) << "after a pause alert";

  EXPECT_TRUE(contains(press_and_answer(main, IDM_TRAY_EXIT, IDYES, true), L"Exit"));
  DWORD code = 99;
  EXPECT_TRUE(wait_exit(&app_, 10000, &code));
  EXPECT_FALSE(wait_alert("Callwarden was closed on ").empty()) << "no exit alert within 5 s";
  close_program(&app_);

  // A run ended from outside is noticed at the next start; a clean Exit was not.
  main = start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(wait_alert("ended without being closed", 1000).empty()) << "Exit is a clean end";
  TerminateProcess(app_.process, 1);
  restart();
  main = start();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(wait_alert("ended without being closed").empty());

  // A Windows shutdown is a clean end, also while paused; the next start, armed again, says so.
  press_and_answer(main, IDC_PAUSE_BUTTON, IDYES);
  sync_with(main);
  const size_t ended = count_requests("ended_unexpectedly");
  const size_t resumed = count_requests("\\\"state\\\":\\\"resumed\\\"");
  SendMessageW(main, WM_QUERYENDSESSION, 0, 0);
  SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  TerminateProcess(app_.process, 0); // as Windows ends it after WM_ENDSESSION
  restart();
  ASSERT_NE(start(), nullptr);
  for (int i = 0; i < 100 && count_requests("\\\"state\\\":\\\"resumed\\\"") == resumed; i++)
    Sleep(50);
  EXPECT_GT(count_requests("\\\"state\\\":\\\"resumed\\\""), resumed);
  EXPECT_EQ(count_requests("ended_unexpectedly"), ended) << "a shutdown is a clean end";
}

TEST_F(ProtectionReports, a_report_made_while_the_service_is_down_arrives_at_the_next_start) {
  HWND main = start_linked("07700900322");
  ASSERT_NE(main, nullptr);
  mark_alerts();
  ASSERT_TRUE(service_control(L"/test/next_answer", "{\"status\":503,\"count\":1}"));
  press_and_answer(main, IDC_PAUSE_BUTTON, IDYES);
  std::wstring kept;
  for (int i = 0; i < 200 && kept.find(L"paused ") == std::wstring::npos; i++) {
    reg_get_string(HKEY_CURRENT_USER, kKey, L"PendingReports", &kept);
    Sleep(50);
  }
  ASSERT_EQ(kept.rfind(L"paused ", 0), 0u) << "kept with its time";
  EXPECT_TRUE(wait_alert("Callwarden was paused on ", 1000).empty()) << "the service was down";
  restart();

  ASSERT_NE(start(), nullptr);
  EXPECT_FALSE(wait_alert("Callwarden was paused on ").empty()) << "sent at the next start";
  std::string sent;
  for (const std::string& line : service_requests()) {
    if (line.find("report_protection") != std::string::npos &&
        line.find("paused") != std::string::npos)
      sent = line;
  }
  EXPECT_NE(sent.find("\\\"at\\\":"), std::string::npos) << sent;
  EXPECT_FALSE(has_value(L"PendingReports")) << "nothing left to send";

  // While it runs, it checks in again (every 15 minutes; the test build is told 1.5 s).
  restart();
  const DWORD interval = 1500;
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, L"Software\\Olvex\\CallwardenTest",
                            L"HeartbeatIntervalMs", REG_DWORD, &interval, sizeof(interval)));
  const size_t statuses = count_requests("app_status");
  ASSERT_TRUE(launch_callwarden(L"--tray", &app_, true));
  for (int i = 0; i < 300 && count_requests("app_status") < statuses + 3; i++)
    Sleep(50);
  EXPECT_GE(count_requests("app_status"), statuses + 3) << "the start-up one and two more";
  reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex\\CallwardenTest");
}

TEST_F(ProtectionReports, with_the_lock_on_pause_exit_and_uninstall_need_the_guardian_pin) {
  ASSERT_NE(start_linked("07700900323"), nullptr);
  ASSERT_TRUE(service_command("set-guardian-pin 07700900323 " + std::string(kGuardianPin)));
  restart();
  // The family turned the lock on: the status answer says so.
  ASSERT_TRUE(service_control(
      L"/test/next_answer",
      "{\"body\":\"{\\\"ok\\\":true,\\\"authenticated\\\":true,\\\"guardian_lock\\\":true}\"}"));
  HWND main = start();
  ASSERT_NE(main, nullptr);
  mark_alerts();

  // Nothing typed: asked for the PIN, nothing changes.
  EXPECT_EQ(press_and_answer(main, IDC_PAUSE_BUTTON, IDOK).rfind(kPinPromptCaption, 0), 0u);
  EXPECT_EQ(pause_caption(main), L"Pause Blocker");
  // A wrong PIN: refused by the service, the blocker stays armed and still ends a listed tool.
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, L"1111"));
  press_and_answer(main, IDC_PAUSE_BUTTON, IDYES);
  const std::wstring refused = next_box(IDOK);
  EXPECT_EQ(refused.rfind(kLockCaption, 0), 0u) << std::string(refused.begin(), refused.end());
  EXPECT_TRUE(contains(refused, L"not right"));
  EXPECT_EQ(pause_caption(main), L"Pause Blocker");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring tool_path = std::wstring(temp) + L"AnyDesk.exe";
  ASSERT_TRUE(CopyFileW((bin_dir() + L"\\dummy_tool.exe").c_str(), tool_path.c_str(), FALSE));
  LaunchedProgram tool = {nullptr, 0};
  ASSERT_TRUE(launch(tool_path, L"", &tool));
  DWORD code = 0;
  EXPECT_TRUE(wait_exit(&tool, 5000, &code)) << "the blocker did not stop AnyDesk.exe";
  if (code != 1) TerminateProcess(tool.process, 77);
  close_program(&tool);
  next_box(IDOK); // the blocker's warning
  // The right PIN pauses.
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, L"4821"));
  press_and_answer(main, IDC_PAUSE_BUTTON, IDYES);
  for (int i = 0; i < 200 && pause_caption(main) != L"Turn On Blocker"; i++)
    Sleep(50);
  EXPECT_EQ(pause_caption(main), L"Turn On Blocker");
  EXPECT_FALSE(wait_alert("Callwarden was paused on ").empty());
  // Turning it on never asks.
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  sync_with(main);
  EXPECT_EQ(pause_caption(main), L"Pause Blocker");
  EXPECT_TRUE(message_boxes(app_.pid).empty());

  // Exit: a wrong PIN keeps it running, the right one ends it.
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, L"1111"));
  press_and_answer(main, IDM_TRAY_EXIT, IDYES, true);
  EXPECT_TRUE(contains(next_box(IDOK), L"not right"));
  EXPECT_EQ(WaitForSingleObject(app_.process, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(set_edit_text(main, IDC_MESSAGE_EDIT, L"4821"));
  press_and_answer(main, IDM_TRAY_EXIT, IDYES, true);
  EXPECT_TRUE(wait_exit(&app_, 15000, &code)) << "the right PIN did not close it";
  EXPECT_FALSE(wait_alert("Callwarden was closed on ").empty());
  close_program(&app_);

  // A failing service (503), or an answer that says nothing of the link, never lifts the lock.
  for (const char* failing :
       {"{\"status\":503,\"body\":\"{\\\"ok\\\":false,\\\"error\\\":\\\"later\\\"}\"}",
        "{\"status\":200,\"body\":\"{\\\"ok\\\":true}\"}"}) {
    ASSERT_TRUE(service_control(L"/test/next_answer", failing));
    main = start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(press_and_answer(main, IDC_PAUSE_BUTTON, IDOK).rfind(kPinPromptCaption, 0), 0u)
        << "the lock was lifted by " << failing;
    restart();
  }

  // Another copy asks it to end: an older copy's message, or a proof with a wrong PIN, leaves
  // it running.
  ASSERT_TRUE(service_control(
      L"/test/next_answer",
      "{\"body\":\"{\\\"ok\\\":true,\\\"authenticated\\\":true,\\\"guardian_lock\\\":true}\"}"));
  main = start();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_APP_QUIT, 0, 0);
  sync_with(main);
  EXPECT_EQ(WaitForSingleObject(app_.process, 1000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "an older copy's quit message ended a locked program";
  const size_t checks = count_requests("verify_override_pin");
  EXPECT_TRUE(send_quit_proof(main, "1111"));
  for (int i = 0; i < 200 && count_requests("verify_override_pin") == checks; i++)
    Sleep(50);
  EXPECT_EQ(WaitForSingleObject(app_.process, 1500), static_cast<DWORD>(WAIT_TIMEOUT))
      << "a wrong PIN ended it";

  // The uninstall: the question, then the PIN box; a wrong PIN removes nothing.
  auto uninstall = [](const wchar_t* pin) {
    LaunchedProgram uninstaller = {nullptr, 0};
    if (!launch(program_path(), L"--uninstall", &uninstaller)) return std::wstring(L"<no start>");
    HWND question = wait_message_box(uninstaller.pid, 15000);
    if (question == nullptr) return std::wstring(L"<no question>");
    answer_message_box(question, IDYES);
    HWND box = wait_message_box(uninstaller.pid, 15000);
    if (box == nullptr || message_box_caption(box) != kLockCaption)
      return std::wstring(L"<no PIN box>");
    SetWindowTextW(GetDlgItem(box, 101), pin);
    answer_message_box(box, IDOK);
    HWND said = wait_message_box(uninstaller.pid, 15000);
    const std::wstring text = said ? message_box_text(said) : std::wstring(L"<nothing said>");
    if (said) answer_message_box(said, IDOK);
    wait_exit(&uninstaller, 15000, nullptr);
    close_program(&uninstaller);
    return text;
  };
  EXPECT_TRUE(contains(uninstall(L"1111"), L"not right"));
  std::wstring token;
  EXPECT_TRUE(reg_get_string(HKEY_CURRENT_USER, kKey, L"AuthToken", &token)) << "still linked";
  EXPECT_EQ(count_requests("\\\"state\\\":\\\"removed\\\""), 0u);
  EXPECT_EQ(WaitForSingleObject(app_.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  // The right PIN: the uninstall proves it to the running program, which ends for it.
  EXPECT_EQ(uninstall(L"4821").find(L"Olvex Callwarden has been removed:"), 0u);
  EXPECT_TRUE(wait_exit(&app_, 10000, nullptr)) << "the running program did not end";
  EXPECT_FALSE(reg_get_string(HKEY_CURRENT_USER, kKey, L"AuthToken", &token));
  EXPECT_FALSE(wait_alert("Callwarden was removed from ").empty());
  EXPECT_EQ(count_requests("\\\"state\\\":\\\"removed\\\""), 1u) << "told once";
}

// The program's beat and what it reads with it: the Startup apps switch, a shutdown that says the
// silence to come is expected, and a run ended from outside straight after a tool.
TEST_F(ProtectionReports, the_heartbeat_reads_the_startup_switch_and_the_service_hears_silence) {
  const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const wchar_t kApproved[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  ASSERT_NE(start_linked("07700900324"), nullptr);
  restart();
  // Started with Windows, as ticking the box sets it up; the service asks for a beat a second.
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kRun, L"OlvexCallwarden",
                             L"\"" + program_path() + L"\" --tray"));
  ASSERT_TRUE(service_control(L"/test/silence_limits", "{\"silent_after\":3}"));
  HWND main = start();
  ASSERT_NE(main, nullptr);
  mark_alerts();
  auto ticked = [&] {
    return SendMessageW(control(main, IDC_STARTUP_CHECKBOX), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  EXPECT_TRUE(ticked());
  const size_t reports = count_requests("autostart_off");
  // The Startup apps page's switch: Windows writes 03 00 00 00 and the time beside the entry.
  const unsigned char off[12] = {0x03, 0, 0, 0, 0x60, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x01};
  ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, kApproved, L"OlvexCallwarden", REG_BINARY, off,
                            sizeof(off)));
  EXPECT_FALSE(wait_alert("will no longer start with Windows on ", 6000).empty())
      << "not read with the heartbeat";
  EXPECT_FALSE(ticked()) << "the box shows what Windows will do";
  // Read again at the next start and with every beat: told once per change.
  restart();
  main = start();
  ASSERT_NE(main, nullptr);
  Sleep(2500);
  EXPECT_EQ(count_requests("autostart_off"), reports + 1);
  reg_delete_value(HKEY_CURRENT_USER, kRun, L"OlvexCallwarden");
  reg_delete_value(HKEY_CURRENT_USER, kApproved, L"OlvexCallwarden");

  // The usual limit again, and a short one for the hour after a blocked tool; a beat takes it
  // and asks for the next in 5 minutes.
  const DWORD limit_ms = 4000;
  ASSERT_TRUE(service_control(L"/test/silence_limits",
                              "{\"silent_after\":1200,\"silent_after_threat\":4}"));
  Sleep(1500);
  // Going to sleep is reported first; awake again, the service hears at once
  // (beats are 5 minutes apart again).
  const size_t sleeps = count_requests("\\\"state\\\":\\\"suspended\\\"");
  SendMessageW(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  EXPECT_GT(count_requests("\\\"state\\\":\\\"suspended\\\""), sleeps);
  const size_t statuses = count_requests("app_status");
  SendMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  for (int i = 0; i < 40 && count_requests("app_status") == statuses; i++)
    Sleep(50);
  EXPECT_GT(count_requests("app_status"), statuses);
  mark_alerts();
  // Windows shuts down straight after a tool was ended: the silence that follows is expected.
  ASSERT_TRUE(stop_a_tool());
  const size_t shutdowns = count_requests("\\\"state\\\":\\\"shutdown\\\"");
  SendMessageW(main, WM_QUERYENDSESSION, 0, 0);
  SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  EXPECT_GT(count_requests("\\\"state\\\":\\\"shutdown\\\""), shutdowns)
      << "reported before Windows ends it";
  TerminateProcess(app_.process, 0); // as Windows ends it after WM_ENDSESSION
  restart();
  EXPECT_TRUE(wait_alert("has not been heard from", limit_ms + 2000).empty())
      << "a shutdown is not silence";

  // Started again within the hour and ended from outside straight after a tool: alerted.
  ASSERT_NE(start(), nullptr);
  ASSERT_TRUE(stop_a_tool());
  TerminateProcess(app_.process, 1);
  restart();
  const std::string silent = wait_alert("has not been heard from since ", limit_ms + 5000);
  ASSERT_FALSE(silent.empty()) << "no silence alert within the limit and 5 s";
  EXPECT_NE(silent.find("closed with Task Manager"), std::string::npos) << silent;
  ASSERT_NE(start(), nullptr);
  EXPECT_FALSE(wait_alert("is back on since ").empty()) << "heard from again";
}

TEST_F(ProtectionReports, an_unlinked_program_pauses_and_exits_as_before_and_reports_nothing) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  const size_t reports = count_requests("report_protection");
  EXPECT_TRUE(contains(press_and_answer(main, IDC_PAUSE_BUTTON, IDYES), L"pause"));
  sync_with(main);
  EXPECT_EQ(pause_caption(main), L"Turn On Blocker");
  ASSERT_TRUE(click(main, IDC_PAUSE_BUTTON));
  sync_with(main);
  press_and_answer(main, IDM_TRAY_EXIT, IDYES, true);
  DWORD code = 99;
  EXPECT_TRUE(wait_exit(&app_, 10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(count_requests("report_protection"), reports);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS)
      << "nothing is written for an unlinked program";
  if (key) RegCloseKey(key);
}

} // namespace
