// The blocker tick, pause and override handlers in-process against the real Windows
// calls: a hidden test window stands in for the main window, a watcher thread reads and
// answers the message boxes, and copies of dummy_tool.exe stand in for remote tools.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/vendor.h"
#include "protection/protection.h"
#include "ui/controls.h"

namespace {

const uint64_t kHour = 3600000;

// ---- message boxes of this process, read and answered from another thread ----

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;
  int default_button;
  HWND owner;
  bool main_window_visible;
};

class BoxWatcher {
public:
  // Answers every box that appears with `answer` until stopped.
  explicit BoxWatcher(int answer) : answer_(answer) {
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~BoxWatcher() { stop(); }
  // Waits for the watcher to finish; the boxes it saw stay readable.
  const std::vector<SeenBox>& stop() {
    if (thread_) {
      stopping_ = true;
      WaitForSingleObject(thread_, 10000);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    return seen_;
  }

private:
  static BOOL CALLBACK find_box(HWND w, LPARAM lp) {
    wchar_t cls[16];
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) return TRUE;
    if (GetClassNameW(w, cls, 16) == 0 || wcscmp(cls, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
  }
  static std::wstring text_of(HWND w) {
    wchar_t text[2048];
    text[0] = L'\0';
    if (w) GetWindowTextW(w, text, 2048);
    return text;
  }
  static DWORD WINAPI run(void* self_pointer) {
    BoxWatcher* self = static_cast<BoxWatcher*>(self_pointer);
    std::vector<HWND> answered;
    while (!self->stopping_) {
      HWND box = nullptr;
      EnumWindows(find_box, reinterpret_cast<LPARAM>(&box));
      bool known = false;
      for (HWND old : answered)
        known = known || old == box;
      if (box == nullptr || known) {
        Sleep(20);
        continue;
      }
      Sleep(100); // let the box finish its set-up
      SeenBox seen;
      seen.caption = text_of(box);
      seen.text = text_of(GetDlgItem(box, 0xFFFF));
      seen.default_button = 0;
      const int ids[] = {IDOK, IDCANCEL, IDYES, IDNO};
      for (int id : ids) {
        HWND button = GetDlgItem(box, id);
        if (button == nullptr) continue;
        seen.buttons.push_back(id);
        if ((GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
          seen.default_button = id;
        }
      }
      seen.owner = GetWindow(box, GW_OWNER);
      seen.main_window_visible = g_app.main_window && IsWindowVisible(g_app.main_window);
      self->seen_.push_back(seen);
      answered.push_back(box);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(self->answer_, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, self->answer_)));
    }
    return 0;
  }
  int answer_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stopping_{false};
  std::vector<SeenBox> seen_;
};

// ---- a stand-in for the main window ----

uint32_t g_last_result_kind = 0;
int g_results = 0;
int g_paints = 0;

LRESULT CALLBACK test_main_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP_RESULT) {
    ServiceResult* result = reinterpret_cast<ServiceResult*>(lparam);
    if (result) {
      g_last_result_kind = result->kind;
      g_results++;
      free(result);
    }
    return 0;
  }
  if (message == WM_PAINT) g_paints++;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Invalidated since the test began: either painted already (a message box's loop
// dispatches WM_PAINT) or still waiting to be.
bool repainted(HWND hwnd) { return g_paints > 0 || GetUpdateRect(hwnd, nullptr, FALSE) != 0; }

std::wstring edit_text(HWND edit) {
  wchar_t text[1024];
  text[0] = L'\0';
  GetWindowTextW(edit, text, 1024);
  return text;
}

class ProtectionHandlers : public ::testing::Test {
protected:
  // One window with real controls serves every test: under Wine, hiding or destroying a
  // shown window waits two seconds for the display.
  static void SetUpTestSuite() {
    reset_app_state();
    g_app.instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = test_main_proc;
    wc.hInstance = g_app.instance;
    wc.lpszClassName = L"ProtectionTestMain";
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(0, L"ProtectionTestMain", L"test main", WS_OVERLAPPEDWINDOW, 0, 0,
                                680, 622, nullptr, nullptr, g_app.instance, nullptr);
    g_app.main_window = main;
    if (main) create_controls(main);
    windows_ = g_app;
  }
  static void TearDownTestSuite() {
    if (windows_.main_window) DestroyWindow(windows_.main_window);
    reset_app_state();
  }

  void SetUp() override {
    reset_app_state();
    g_app.instance = windows_.instance;
    g_app.main_window = windows_.main_window;
    g_app.identifier_edit = windows_.identifier_edit;
    g_app.pin_button = windows_.pin_button;
    g_app.get_button = windows_.get_button;
    g_app.pause_button = windows_.pause_button;
    g_app.override_button = windows_.override_button;
    g_app.message_edit = windows_.message_edit;
    g_app.paste_check_button = windows_.paste_check_button;
    g_app.check_button = windows_.check_button;
    g_app.clean_popups_button = windows_.clean_popups_button;
    g_app.startup_checkbox = windows_.startup_checkbox;
    main_ = g_app.main_window;
    ASSERT_NE(main_, nullptr);
    ASSERT_NE(g_app.message_edit, nullptr);
    ASSERT_NE(g_app.pause_button, nullptr);
    refresh_controls(); // captions back to the start state
    SetWindowTextW(g_app.message_edit, L"");
    // Shown, so that invalidating it leaves an update region behind.
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    UpdateWindow(main_);
    flush_messages();
    ValidateRect(main_, nullptr);
    g_results = 0;
    g_last_result_kind = 0;
    g_paints = 0;
  }
  void TearDown() override {
    for (PROCESS_INFORMATION& pi : tools_) {
      TerminateProcess(pi.hProcess, 77);
      WaitForSingleObject(pi.hProcess, 5000);
      CloseHandle(pi.hProcess);
    }
    flush_messages(); // results of requests a test started go to its own window
  }

  static void flush_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
  }

  // Starts a copy of dummy_tool.exe (built beside this test) under `name`.
  HANDLE start_tool(const std::wstring& name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    const std::wstring source = dir + L"\\dummy_tool.exe";
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
      ADD_FAILURE() << "dummy_tool.exe must be built beside win_tests.exe";
      return nullptr;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"callwarden-protection-win";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    CopyFileW(source.c_str(), path.c_str(), FALSE);
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
      ADD_FAILURE() << "cannot start a dummy tool";
      return nullptr;
    }
    CloseHandle(pi.hThread);
    tools_.push_back(pi);
    // Give the process time to show up in snapshots under its name.
    WaitForInputIdle(pi.hProcess, 2000);
    Sleep(300);
    return pi.hProcess;
  }

