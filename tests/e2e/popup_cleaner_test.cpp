// The pop-up cleaner as the user meets it: Preferences files of Chrome and Edge in the
// prefix's local app data, stand-in browser processes, one click and the box that follows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/vendor.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t* const kChromeTail = L"\\Google\\Chrome\\User Data\\Default\\Preferences";
const wchar_t* const kEdgeTail = L"\\Microsoft\\Edge\\User Data\\Default\\Preferences";

std::wstring widen(const char* text) { return std::wstring(text, text + strlen(text)); }

std::wstring nothing_found_text() {
  return L"All Clear! 0 untrusted browser notification spam sites were found in Google Chrome or "
         L"Microsoft Edge.\r\n\r\n(Trusted sites like " +
         widen(CALLWARDEN_VENDOR_DOMAIN) +
         L", google.com, microsoft.com, and bbc.co.uk are always preserved.)";
}

std::wstring blocked_text(int total, int chrome, int edge) {
  return L"Success! Backed up your browser Preferences (.callwarden.bak) and blocked " +
         std::to_wstring(total) + L" untrusted push-notification site(s) (" +
         std::to_wstring(chrome) + L" in Chrome, " + std::to_wstring(edge) +
         L" in Edge).\r\n\r\nYour bookmarks, saved passwords, and trusted sites (" +
         widen(CALLWARDEN_VENDOR_DOMAIN) +
         L", google.com, microsoft.com, bbc.co.uk) were completely untouched.";
}

std::wstring pending_text(int total, int chrome, int edge, const std::wstring& browsers) {
  return L"Found " + std::to_wstring(total) + L" untrusted push-notification site(s) (" +
         std::to_wstring(chrome) + L" in Chrome, " + std::to_wstring(edge) +
         L" in Edge).\r\n\r\nPlease close " + browsers +
         L" first and click 'Clean Fake Virus Pop-Ups' again so Callwarden can safely back up "
         L"and block them without the browser overwriting its Preferences file.";
}

const wchar_t* const kNothingCaption = L"Olvex Callwarden \u2014 Pop-Up Cleaner";
const wchar_t* const kBlockedCaption = L"Olvex Callwarden \u2014 Pop-Ups Cleaned";
const wchar_t* const kPendingCaption = L"Olvex Callwarden \u2014 Close Browser to Finish Cleaning";

// A profile's Preferences as the browsers write it, with `untrusted` granted sites beside a
// granted trusted site, a blocked site and look-alike objects that must stay as they are.
std::string preferences_with(int untrusted) {
  std::string sites = "\"https://" CALLWARDEN_VENDOR_DOMAIN ":443,*\":{\"last_modified\":"
                      "\"13350000000000001\",\"setting\":1},\"https://calendar.example:443,*\":{"
                      "\"last_modified\":\"13350000000000002\",\"setting\":2}";
  for (int i = 0; i < untrusted; i++) {
    sites += ",\"https://prize-alert-" + std::to_string(i) +
             ".example:443,*\":{\"expiration\":\"0\",\"last_modified\":\"1335012345678901" +
             std::to_string(i) + "\",\"model\":0,\"setting\":1}";
  }
  return "{\"browser\":{\"has_seen_welcome_page\":true},\"profile\":{\"content_settings\":{"
         "\"exceptions\":{\"notification_interactions\":{},\"notifications\":{" +
         sites +
         "},\"popups\":{\"https://prize-alert-0.example:443,*\":{\"setting\":1}}},"
         "\"pref_version\":1},\"default_content_setting_values\":{\"notifications\":1},"
         "\"exit_type\":\"Normal\"}}";
}

// Another program holding a file open for writing with readers let in, as a browser does.
struct Locker {
  LaunchedProgram program = {nullptr, 0};
  bool start(const std::wstring& path) {
    const std::wstring event_name = L"Local\\CallwardenPopupLocker";
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
    if (!launch(bin_dir() + L"\\file_locker.exe", L"\"" + path + L"\" rw r " + event_name,
                &program)) {
      CloseHandle(ready);
      return false;
    }
    HANDLE both[2] = {ready, program.process};
    const DWORD woke = WaitForMultipleObjects(2, both, FALSE, 15000);
    CloseHandle(ready);
    return woke == WAIT_OBJECT_0;
  }
  ~Locker() {
    if (program.process == nullptr) return;
    TerminateProcess(program.process, 0);
    WaitForSingleObject(program.process, 5000);
    close_program(&program);
  }
};

