// A new user's first day with Olvex Callwarden, in order, against the service: the
// first start, a scam text checked, a clipboard check from the tray, a remote tool stopped,
// pause and override, signing in by PIN, a linked restart, the Guardian PIN, the pop-up
// cleaner, start with Windows and Exit. Each step checks what the person sees and saves a
// screenshot (NN-step.bmp) into the folder the test prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/vendor.h"
#include "tests/e2e/acceptance_screen.h"
#include "tests/e2e/harness.h"

namespace {

// ---- what the person reads ----

const wchar_t kWindowTitle[] = L"Olvex Callwarden \u2014 Live Scam & Remote-Caller Protection";
const wchar_t kCheckingLine[] = L"Checking account link... (5 free AI scam checks/day included)";
const wchar_t kNotLinkedLine[] =
    L"Sign in with your Email or UK Mobile (07...) to link Family Guardian alerts:";
const wchar_t kPinSentLine[] =
    L"Sent 6-digit code to 07*** ***123 \u2014 enter it below and click Verify:";
const wchar_t kLinkedLine[] = L"Signed in: Margaret  \u2022  Free plan";
const wchar_t kArmedHeadline[] = L"ACTIVE: Live Remote-Scam Blocker Armed";
const wchar_t kPausedHeadline[] = L"PAUSE: Remote-Scam Blocker is Paused";
const wchar_t kOverrideHeadline[] = L"1-Hour Guardian Override Active";
const wchar_t kScamStatusHead[] = L"DANGER: SCAM DETECTED  (Risk Score: ";
const wchar_t kCautionStatusHead[] = L"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: ";

const wchar_t kAlertCaption[] = L"Olvex Callwarden \u2014 Remote Scam Blocked";
const wchar_t kAlertAfterName[] =
    L")\r\n\r\nIf someone on the phone from 'BT', 'Microsoft', 'Amazon', 'HMRC' or your 'Bank' "
    L"asked you to open this, HANG UP NOW.\r\n\r\nGenuine organisations will NEVER ask to "
    L"remote-control your PC.\r\n";
const wchar_t kPauseText[] =
    L"Are you sure you want to pause Live Remote-Scam Protection?\r\n\r\nNEVER pause protection "
    L"if someone on the phone asked you to!";
const wchar_t kOverrideCaption[] = L"Olvex Callwarden \u2014 Confirm 1-Hour Override";
const wchar_t kOverrideText[] =
    L"Pause the Remote-Scam Blocker for 1 hour?\r\n\r\nWARNING: NEVER pause this if someone who "
    L"phoned you from 'BT', 'Microsoft', 'Amazon' or your 'Bank' asked you to!\r\n\r\nClick Yes "
    L"ONLY if you are initiating a genuine session yourself.";
const wchar_t kPinPromptCaption[] = L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN";
const wchar_t kPinPromptText[] =
    L"To unlock a 1-hour Family Guardian Override, type your 4-digit Guardian Override PIN into "
    L"the text box below and click '1-Hr Override (PIN)' again.\r\n\r\n(Your Family Guardian sets "
    L"this 4-digit PIN on our website at " CALLWARDEN_WEB_HOST_W L"/callwarden.)";
const wchar_t kPinAcceptedText[] =
    L"Guardian PIN verified. Remote-tool blocker is paused for 1 hour.";
const wchar_t kLinkedText[] = L"Your computer is now linked to your Olvex Callwarden account!";
const wchar_t kExitCaption[] = L"Exit Olvex Callwarden";
const wchar_t kExitText[] = L"Exit Olvex Callwarden completely?\r\n\r\nRemote-scam protection will "
                            L"stop until Callwarden is opened again.";
const wchar_t kPendingCaption[] = L"Olvex Callwarden \u2014 Close Browser to Finish Cleaning";
const wchar_t kCleanedCaption[] = L"Olvex Callwarden \u2014 Pop-Ups Cleaned";
const wchar_t kStartupCaption[] = L"Olvex Callwarden Startup";
const wchar_t kInstalledText[] =
    L"Installed to LocalAppData & enabled automatic protection at Windows sign-in.";
const wchar_t kRemovedText[] = L"Removed Callwarden from automatic Windows sign-in startup.";

std::wstring widen(const char* text) { return std::wstring(text, text + strlen(text)); }

std::wstring blocked_line(int count) {
  return L"Automatically blocks AnyDesk, TeamViewer, UltraViewer, Supremo, ScreenConnect & "
         L"QuickAssist cold-callers.  (Blocked: " +
         std::to_wstring(count) + L")";
}

std::wstring pending_chrome_text(int sites) {
  return L"Found " + std::to_wstring(sites) + L" untrusted push-notification site(s) (" +
         std::to_wstring(sites) +
         L" in Chrome, 0 in Edge).\r\n\r\nPlease close Google Chrome first and click 'Clean Fake "
         L"Virus Pop-Ups' again so Callwarden can safely back up and block them without the "
         L"browser overwriting its Preferences file.";
}

std::wstring cleaned_chrome_text(int sites) {
  return L"Success! Backed up your browser Preferences (.callwarden.bak) and blocked " +
         std::to_wstring(sites) + L" untrusted push-notification site(s) (" +
         std::to_wstring(sites) +
         L" in Chrome, 0 in Edge).\r\n\r\nYour bookmarks, saved passwords, and trusted sites (" +
         widen(CALLWARDEN_VENDOR_DOMAIN) +
         L", google.com, microsoft.com, bbc.co.uk) were completely untouched.";
}

// ---- where the window paints it (96 DPI, client width 680; see ui/layout.h) ----

const COLORREF kCardWhite = RGB(255, 255, 255);
const COLORREF kWindowBack = RGB(241, 245, 249);
const COLORREF kArmedFill = RGB(236, 253, 245);
const COLORREF kPausedFill = RGB(254, 242, 242);
const COLORREF kOverrideFill = RGB(254, 247, 224);
const COLORREF kIdleVerdictFill = RGB(248, 250, 252);
const COLORREF kScamFill = RGB(252, 232, 230);
const COLORREF kCautionFill = RGB(254, 247, 224);
const UINT kOneLine = DT_SINGLELINE | DT_VCENTER;

// Above the row of the identifier edit and the buttons (y 88 to 118), across the card.
const RECT kAccountLineBox = {34, 69, 646, 88};
PaintedText account_line() {
  return {kAccountLineBox, 13, 600, RGB(31, 41, 55), kCardWhite, kOneLine | DT_END_ELLIPSIS};
}

PaintedText protection_headline(COLORREF fill, COLORREF colour) {
  return {{34, 146, 356, 174}, 14, 700, colour, fill, kOneLine};
}
PaintedText armed_headline() { return protection_headline(kArmedFill, RGB(6, 95, 70)); }
PaintedText paused_headline() { return protection_headline(kPausedFill, RGB(179, 38, 30)); }
PaintedText override_headline() { return protection_headline(kOverrideFill, RGB(146, 64, 14)); }

PaintedText blocked_line_on(COLORREF fill) {
  return {{34, 188, 646, 220}, 13, 400, RGB(55, 65, 81), fill, DT_WORDBREAK};
}

PaintedText status_line(COLORREF fill, COLORREF colour) {
  return {{46, 410, 634, 434}, 15, 700, colour, fill, kOneLine | DT_END_ELLIPSIS};
}

// A point of the verdict card's bottom padding, where no text is drawn.
COLORREF verdict_card_pixel(HWND window) { return client_pixel(window, 600, 532); }
// Inside the account card while not linked; below it once the card is shorter.
COLORREF account_card_foot_pixel(HWND window) { return client_pixel(window, 40, 120); }
// Just below the purchase button, still inside the card that holds it.
COLORREF below_purchase_pixel(HWND window) { return client_pixel(window, 560, 123); }

// ---- small helpers ----

// Wine without a desktop shows the notification area as a small window of its own, one
// child per icon; -1 when there is no such window to look at.
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

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

template <typename Condition> bool poll(Condition condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(50);
  }
}