  static bool running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }
  static DWORD exit_code_after_end(HANDLE process) {
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) return 0xFFFFFFFF;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
  }

  // Pumps this thread's messages until a service result reaches the test window.
  static bool wait_for_result(DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (g_results == 0 && GetTickCount64() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
      Sleep(20);
    }
    return g_results > 0;
  }

  static AppState windows_;
  HWND main_ = nullptr;
  std::vector<PROCESS_INFORMATION> tools_;
};

AppState ProtectionHandlers::windows_;

ServiceResult* new_result(int ok, const char* error) {
  ServiceResult* result = static_cast<ServiceResult*>(calloc(1, sizeof(ServiceResult)));
  result->kind = REQUEST_VERIFY_OVERRIDE_PIN;
  result->ok = ok;
  if (error) strncpy(result->error, error, sizeof(result->error) - 1);
  return result;
}

// ---- pause ----

TEST_F(ProtectionHandlers, pausing_asks_first_and_no_changes_nothing) {
  g_app.override_until = 12345;
  BoxWatcher watcher(IDNO);
  toggle_blocker(main_);
  const std::vector<SeenBox>& boxes = watcher.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(boxes[0].text, L"Are you sure you want to pause Live Remote-Scam Protection?\r\n\r\n"
                           L"NEVER pause protection if someone on the phone asked you to!");
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(boxes[0].default_button, IDNO);
  EXPECT_EQ(boxes[0].owner, main_);
  EXPECT_EQ(g_app.blocker_enabled, 1);
  EXPECT_EQ(g_app.override_until, 12345u);
}

TEST_F(ProtectionHandlers, pausing_with_yes_stops_the_blocker_and_recaptions_the_button) {
  g_app.override_until = 12345;
  BoxWatcher watcher(IDYES);
  toggle_blocker(main_);
  EXPECT_EQ(watcher.stop().size(), 1u);
  EXPECT_EQ(g_app.blocker_enabled, 0);
  EXPECT_EQ(g_app.override_until, 12345u) << "pausing leaves a stored override alone";
  EXPECT_EQ(edit_text(g_app.pause_button), L"Turn On Blocker");
}

TEST_F(ProtectionHandlers, turning_on_asks_nothing_and_ends_a_running_override) {
  g_app.blocker_enabled = 0;
  g_app.override_until = GetTickCount64() + kHour;
  BoxWatcher watcher(IDNO);
  toggle_blocker(main_);
  Sleep(300);
  EXPECT_TRUE(watcher.stop().empty());
  EXPECT_EQ(g_app.blocker_enabled, 1);
  EXPECT_EQ(g_app.override_until, 0u);
  EXPECT_EQ(edit_text(g_app.pause_button), L"Pause Blocker");
}