struct Box {
  std::wstring caption;
  std::wstring text;
};

class PopupCleaner : public ::testing::Test {
protected:
  std::wstring app_data;
  std::wstring chrome_file;
  std::wstring edge_file;
  std::wstring browsers_folder;
  LaunchedProgram app = {nullptr, 0};
  HWND window = nullptr;
  std::vector<LaunchedProgram> browsers;

  void SetUp() override {
    kill_callwarden();
    app_data = local_app_data();
    ASSERT_FALSE(app_data.empty());
    chrome_file = app_data + kChromeTail;
    edge_file = app_data + kEdgeTail;
    remove_profiles();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    browsers_folder = std::wstring(temp) + L"callwarden-popup-browsers";
    remove_tree(browsers_folder);
    CreateDirectoryW(browsers_folder.c_str(), nullptr);
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app);
    close_browsers();
    remove_profiles();
    remove_tree(browsers_folder);
  }

  void remove_profiles() {
    remove_tree(app_data + L"\\Google");
    remove_tree(app_data + L"\\Microsoft\\Edge");
  }

  std::string install(const std::wstring& file, int untrusted) {
    const std::string text = preferences_with(untrusted);
    make_parents(file);
    EXPECT_TRUE(write_file_bytes(file, text));
    return text;
  }

  // A stand-in browser: the waiting dummy program under the browser's executable name.
  void start_browser(const std::wstring& exe_name) {
    const std::wstring folder = browsers_folder + L"\\" + std::to_wstring(browsers.size());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + exe_name;
    ASSERT_TRUE(CopyFileW((bin_dir() + L"\\dummy_tool.exe").c_str(), path.c_str(), FALSE));
    LaunchedProgram browser = {nullptr, 0};
    ASSERT_TRUE(launch(path, L"", &browser));
    browsers.push_back(browser);
  }

  void close_browsers() {
    for (LaunchedProgram& browser : browsers) {
      TerminateProcess(browser.process, 0);
      WaitForSingleObject(browser.process, 5000);
      close_program(&browser);
    }
    browsers.clear();
  }

  // Clicks the clean button and reads, then closes, the box it shows.
  Box clean() {
    Box box;
    if (window == nullptr) {
      if (!launch_callwarden(L"", &app)) {
        ADD_FAILURE() << "cannot start the program";
        return box;
      }
      window = wait_started(&app, true, 15000);
      if (window == nullptr) {
        ADD_FAILURE() << "no main window";
        return box;
      }
    }
    EXPECT_TRUE(click(window, IDC_CLEAN_POPUPS_BUTTON));
    HWND shown = wait_message_box(app.pid, 15000);
    if (shown == nullptr) {
      ADD_FAILURE() << "no message box after the click";
      return box;
    }
    box.caption = message_box_caption(shown);
    box.text = message_box_text(shown);
    EXPECT_TRUE(answer_message_box(shown, IDOK));
    for (int i = 0; i < 100 && IsWindow(shown); i++)
      Sleep(50);
    EXPECT_FALSE(IsWindow(shown));
    sync_with(window);
    return box;
  }
};

} // namespace

TEST_F(PopupCleaner, with_neither_browser_installed_nothing_is_found_and_no_file_made) {
  const Box box = clean();
  EXPECT_EQ(box.caption, kNothingCaption);
  EXPECT_EQ(box.text, nothing_found_text());
  EXPECT_FALSE(exists(app_data + L"\\Google"));
  EXPECT_FALSE(exists(app_data + L"\\Microsoft\\Edge"));
}

TEST_F(PopupCleaner, a_closed_chrome_is_backed_up_and_its_three_grants_blocked) {
  const std::string original = install(chrome_file, 3);
  const Box box = clean();
  EXPECT_EQ(box.caption, kBlockedCaption);
  EXPECT_EQ(box.text, blocked_text(3, 3, 0));
  EXPECT_EQ(blocked_bytes(original, read_file_bytes(chrome_file)), 3);
  EXPECT_EQ(read_file_bytes(chrome_file + L".callwarden.bak"), original);
  EXPECT_FALSE(exists(app_data + L"\\Microsoft\\Edge"));
}