// Lines of the service's request log from before this test started are left out, so the
// counts below are this test's own whatever ran earlier against the same service.
size_t g_requests_before = 0;

// This test's requests of one action, oldest first. The log quotes the body again, so the
// body's own quotes show as \".
std::vector<std::string> requests_with(const char* action) {
  std::vector<std::string> found;
  const std::string needle = std::string("\\\"action\\\":\\\"") + action + "\\\"";
  const std::vector<std::string> lines = service_requests();
  for (size_t i = g_requests_before; i < lines.size(); i++) {
    if (lines[i].find(needle) != std::string::npos) found.push_back(lines[i]);
  }
  return found;
}

bool set_clipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool ok = block != nullptr;
  if (ok) {
    memcpy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
    ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!ok) GlobalFree(block);
  }
  CloseClipboard();
  return ok;
}

// Chrome's Preferences with two granted notification sites the user never trusted, beside a
// granted trusted site and a blocked one, in the shape Chrome writes them.
std::string chrome_preferences() {
  return "{\"browser\":{\"has_seen_welcome_page\":true},\"profile\":{\"content_settings\":{"
         "\"exceptions\":{\"notification_interactions\":{},\"notifications\":{"
         "\"https://" CALLWARDEN_VENDOR_DOMAIN ":443,*\":{\"last_modified\":\"13350000000000001\","
         "\"setting\":1},\"https://calendar.example:443,*\":{\"last_modified\":"
         "\"13350000000000002\",\"setting\":2},\"https://virus-alert-now.example:443,*\":{"
         "\"expiration\":\"0\",\"last_modified\":\"13350123456789010\",\"model\":0,\"setting\":1},"
         "\"https://prize-winner-today.example:443,*\":{\"expiration\":\"0\",\"last_modified\":"
         "\"13350123456789011\",\"model\":0,\"setting\":1}},\"popups\":{}},\"pref_version\":1},"
         "\"default_content_setting_values\":{\"notifications\":1},\"exit_type\":\"Normal\"}}";
}