// ---- override on a device that is not linked ----

TEST_F(ProtectionHandlers, unlinked_override_brings_the_window_back_and_yes_starts_one_hour) {
  ShowWindow(main_, SW_HIDE);
  BoxWatcher watcher(IDYES);
  const uint64_t before = GetTickCount64();
  request_override(main_);
  const uint64_t after = GetTickCount64();
  const std::vector<SeenBox>& boxes = watcher.stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].main_window_visible) << "the window is restored before the question";
  EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden \u2014 Confirm 1-Hour Override");
  EXPECT_EQ(boxes[0].text,
            L"Pause the Remote-Scam Blocker for 1 hour?\r\n\r\nWARNING: NEVER pause this if "
            L"someone who phoned you from 'BT', 'Microsoft', 'Amazon' or your 'Bank' asked you "
            L"to!\r\n\r\nClick Yes ONLY if you are initiating a genuine session yourself.");
  EXPECT_EQ(boxes[0].default_button, IDNO);
  EXPECT_GE(g_app.override_until, before + kHour);
  EXPECT_LE(g_app.override_until, after + kHour);
  EXPECT_EQ(g_app.blocker_enabled, 1);
  EXPECT_TRUE(repainted(main_));
}

TEST_F(ProtectionHandlers, unlinked_override_answered_no_changes_nothing) {
  BoxWatcher watcher(IDNO);
  request_override(main_);
  EXPECT_EQ(watcher.stop().size(), 1u);
  EXPECT_EQ(g_app.override_until, 0u);
  EXPECT_FALSE(repainted(main_));
}

TEST_F(ProtectionHandlers, override_granted_while_paused_is_dropped_when_the_blocker_turns_on) {
  g_app.blocker_enabled = 0;
  {
    BoxWatcher watcher(IDYES);
    request_override(main_);
  }
  EXPECT_NE(g_app.override_until, 0u);
  EXPECT_EQ(g_app.blocker_enabled, 0);
  toggle_blocker(main_);
  EXPECT_EQ(g_app.blocker_enabled, 1);
  EXPECT_EQ(g_app.override_until, 0u);
}

// ---- override on a linked device: the Guardian PIN ----

TEST_F(ProtectionHandlers, linked_override_refuses_anything_but_four_ascii_digits) {
  g_app.signed_in = 1;
  const std::wstring long_message =
      L"1234 Your parcel is held at our depot. Pay the \u00a31.99 redelivery fee today at "
      L"royalmail-redelivery.example to avoid it being returned to sender.";
  const wchar_t* cases[] = {L"123", L"12345", L"12a4", L" 1234", L"1234\r\n", L"", L"\uff11234"};
  std::vector<std::wstring> texts(cases, cases + sizeof(cases) / sizeof(cases[0]));
  texts.push_back(long_message);
  for (const std::wstring& typed : texts) {
    SCOPED_TRACE(testing::Message() << "typed text of " << typed.size() << " characters");
    SetWindowTextW(g_app.message_edit, typed.c_str());
    SetFocus(main_);
    BoxWatcher watcher(IDOK);
    request_override(main_);
    const std::vector<SeenBox>& boxes = watcher.stop();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN");
    const std::wstring prefix =
        L"To unlock a 1-hour Family Guardian Override, type your 4-digit Guardian Override PIN "
        L"into the text box below and click '1-Hr Override (PIN)' again.\r\n\r\n(";
    EXPECT_EQ(boxes[0].text.compare(0, prefix.size(), prefix), 0);
    const std::wstring site = CALLWARDEN_WEB_HOST_W L"/callwarden.)";
    ASSERT_GE(boxes[0].text.size(), site.size());
    EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - site.size()), site);
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDOK}));
    EXPECT_EQ(edit_text(g_app.message_edit), typed) << "the typed text stays";
    EXPECT_EQ(GetFocus(), g_app.message_edit);
    EXPECT_EQ(g_app.override_until, 0u);
  }
}

TEST_F(ProtectionHandlers, linked_override_with_a_pin_empties_the_box_and_asks_the_service) {
  g_app.signed_in = 1;
  SetWindowTextW(g_app.message_edit, L"4821");
  BoxWatcher watcher(IDOK);
  request_override(main_);
  Sleep(300);
  EXPECT_TRUE(watcher.stop().empty()) << "nothing is shown while the PIN is checked";
  EXPECT_EQ(edit_text(g_app.message_edit), L"");
  EXPECT_EQ(g_app.override_until, 0u) << "the hour waits for the service";
  // Whatever the service says (or that it cannot be reached), the answer comes back as a
  // VerifyOverridePin result.
  ASSERT_TRUE(wait_for_result(60000));
  EXPECT_EQ(g_results, 1);
  EXPECT_EQ(g_last_result_kind, static_cast<uint32_t>(REQUEST_VERIFY_OVERRIDE_PIN));
}