TEST_F(PopupCleaner, a_running_chrome_is_only_counted_while_a_closed_edge_is_cleaned) {
  const std::string chrome_before = install(chrome_file, 2);
  const std::string edge_before = install(edge_file, 1);
  start_browser(L"chrome.exe");
  const Box box = clean();
  EXPECT_EQ(box.caption, kPendingCaption);
  EXPECT_EQ(box.text, pending_text(3, 2, 1, L"Google Chrome"));
  EXPECT_EQ(read_file_bytes(chrome_file), chrome_before);
  EXPECT_FALSE(exists(chrome_file + L".callwarden.bak"));
  EXPECT_EQ(blocked_bytes(edge_before, read_file_bytes(edge_file)), 1);
  EXPECT_EQ(read_file_bytes(edge_file + L".callwarden.bak"), edge_before);
}

TEST_F(PopupCleaner, with_both_browsers_running_both_are_named_and_nothing_is_changed) {
  const std::string chrome_before = install(chrome_file, 2);
  const std::string edge_before = install(edge_file, 4);
  start_browser(L"chrome.exe");
  start_browser(L"msedge.exe");
  const Box box = clean();
  EXPECT_EQ(box.caption, kPendingCaption);
  EXPECT_EQ(box.text, pending_text(6, 2, 4, L"Google Chrome and Microsoft Edge"));
  EXPECT_EQ(read_file_bytes(chrome_file), chrome_before);
  EXPECT_EQ(read_file_bytes(edge_file), edge_before);
  EXPECT_FALSE(exists(chrome_file + L".callwarden.bak"));
  EXPECT_FALSE(exists(edge_file + L".callwarden.bak"));
}

TEST_F(PopupCleaner, a_process_named_in_capitals_counts_as_the_browser_running) {
  const std::string chrome_before = install(chrome_file, 2);
  start_browser(L"CHROME.EXE");
  const Box box = clean();
  EXPECT_EQ(box.text, pending_text(2, 2, 0, L"Google Chrome"));
  EXPECT_EQ(read_file_bytes(chrome_file), chrome_before);
}

TEST_F(PopupCleaner, a_running_edge_without_grants_is_not_asked_to_close) {
  const std::string chrome_before = install(chrome_file, 2);
  install(edge_file, 0);
  start_browser(L"msedge.exe");
  const Box box = clean();
  EXPECT_EQ(box.caption, kBlockedCaption);
  EXPECT_EQ(box.text, blocked_text(2, 2, 0));
  EXPECT_EQ(blocked_bytes(chrome_before, read_file_bytes(chrome_file)), 2);
}

TEST_F(PopupCleaner, clicking_again_after_closing_the_browser_finishes_then_finds_nothing) {
  const std::string chrome_before = install(chrome_file, 2);
  install(edge_file, 1);
  start_browser(L"chrome.exe");
  Box box = clean();
  EXPECT_EQ(box.text, pending_text(3, 2, 1, L"Google Chrome"));

  close_browsers();
  box = clean();
  EXPECT_EQ(box.caption, kBlockedCaption);
  EXPECT_EQ(box.text, blocked_text(2, 2, 0));
  EXPECT_EQ(blocked_bytes(chrome_before, read_file_bytes(chrome_file)), 2);
  EXPECT_EQ(read_file_bytes(chrome_file + L".callwarden.bak"), chrome_before);

  box = clean();
  EXPECT_EQ(box.caption, kNothingCaption);
  EXPECT_EQ(box.text, nothing_found_text());
}

TEST_F(PopupCleaner, grants_that_could_not_be_blocked_are_never_reported_as_blocked) {
  // Chrome's process is not seen, but something holds its file as a browser would: the
  // grants are found, the file stays as it was, and the user is asked to close Chrome.
  const std::string chrome_before = install(chrome_file, 2);
  const std::string edge_before = install(edge_file, 1);
  Locker holder;
  ASSERT_TRUE(holder.start(chrome_file));
  const Box box = clean();
  EXPECT_EQ(box.caption, kPendingCaption);
  EXPECT_EQ(box.text, pending_text(3, 2, 1, L"Google Chrome"));
  EXPECT_EQ(read_file_bytes(chrome_file), chrome_before);
  EXPECT_EQ(blocked_bytes(edge_before, read_file_bytes(edge_file)), 1);
}
