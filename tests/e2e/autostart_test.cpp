// Start with Windows as the user meets it: the checkbox installs a copy under local app data
// and registers it to start hidden at sign-in, unticking unregisters it, and the box always
// shows what the registry holds.
#include <gtest/gtest.h>

#include <string>

#include "app/ids.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kRunValue = L"OlvexCallwarden";
const wchar_t* const kCaption = L"Olvex Callwarden Startup";
const wchar_t* const kInstalledText =
    L"Installed to LocalAppData & enabled automatic protection at Windows sign-in.";
const wchar_t* const kRemovedText = L"Removed Callwarden from automatic Windows sign-in startup.";

std::wstring start_entry(const std::wstring& program) { return L"\"" + program + L"\" --tray"; }

struct Box {
  std::wstring caption;
  std::wstring text;
};

// Another program holding a file open without sharing, until it is ended.
struct Locker {
  LaunchedProgram program = {nullptr, 0};
  bool start(const std::wstring& path) {
    const std::wstring event_name = L"Local\\CallwardenAutostartLocker";
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
    if (!launch(bin_dir() + L"\\file_locker.exe", L"\"" + path + L"\" r none " + event_name,
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

class Autostart : public ::testing::Test {
protected:
  std::wstring vendor_folder;
  std::wstring product_folder;
  std::wstring installed;
  LaunchedProgram app = {nullptr, 0};
  HWND window = nullptr;

  void SetUp() override {
    kill_callwarden();
    const std::wstring app_data = local_app_data();
    ASSERT_FALSE(app_data.empty());
    vendor_folder = app_data + L"\\Olvex";
    product_folder = vendor_folder + L"\\Callwarden";
    installed = product_folder + L"\\Olvex-Callwarden.exe";
    remove_install();
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&app);
    remove_install();
  }

  void remove_install() {
    reg_delete_value(HKEY_CURRENT_USER, kRunKey, kRunValue);
    DeleteFileW(installed.c_str());
    RemoveDirectoryW(product_folder.c_str());
    RemoveDirectoryW(vendor_folder.c_str());
  }

  void start(const std::wstring& exe = std::wstring()) {
    const bool started = exe.empty() ? launch_callwarden(L"", &app) : launch(exe, L"", &app);
    ASSERT_TRUE(started);
    window = wait_started(&app, true, 15000);
    ASSERT_NE(window, nullptr);
  }

  void restart() {
    kill_callwarden();
    close_program(&app);
    window = nullptr;
    start();
  }

  bool ticked() {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(control(window, IDC_STARTUP_CHECKBOX), BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000,
                        &state);
    return state == BST_CHECKED;
  }

  // Clicks the checkbox and reads, then closes, the box it shows.
  Box click_checkbox() {
    Box box;
    EXPECT_TRUE(click(window, IDC_STARTUP_CHECKBOX));
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
    sync_with(window);
    return box;
  }

  std::wstring run_value() {
    std::wstring value;
    if (!reg_get_string(HKEY_CURRENT_USER, kRunKey, kRunValue, &value)) return L"<absent>";
    return value;
  }
};

} // namespace

TEST_F(Autostart, ticking_installs_a_copy_and_registers_it_to_start_hidden) {
  start();
  EXPECT_FALSE(ticked());
  const Box box = click_checkbox();
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.text, kInstalledText);
  EXPECT_EQ(run_value(), start_entry(installed));
  const std::string copy = read_file_bytes(installed);
  EXPECT_FALSE(copy.empty());
  EXPECT_TRUE(copy == read_file_bytes(program_path())) << "the copy differs from the program";
  EXPECT_TRUE(ticked());
}

TEST_F(Autostart, unticking_removes_the_entry_and_keeps_the_copy) {
  start();
  click_checkbox();
  ASSERT_TRUE(ticked());
  const Box box = click_checkbox();
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.text, kRemovedText);
  EXPECT_EQ(run_value(), L"<absent>");
  EXPECT_TRUE(exists(installed));
  EXPECT_FALSE(ticked());
}

TEST_F(Autostart, an_entry_deleted_elsewhere_shows_after_the_next_click) {
  start();
  click_checkbox();
  ASSERT_TRUE(ticked());
  reg_delete_value(HKEY_CURRENT_USER, kRunKey, kRunValue);
  // The click unticks the box; there is no value to remove, and the user is told the same.
  const Box box = click_checkbox();
  EXPECT_EQ(box.text, kRemovedText);
  EXPECT_FALSE(ticked());
  // Ticked again, the entry comes back.
  click_checkbox();
  EXPECT_EQ(run_value(), start_entry(installed));
  EXPECT_TRUE(ticked());
}

TEST_F(Autostart, at_start_the_box_is_ticked_only_for_a_non_empty_string_entry) {
  ASSERT_TRUE(
      reg_set_string(HKEY_CURRENT_USER, kRunKey, kRunValue, L"\"C:\\elsewhere.exe\" --tray"));
  start();
  EXPECT_TRUE(ticked());

  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kRunKey, kRunValue, L""));
  restart();
  EXPECT_FALSE(ticked());

  const DWORD number = 1;
  ASSERT_TRUE(
      reg_set_bytes(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_DWORD, &number, sizeof(number)));
  restart();
  EXPECT_FALSE(ticked());

  reg_delete_value(HKEY_CURRENT_USER, kRunKey, kRunValue);
  restart();
  EXPECT_FALSE(ticked());
}

TEST_F(Autostart, when_the_installed_copy_is_held_open_the_entry_names_the_clicked_program) {
  CreateDirectoryW(vendor_folder.c_str(), nullptr);
  CreateDirectoryW(product_folder.c_str(), nullptr);
  ASSERT_TRUE(write_file_bytes(installed, "an older copy, held open by another program"));
  Locker holder;
  ASSERT_TRUE(holder.start(installed));
  start();
  const Box box = click_checkbox();
  EXPECT_EQ(box.text, kInstalledText);
  EXPECT_EQ(run_value(), start_entry(program_path()));
  EXPECT_TRUE(ticked());
}

TEST_F(Autostart, running_from_the_installed_path_in_other_letter_case_copies_nothing) {
  CreateDirectoryW(vendor_folder.c_str(), nullptr);
  CreateDirectoryW(product_folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(program_path().c_str(), installed.c_str(), FALSE));
  const std::string before = read_file_bytes(installed);
  // Started as ...\olvex-callwarden.exe: a copy onto itself would fail or empty the file,
  // and a failed copy would register the lower-case name instead of the installed one.
  std::wstring lower = product_folder + L"\\olvex-callwarden.exe";
  start(lower);
  const Box box = click_checkbox();
  EXPECT_EQ(box.text, kInstalledText);
  EXPECT_EQ(run_value(), start_entry(installed));
  EXPECT_TRUE(read_file_bytes(installed) == before) << "the running copy was rewritten";
}