// ---- the service's answer to the PIN ----

TEST_F(ProtectionHandlers, refused_pin_shows_the_services_words_and_starts_nothing) {
  g_app.override_until = 0;
  ServiceResult* result =
      new_result(0, "Guardian PIN not recognised \xE2\x80\x94 ask your Family Guardian.");
  BoxWatcher watcher(IDOK);
  on_override_pin_result(result);
  const std::vector<SeenBox>& boxes = watcher.stop();
  free(result);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden Override");
  EXPECT_EQ(boxes[0].text, L"Guardian PIN not recognised \u2014 ask your Family Guardian.");
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDOK}));
  EXPECT_EQ(boxes[0].owner, main_);
  EXPECT_EQ(g_app.override_until, 0u);
  EXPECT_FALSE(repainted(main_));
}

TEST_F(ProtectionHandlers, refused_pin_without_words_shows_the_default_text) {
  ServiceResult* result = new_result(0, "");
  BoxWatcher watcher(IDOK);
  on_override_pin_result(result);
  const std::vector<SeenBox>& boxes = watcher.stop();
  free(result);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Invalid 4-digit Override PIN.");
  EXPECT_EQ(g_app.override_until, 0u);
}

TEST_F(ProtectionHandlers, refusal_text_is_cut_at_its_buffer_even_when_unterminated) {
  ServiceResult* result = new_result(0, nullptr);
  memset(result->error, 'x', sizeof(result->error)); // no terminating NUL at all
  BoxWatcher watcher(IDOK);
  on_override_pin_result(result);
  const std::vector<SeenBox>& boxes = watcher.stop();
  free(result);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, std::wstring(511, L'x'));
}

TEST_F(ProtectionHandlers, accepted_pin_starts_the_hour_from_the_answer) {
  g_app.signed_in = 1;
  g_app.override_until = GetTickCount64() + 600000; // an earlier override, ten minutes left
  ServiceResult* result = new_result(1, "");
  BoxWatcher watcher(IDOK);
  const uint64_t before = GetTickCount64();
  on_override_pin_result(result);
  const uint64_t after = GetTickCount64();
  const std::vector<SeenBox>& boxes = watcher.stop();
  free(result);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden");
  EXPECT_EQ(boxes[0].text, L"Guardian PIN verified. Remote-tool blocker is paused for 1 hour.");
  EXPECT_GE(g_app.override_until, before + kHour);
  EXPECT_LE(g_app.override_until, after + kHour);
  EXPECT_TRUE(repainted(main_));
}

TEST_F(ProtectionHandlers, accepted_pin_counts_even_if_paused_or_unlinked_meanwhile) {
  g_app.signed_in = 0;
  g_app.blocker_enabled = 0;
  ServiceResult* result = new_result(1, nullptr);
  BoxWatcher watcher(IDOK);
  on_override_pin_result(result);
  watcher.stop();
  free(result);
  EXPECT_GT(g_app.override_until, GetTickCount64());
  EXPECT_EQ(g_app.blocker_enabled, 0);
}

// ---- the tick ----

TEST_F(ProtectionHandlers, tick_during_an_override_leaves_tools_running) {
  HANDLE tool = start_tool(L"AnyDesk.exe");
  ASSERT_NE(tool, nullptr);
  const uint64_t until = GetTickCount64() + kHour;
  g_app.override_until = until;
  BoxWatcher watcher(IDOK);
  blocker_tick();
  Sleep(300);
  EXPECT_TRUE(watcher.stop().empty());
  EXPECT_TRUE(running(tool));
  EXPECT_EQ(g_app.override_until, until);
  EXPECT_EQ(g_app.blocked_count, 0);
  EXPECT_FALSE(repainted(main_));
}

TEST_F(ProtectionHandlers, paused_tick_does_nothing_even_after_the_override_has_passed) {
  HANDLE tool = start_tool(L"AnyDesk.exe");
  ASSERT_NE(tool, nullptr);
  g_app.blocker_enabled = 0;
  g_app.override_until = 1;
  BoxWatcher watcher(IDOK);
  blocker_tick();
  Sleep(300);
  EXPECT_TRUE(watcher.stop().empty());
  EXPECT_TRUE(running(tool));
  EXPECT_EQ(g_app.override_until, 1u);
}