// The scam text has a look-alike link, a fee, card details and a threat; the clipboard one
// only an unpaid charge.
const wchar_t kScamText[] = L"Royal Mail: URGENT final notice. Your parcel has an unpaid "
                            L"redelivery fee of \u00a31.99. Enter your card details at "
                            L"https://royalmail-fees.top within 24 hours or you will be arrested.";
const wchar_t kClipboardText[] = L"Your parcel has an unpaid customs charge";
const wchar_t kMobile[] = L"07700 900123";
const char kMobileCanonical[] = "07700900123";
const char kGuardianPin[] = "4321";

const wchar_t kTestKey[] = L"Software\\Olvex\\CallwardenTest";
const wchar_t kTokenKey[] = L"Software\\Olvex\\Callwarden";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"OlvexCallwarden";

// A blocked tool is gone within one 1500 ms tick plus the time Wine takes with processes.
const DWORD kBlockedWithinMs = 3000;
// At least two ticks have looked at a process.
const DWORD kTwoTicksMs = 3500;

class Acceptance : public ::testing::Test {
protected:
  std::wstring shots_;
  int shot_number_ = 0;
  std::wstring tools_folder_;
  std::wstring chrome_file_;
  std::wstring installed_;
  LaunchedProgram app_ = {nullptr, 0};
  HWND main_ = nullptr;
  std::deque<LaunchedProgram> started_; // a deque: start_copy hands out pointers into it
  std::wstring token_;

  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the service (scripts/with-service)";
    kill_callwarden();
    g_requests_before = service_requests().size();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
    reg_delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Olvex");
    reg_delete_value(HKEY_CURRENT_USER, kRunKey, kRunValue);
    const DWORD no_offset = 0;
    ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, kTestKey, L"ClockOffsetMinutes", REG_DWORD,
                              &no_offset, sizeof(no_offset)));

    const std::wstring app_data = local_app_data();
    ASSERT_FALSE(app_data.empty());
    chrome_file_ = app_data + L"\\Google\\Chrome\\User Data\\Default\\Preferences";
    installed_ = app_data + L"\\Olvex\\Callwarden\\Olvex-Callwarden.exe";
    remove_tree(app_data + L"\\Google");
    remove_tree(app_data + L"\\Olvex");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    tools_folder_ = std::wstring(temp) + L"callwarden-acceptance-tools";
    remove_tree(tools_folder_);
    CreateDirectoryW(tools_folder_.c_str(), nullptr);

    wchar_t chosen[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"CALLWARDEN_ACCEPTANCE_SHOTS", chosen, MAX_PATH);
    shots_ = n > 0 && n < MAX_PATH ? std::wstring(chosen, n)
                                   : std::wstring(temp) + L"callwarden-acceptance";
    make_parents(shots_ + L"\\x");
    CreateDirectoryW(shots_.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE old = FindFirstFileW((shots_ + L"\\*.bmp").c_str(), &found);
    if (old != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((shots_ + L"\\" + found.cFileName).c_str());
      } while (FindNextFileW(old, &found));
      FindClose(old);
    }
    printf("[ SHOTS    ] screenshots go to %s\n", utf8(shots_).c_str());
    fflush(stdout);
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app_);
    for (LaunchedProgram& p : started_) {
      if (p.process == nullptr) continue;
      TerminateProcess(p.process, 77);
      WaitForSingleObject(p.process, 5000);
      close_program(&p);
    }
    const std::wstring app_data = local_app_data();
    remove_tree(app_data + L"\\Google");
    remove_tree(app_data + L"\\Olvex");
    remove_tree(tools_folder_);
    reg_delete_value(HKEY_CURRENT_USER, kRunKey, kRunValue);
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  void shot(const char* step) {
    // Give the window and any box time to paint what the last change asked for.
    if (main_ != nullptr && IsWindow(main_)) sync_with(main_);
    Sleep(150);
    char name[96];
    snprintf(name, sizeof(name), "%02d-%s.bmp", ++shot_number_, step);
    EXPECT_TRUE(save_screen_bmp(shots_ + L"\\" + widen(name))) << name;
  }

  void start_program() {
    ASSERT_TRUE(launch_callwarden(L"", &app_, true));
    main_ = wait_started(&app_, true, 15000);
    ASSERT_NE(main_, nullptr);
    RECT client;
    GetClientRect(main_, &client);
    ASSERT_EQ(client.right, 680) << "the painted places are those of a 96 DPI screen";
  }

  LaunchedProgram* start_copy(const std::wstring& name) {
    const std::wstring folder = tools_folder_ + L"\\" + std::to_wstring(started_.size());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    if (!CopyFileW((bin_dir() + L"\\dummy_tool.exe").c_str(), path.c_str(), FALSE)) {
      ADD_FAILURE() << "cannot copy dummy_tool.exe to " << utf8(path);
      return nullptr;
    }
    LaunchedProgram p = {nullptr, 0};
    if (!launch(path, L"", &p)) {
      ADD_FAILURE() << "cannot start " << utf8(path);
      return nullptr;
    }
    started_.push_back(p);
    return &started_.back();
  }

  static bool running(LaunchedProgram* p) {
    return p->process != nullptr && WaitForSingleObject(p->process, 0) == WAIT_TIMEOUT;
  }

  HWND box_with_caption(const std::wstring& caption, DWORD timeout_ms) {
    HWND found = nullptr;
    poll(
        [&] {
          for (HWND box : message_boxes(app_.pid)) {
            if (message_box_caption(box) == caption) found = box;
          }
          return found != nullptr;
        },
        timeout_ms);
    return found;
  }

  void answer(HWND box, int button) {
    ASSERT_TRUE(answer_message_box(box, button));
    EXPECT_TRUE(poll([&] { return !IsWindow(box); }, 5000));
    sync_with(main_);
  }

  // The blocker alert naming `tool`: everything fixed, then a help line on its own.
  void expect_alert_for(HWND box, const std::wstring& tool) {
    ASSERT_NE(box, nullptr) << "no alert naming " << utf8(tool);
    const std::wstring text = message_box_text(box);
    const std::wstring fixed =
        L"STOP - Olvex Callwarden Blocked a Remote Control App! (" + tool + kAlertAfterName;
    ASSERT_EQ(text.compare(0, fixed.size(), fixed), 0) << utf8(text);
    const std::wstring help = text.substr(fixed.size());
    EXPECT_NE(help.find(L"0808 157 0"), std::wstring::npos) << utf8(help);
    EXPECT_EQ(help.find(L'\n'), std::wstring::npos);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_TRUE(IsWindowVisible(main_)) << "the window comes up with the alert";
  }

  // A headline too wide for its box in the card-title font is drawn in the button font, or
  // failing that the body font: whichever it is, the whole headline must show.
  void expect_headline(PaintedText place, const std::wstring& text, const char* what) {
    const int fonts[][2] = {{14, 700}, {13, 600}, {13, 400}};
    const ULONGLONG end = GetTickCount64() + 10000;
    for (;;) {
      for (const auto& font : fonts) {
        place.font_px = font[0];
        place.font_weight = font[1];
        if (painted_text_difference(main_, place, text) == 0) return;
      }
      if (GetTickCount64() >= end) break;
      Sleep(50);
    }
    ADD_FAILURE() << what << " does not read \"" << utf8(text) << "\" in any of its fonts";
  }

  void expect_painted(const PaintedText& place, const std::wstring& text, const char* what) {
    EXPECT_TRUE(wait_painted_text(main_, place, text, 10000))
        << what << " does not read \"" << utf8(text) << "\" ("
        << painted_text_difference(main_, place, text) << " pixels differ)";
  }

  void expect_blocked(LaunchedProgram* tool, const char* name) {
    ASSERT_NE(tool, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(wait_exit(tool, kBlockedWithinMs, &code)) << name << " was not stopped";
    EXPECT_EQ(code, 1u) << name;
  }

  bool ticked() {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(control(main_, IDC_STARTUP_CHECKBOX), BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000,
                        &state);
    return state == BST_CHECKED;
  }

  // ---- the day, step by step ----

  void first_start_shows_the_window() {
    ASSERT_NO_FATAL_FAILURE(start_program());
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_EQ(window_text(main_), kWindowTitle);
    EXPECT_TRUE(IsWindowVisible(control(main_, IDC_IDENTIFIER_EDIT)));
    EXPECT_EQ(window_text(control(main_, IDC_IDENTIFIER_EDIT)), L"");
    EXPECT_EQ(window_text(control(main_, IDC_PIN_BUTTON)), L"Send 6-Digit PIN");
    EXPECT_EQ(window_text(control(main_, IDC_PAUSE_BUTTON)), L"Pause Blocker");
    EXPECT_EQ(window_text(control(main_, IDC_MESSAGE_EDIT)), L"");
    EXPECT_FALSE(ticked());
    expect_headline(armed_headline(), kArmedHeadline, "the protection headline");
    expect_painted(blocked_line_on(kArmedFill), blocked_line(0), "the blocked-tools line");
    EXPECT_EQ(verdict_card_pixel(main_), kIdleVerdictFill);
    shot("first-start");
  }

  void the_account_line_asks_to_sign_in() {
    ASSERT_TRUE(poll([] { return !requests_with("app_status").empty(); }, 15000));
    const std::vector<std::string> status = requests_with("app_status");
    ASSERT_EQ(status.size(), 1u) << "one status request per start";
    EXPECT_NE(status[0].find("\"authorization\":null"), std::string::npos)
        << "no token yet, so no bearer: " << status[0];
    EXPECT_NE(status[0].find("device_label"), std::string::npos) << status[0];
    // The whole line, in sight: no control lies over any of it.
    expect_painted(account_line(), kNotLinkedLine, "the account line");
    EXPECT_EQ(covered_pixels(main_, kAccountLineBox), 0);
    EXPECT_GT(painted_text_difference(main_, account_line(), kCheckingLine), 0)
        << "the start-up text is gone";
    EXPECT_EQ(account_card_foot_pixel(main_), kCardWhite) << "room for the sign-in controls";
    shot("not-linked");
  }

  void a_typed_scam_text_turns_the_card_red() {
    ASSERT_TRUE(set_edit_text(main_, IDC_MESSAGE_EDIT, kScamText));
    shot("scam-typed");
    ASSERT_TRUE(click(main_, IDC_CHECK_BUTTON));
    ASSERT_TRUE(poll([] { return requests_with("check_scam").size() == 1; }, 15000));
    const std::string request = requests_with("check_scam")[0];
    EXPECT_NE(request.find("Royal Mail: URGENT final notice"), std::string::npos) << request;
    EXPECT_TRUE(poll([&] { return verdict_card_pixel(main_) == kScamFill; }, 15000))
        << "card pixel " << std::hex << verdict_card_pixel(main_);
    const PaintedText status = status_line(kScamFill, RGB(179, 38, 30));
    int score = -1;
    poll(
        [&] {
          score = painted_number(main_, status, kScamStatusHead, L"/100)", 60, 100);
          return score >= 0;
        },
        15000);
    EXPECT_GE(score, 60) << "the status line does not read \"DANGER: SCAM DETECTED  (Risk "
                            "Score: N/100)\" with a scam's score";
    EXPECT_TRUE(IsWindowEnabled(control(main_, IDC_CHECK_BUTTON)));
    EXPECT_EQ(window_text(control(main_, IDC_MESSAGE_EDIT)), kScamText);
    EXPECT_TRUE(message_boxes(app_.pid).empty());
    shot("scam-verdict");
  }

  void a_clipboard_check_from_the_tray_brings_the_window_back() {
    // The person closes the window; it goes to the tray and protection goes on.
    PostMessageW(main_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(poll([&] { return !IsWindowVisible(main_); }, 5000));
    EXPECT_FALSE(wait_exit(&app_, 300, nullptr)) << "closing the window must not end the program";
    EXPECT_GE(tray_icon_count(), 1) << "the tray icon stays";
    shot("closed-to-tray");

    ASSERT_TRUE(set_clipboard(kClipboardText));
    ASSERT_TRUE(post_command(main_, IDM_TRAY_CHECK_CLIPBOARD));
    ASSERT_TRUE(poll([] { return requests_with("check_scam").size() == 2; }, 15000));
    EXPECT_NE(requests_with("check_scam")[1].find("Your parcel has an unpaid customs charge"),
              std::string::npos);
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_EQ(window_text(control(main_, IDC_MESSAGE_EDIT)), kClipboardText);
    EXPECT_TRUE(poll([&] { return verdict_card_pixel(main_) == kCautionFill; }, 15000))
        << "card pixel " << std::hex << verdict_card_pixel(main_);
    const PaintedText status = status_line(kCautionFill, RGB(146, 64, 14));
    int score = -1;
    poll(
        [&] {
          score = painted_number(main_, status, kCautionStatusHead, L"/100)", 25, 59);
          return score >= 0;
        },
        15000);
    EXPECT_GE(score, 25)
        << "the status line does not read \"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: "
           "N/100)\"";
    shot("clipboard-caution");
  }

  void a_remote_tool_is_stopped_with_an_alert() {
    const size_t reports = requests_with("report_blocked_tool").size();
    LaunchedProgram* tool = start_copy(L"AnyDesk.exe");
    ASSERT_NO_FATAL_FAILURE(expect_blocked(tool, "AnyDesk.exe"));
    HWND alert = box_with_caption(kAlertCaption, 15000);
    ASSERT_NO_FATAL_FAILURE(expect_alert_for(alert, L"AnyDesk.exe"));
    expect_painted(blocked_line_on(kArmedFill), blocked_line(1), "the blocked-tools line");
    shot("tool-blocked-alert");
    ASSERT_NO_FATAL_FAILURE(answer(alert, IDOK));
    ASSERT_TRUE(
        poll([&] { return requests_with("report_blocked_tool").size() == reports + 1; }, 10000));
    EXPECT_NE(requests_with("report_blocked_tool").back().find("AnyDesk.exe"), std::string::npos);
  }

  void pausing_asks_first_and_lets_tools_run_until_resumed() {
    ASSERT_TRUE(click(main_, IDC_PAUSE_BUTTON));
    HWND box = box_with_caption(L"Olvex Callwarden", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kPauseText);
    shot("pause-confirm");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDYES));
    EXPECT_EQ(window_text(control(main_, IDC_PAUSE_BUTTON)), L"Turn On Blocker");
    expect_headline(paused_headline(), kPausedHeadline, "the protection headline");

    LaunchedProgram* tool = start_copy(L"TeamViewer.exe");
    ASSERT_NE(tool, nullptr);
    Sleep(kTwoTicksMs);
    EXPECT_TRUE(running(tool)) << "a paused blocker stops nothing";
    EXPECT_TRUE(message_boxes(app_.pid).empty());
    shot("paused");

    // Turning it on again asks nothing, and the next tick stops the tool.
    // The click is posted, and a message sent later may overtake it: wait for its effect.
    ASSERT_TRUE(click(main_, IDC_PAUSE_BUTTON));
    EXPECT_TRUE(poll(
        [&] { return window_text(control(main_, IDC_PAUSE_BUTTON)) == L"Pause Blocker"; }, 5000))
        << utf8(window_text(control(main_, IDC_PAUSE_BUTTON)));
    ASSERT_NO_FATAL_FAILURE(expect_blocked(tool, "TeamViewer.exe"));
    HWND alert = box_with_caption(kAlertCaption, 15000);
    ASSERT_NO_FATAL_FAILURE(expect_alert_for(alert, L"TeamViewer.exe"));
    expect_headline(armed_headline(), kArmedHeadline, "the protection headline");
    expect_painted(blocked_line_on(kArmedFill), blocked_line(2), "the blocked-tools line");
    shot("resumed-alert");
    ASSERT_NO_FATAL_FAILURE(answer(alert, IDOK));
  }

  void an_hour_override_lets_a_tool_run_until_the_hour_is_over() {
    ASSERT_TRUE(click(main_, IDC_OVERRIDE_BUTTON));
    HWND box = box_with_caption(kOverrideCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kOverrideText);
    shot("override-confirm");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDYES));
    expect_headline(override_headline(), kOverrideHeadline, "the protection headline");

    LaunchedProgram* tool = start_copy(L"AnyDesk.exe");
    ASSERT_NE(tool, nullptr);
    Sleep(kTwoTicksMs);
    EXPECT_TRUE(running(tool)) << "the override lets the tool run";
    EXPECT_TRUE(message_boxes(app_.pid).empty());
    shot("override-tool-running");

    // An hour and a minute later by the program's clock the tool is stopped again.
    const DWORD later = 61;
    ASSERT_TRUE(reg_set_bytes(HKEY_CURRENT_USER, kTestKey, L"ClockOffsetMinutes", REG_DWORD, &later,
                              sizeof(later)));
    ASSERT_NO_FATAL_FAILURE(expect_blocked(tool, "AnyDesk.exe"));
    HWND alert = box_with_caption(kAlertCaption, 15000);
    ASSERT_NO_FATAL_FAILURE(expect_alert_for(alert, L"AnyDesk.exe"));
    expect_headline(armed_headline(), kArmedHeadline, "the protection headline");
    expect_painted(blocked_line_on(kArmedFill), blocked_line(3), "the blocked-tools line");
    shot("override-over-alert");
    ASSERT_NO_FATAL_FAILURE(answer(alert, IDOK));
  }

  void signing_in_by_pin_links_the_device() {
    // The family set the account up with the person's name beforehand.
    ASSERT_TRUE(service_command(std::string("set-name ") + kMobileCanonical + " Margaret"));
    const size_t outbox = service_outbox().size();
    ASSERT_TRUE(set_edit_text(main_, IDC_IDENTIFIER_EDIT, kMobile));
    ASSERT_TRUE(click(main_, IDC_PIN_BUTTON));
    ASSERT_TRUE(poll([&] { return service_outbox().size() > outbox; }, 15000));
    const std::string entry = service_outbox().back();
    EXPECT_EQ(json_member(entry, "identifier"), kMobileCanonical);
    const std::string code = json_member(entry, "code");
    ASSERT_EQ(code.size(), 6u) << entry;
    ASSERT_TRUE(poll(
        [&] {
          return window_text(control(main_, IDC_PIN_BUTTON)) == L"Verify 6-Digit PIN" &&
                 IsWindowEnabled(control(main_, IDC_PIN_BUTTON));
        },
        15000));
    EXPECT_EQ(window_text(control(main_, IDC_IDENTIFIER_EDIT)), L"");
    expect_painted(account_line(), kPinSentLine, "the account line");
    shot("pin-sent");

    ASSERT_TRUE(set_edit_text(main_, IDC_IDENTIFIER_EDIT, widen(code.c_str())));
    shot("pin-typed");
    ASSERT_TRUE(click(main_, IDC_PIN_BUTTON));
    HWND box = box_with_caption(L"Olvex Callwarden", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kLinkedText);
    ASSERT_TRUE(reg_get_string(HKEY_CURRENT_USER, kTokenKey, L"AuthToken", &token_));
    EXPECT_EQ(token_.rfind(L"ocp_", 0), 0u) << utf8(token_);
    EXPECT_FALSE(IsWindowVisible(control(main_, IDC_IDENTIFIER_EDIT)));
    EXPECT_FALSE(IsWindowVisible(control(main_, IDC_PIN_BUTTON)));
    expect_painted(account_line(), kLinkedLine, "the account line");
    shot("linked-box");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    // The purchase button still shows for a free plan, and the card still holds its row.
    EXPECT_TRUE(IsWindowVisible(control(main_, IDC_GET_BUTTON)));
    EXPECT_EQ(below_purchase_pixel(main_), kCardWhite) << "the button overhangs the card";
    EXPECT_EQ(covered_pixels(main_, kAccountLineBox), 0);
    const std::vector<std::string> verify = requests_with("verify_pin");
    ASSERT_EQ(verify.size(), 1u);
    EXPECT_NE(verify[0].find(code), std::string::npos);
    EXPECT_NE(verify[0].find(json_member(entry, "challenge_id")), std::string::npos);
  }

  void exit_from_the_tray(const char* step) {
    const int icons = tray_icon_count();
    ASSERT_TRUE(post_command(main_, IDM_TRAY_EXIT));
    HWND box = box_with_caption(kExitCaption, 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kExitText);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    shot(step);
    ASSERT_TRUE(answer_message_box(box, IDYES));
    DWORD code = 99;
    ASSERT_TRUE(wait_exit(&app_, 10000, &code));
    EXPECT_EQ(code, 0u);
    close_program(&app_);
    EXPECT_TRUE(
        poll([] { return FindWindowW(CALLWARDEN_WINDOW_CLASS, nullptr) == nullptr; }, 5000));
    EXPECT_TRUE(poll([&] { return tray_icon_count() == icons - 1; }, 5000))
        << "the tray icon goes with the program";
    main_ = nullptr;
  }

  void a_restart_is_linked_at_once() {
    ASSERT_NO_FATAL_FAILURE(exit_from_the_tray("exit-confirm"));
    const size_t statuses = requests_with("app_status").size();
    ASSERT_NO_FATAL_FAILURE(start_program());
    ASSERT_TRUE(poll([&] { return requests_with("app_status").size() > statuses; }, 15000));
    EXPECT_EQ(json_member(requests_with("app_status").back(), "authorization"),
              "Bearer " + utf8(token_));
    expect_painted(account_line(), kLinkedLine, "the account line");
    EXPECT_FALSE(IsWindowVisible(control(main_, IDC_IDENTIFIER_EDIT)));
    EXPECT_FALSE(IsWindowVisible(control(main_, IDC_PIN_BUTTON)));
    EXPECT_TRUE(IsWindowVisible(control(main_, IDC_GET_BUTTON))) << "a free plan can still buy";
    EXPECT_EQ(below_purchase_pixel(main_), kCardWhite) << "the button overhangs the card";
    expect_headline(armed_headline(), kArmedHeadline, "the protection headline");
    // The count starts again with each run and is raised only to the account's own reports;
    // the tools stopped before the device was linked were reported without an account.
    expect_painted(blocked_line_on(kArmedFill), blocked_line(0), "the blocked-tools line");
    EXPECT_TRUE(message_boxes(app_.pid).empty()) << "a linked start shows no box";
    shot("restarted-linked");
  }

  void the_guardian_pin_unlocks_the_hour() {
    ASSERT_TRUE(
        service_command(std::string("set-guardian-pin ") + kMobileCanonical + " " + kGuardianPin));
    // Without a PIN typed the button says where to type it, and nothing is sent.
    ASSERT_TRUE(click(main_, IDC_OVERRIDE_BUTTON));
    HWND box = box_with_caption(kPinPromptCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kPinPromptText);
    shot("guardian-pin-prompt");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    EXPECT_TRUE(requests_with("verify_override_pin").empty());
    expect_headline(armed_headline(), kArmedHeadline, "the protection headline");

    ASSERT_TRUE(set_edit_text(main_, IDC_MESSAGE_EDIT, widen(kGuardianPin)));
    shot("guardian-pin-typed");
    ASSERT_TRUE(click(main_, IDC_OVERRIDE_BUTTON));
    box = box_with_caption(L"Olvex Callwarden", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kPinAcceptedText);
    EXPECT_EQ(window_text(control(main_, IDC_MESSAGE_EDIT)), L"") << "the PIN leaves the screen";
    expect_headline(override_headline(), kOverrideHeadline, "the protection headline");
    shot("guardian-pin-accepted");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    const std::vector<std::string> sent = requests_with("verify_override_pin");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find(kGuardianPin), std::string::npos) << sent[0];
    EXPECT_EQ(json_member(sent[0], "authorization"), "Bearer " + utf8(token_));

    LaunchedProgram* tool = start_copy(L"RustDesk.exe");
    ASSERT_NE(tool, nullptr);
    Sleep(kTwoTicksMs);
    EXPECT_TRUE(running(tool)) << "the Guardian's hour lets the tool run";
    EXPECT_TRUE(message_boxes(app_.pid).empty());
    // The person ends the session they started.
    TerminateProcess(tool->process, 0);
    WaitForSingleObject(tool->process, 5000);
  }

  void the_popup_cleaner_waits_for_chrome_to_close() {
    const std::string original = chrome_preferences();
    make_parents(chrome_file_);
    ASSERT_TRUE(write_file_bytes(chrome_file_, original));
    LaunchedProgram* chrome = start_copy(L"chrome.exe");
    ASSERT_NE(chrome, nullptr);

    ASSERT_TRUE(click(main_, IDC_CLEAN_POPUPS_BUTTON));
    HWND box = box_with_caption(kPendingCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), pending_chrome_text(2));
    shot("popups-close-chrome");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    EXPECT_EQ(read_file_bytes(chrome_file_), original) << "a running Chrome's file is left alone";
    EXPECT_FALSE(exists(chrome_file_ + L".callwarden.bak"));

    // The person closes Chrome and clicks again.
    TerminateProcess(chrome->process, 0);
    WaitForSingleObject(chrome->process, 5000);
    ASSERT_TRUE(click(main_, IDC_CLEAN_POPUPS_BUTTON));
    box = box_with_caption(kCleanedCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), cleaned_chrome_text(2));
    shot("popups-cleaned");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    EXPECT_EQ(blocked_bytes(original, read_file_bytes(chrome_file_)), 2);
    EXPECT_EQ(read_file_bytes(chrome_file_ + L".callwarden.bak"), original);
  }

  void start_with_windows_ticked_and_unticked() {
    ASSERT_TRUE(click(main_, IDC_STARTUP_CHECKBOX));
    HWND box = box_with_caption(kStartupCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kInstalledText);
    shot("startup-ticked");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    EXPECT_TRUE(ticked());
    std::wstring entry;
    ASSERT_TRUE(reg_get_string(HKEY_CURRENT_USER, kRunKey, kRunValue, &entry));
    EXPECT_EQ(entry, L"\"" + installed_ + L"\" --tray");
    const std::string copy = read_file_bytes(installed_);
    EXPECT_FALSE(copy.empty());
    EXPECT_TRUE(copy == read_file_bytes(program_path(true))) << "the installed copy differs";

    ASSERT_TRUE(click(main_, IDC_STARTUP_CHECKBOX));
    box = box_with_caption(kStartupCaption, 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), kRemovedText);
    shot("startup-unticked");
    ASSERT_NO_FATAL_FAILURE(answer(box, IDOK));
    EXPECT_FALSE(ticked());
    EXPECT_FALSE(reg_get_string(HKEY_CURRENT_USER, kRunKey, kRunValue, &entry));
  }

  void exit_ends_the_program() {
    ASSERT_NO_FATAL_FAILURE(exit_from_the_tray("exit-final-confirm"));
    shot("after-exit");
  }
};