TEST_F(ProtectionHandlers, first_tick_after_the_override_rearms_and_terminates_in_the_same_pass) {
  HANDLE tool = start_tool(L"AnyDesk.exe");
  ASSERT_NE(tool, nullptr);
  ShowWindow(main_, SW_HIDE);
  g_app.override_until = GetTickCount64() - 1;
  BoxWatcher watcher(IDOK);
  const uint64_t before = GetTickCount64();
  blocker_tick();
  const uint64_t after = GetTickCount64();
  const std::vector<SeenBox>& boxes = watcher.stop();
  EXPECT_EQ(g_app.override_until, 0u);
  EXPECT_EQ(exit_code_after_end(tool), 1u);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Olvex Callwarden \u2014 Remote Scam Blocked");
  EXPECT_EQ(boxes[0].text.rfind(L"STOP - Olvex Callwarden Blocked a Remote Control App! "
                                L"(AnyDesk.exe)\r\n\r\n",
                                0),
            0u);
  EXPECT_EQ(boxes[0].owner, main_);
  EXPECT_TRUE(boxes[0].main_window_visible) << "the alert brings the window back first";
  EXPECT_EQ(g_app.blocked_count, 1);
  EXPECT_STREQ(g_app.last_blocked_tool, L"AnyDesk.exe");
  EXPECT_GE(g_app.last_report_tick, before);
  EXPECT_LE(g_app.last_report_tick, after);
  EXPECT_TRUE(repainted(main_));
}

TEST_F(ProtectionHandlers, same_tool_again_within_ten_seconds_is_terminated_without_alert) {
  {
    HANDLE first = start_tool(L"AnyDesk.exe");
    ASSERT_NE(first, nullptr);
    BoxWatcher watcher(IDOK);
    blocker_tick();
    EXPECT_EQ(watcher.stop().size(), 1u);
    EXPECT_EQ(exit_code_after_end(first), 1u);
  }
  const uint64_t first_alert = g_app.last_report_tick;
  HANDLE again = start_tool(L"ANYDESK.EXE");
  ASSERT_NE(again, nullptr);
  BoxWatcher quiet(IDOK);
  blocker_tick();
  Sleep(300);
  EXPECT_TRUE(quiet.stop().empty());
  EXPECT_EQ(exit_code_after_end(again), 1u);
  EXPECT_EQ(g_app.blocked_count, 1) << "one alert, one count, however many terminations";
  EXPECT_EQ(g_app.last_report_tick, first_alert);

  // Once the last alert lies more than 9999 ms back, the same tool alerts again.
  g_app.last_report_tick = GetTickCount64() - 10000;
  HANDLE later = start_tool(L"AnyDesk.exe");
  ASSERT_NE(later, nullptr);
  BoxWatcher loud(IDOK);
  blocker_tick();
  EXPECT_EQ(loud.stop().size(), 1u);
  EXPECT_EQ(g_app.blocked_count, 2);
}

// The snapshot position of the first process named `name`, or -1.
int snapshot_position(const wchar_t* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  int position = 0;
  int found = -1;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && found < 0;
       ok = Process32NextW(snap, &entry), position++) {
    if (_wcsicmp(entry.szExeFile, name) == 0) found = position;
  }
  CloseHandle(snap);
  return found;
}

TEST_F(ProtectionHandlers, two_tools_in_one_tick_are_both_terminated_under_one_alert) {
  HANDLE anydesk = start_tool(L"AnyDesk.exe");
  HANDLE teamviewer = start_tool(L"TeamViewer.exe");
  ASSERT_NE(anydesk, nullptr);
  ASSERT_NE(teamviewer, nullptr);
  const int anydesk_at = snapshot_position(L"AnyDesk.exe");
  const int teamviewer_at = snapshot_position(L"TeamViewer.exe");
  ASSERT_GE(anydesk_at, 0);
  ASSERT_GE(teamviewer_at, 0);
  const wchar_t* later = anydesk_at > teamviewer_at ? L"AnyDesk.exe" : L"TeamViewer.exe";

  BoxWatcher watcher(IDOK);
  blocker_tick();
  const std::vector<SeenBox>& boxes = watcher.stop();
  EXPECT_EQ(exit_code_after_end(anydesk), 1u);
  EXPECT_EQ(exit_code_after_end(teamviewer), 1u);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(std::wstring(L"(") + later + L")"), std::wstring::npos);
  EXPECT_EQ(g_app.blocked_count, 1);
  EXPECT_STREQ(g_app.last_blocked_tool, later);
}

} // namespace