TEST_F(Acceptance, a_new_users_first_day_from_first_start_to_exit) {
  const ULONGLONG began = GetTickCount64();
  ASSERT_NO_FATAL_FAILURE(first_start_shows_the_window());
  ASSERT_NO_FATAL_FAILURE(the_account_line_asks_to_sign_in());
  ASSERT_NO_FATAL_FAILURE(a_typed_scam_text_turns_the_card_red());
  ASSERT_NO_FATAL_FAILURE(a_clipboard_check_from_the_tray_brings_the_window_back());
  ASSERT_NO_FATAL_FAILURE(a_remote_tool_is_stopped_with_an_alert());
  ASSERT_NO_FATAL_FAILURE(pausing_asks_first_and_lets_tools_run_until_resumed());
  ASSERT_NO_FATAL_FAILURE(an_hour_override_lets_a_tool_run_until_the_hour_is_over());
  ASSERT_NO_FATAL_FAILURE(signing_in_by_pin_links_the_device());
  ASSERT_NO_FATAL_FAILURE(a_restart_is_linked_at_once());
  ASSERT_NO_FATAL_FAILURE(the_guardian_pin_unlocks_the_hour());
  ASSERT_NO_FATAL_FAILURE(the_popup_cleaner_waits_for_chrome_to_close());
  ASSERT_NO_FATAL_FAILURE(start_with_windows_ticked_and_unticked());
  ASSERT_NO_FATAL_FAILURE(exit_ends_the_program());
  printf("[ SHOTS    ] %d screenshots in %s; the day took %.1f s\n", shot_number_,
         utf8(shots_).c_str(), static_cast<double>(GetTickCount64() - began) / 1000.0);
}

} // namespace
