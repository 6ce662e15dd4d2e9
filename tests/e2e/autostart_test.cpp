// Start with Windows as the user meets it: the checkbox installs a copy under local app data
// and registers it to start hidden at sign-in, unticking unregisters it, and the box always
// shows what the registry holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ids.h"
#include "tests/e2e/harness.h"

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kRunValue = L"OlvexCallwarden";
const wchar_t* const kCaption = L"Olvex Callwarden Startup";
const wchar_t* const kInstalledText =
    L"Installed to LocalAppData & enabled automatic protection at Windows sign-in.";
const wchar_t* const kRemovedText = L"Removed Callwarden from automatic Windows sign-in startup.";
const wchar_t* const kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OlvexCallwarden";
const wchar_t* const kUninstallCaption = L"Olvex Callwarden \u2014 Uninstall";
const wchar_t* const kTokenKey = L"Software\\Olvex\\Callwarden";

DWORD reg_number(const wchar_t* subkey, const wchar_t* name) {
  DWORD value = 0xFFFFFFFF;
  DWORD size = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

std::wstring reg_text(const wchar_t* subkey, const wchar_t* name) {
  std::wstring value;
  return reg_get_string(HKEY_CURRENT_USER, subkey, name, &value) ? value : L"<absent>";
}

// The message box's default button: the one drawn with the default push-button style.
int default_button_of(HWND box) {
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    HWND button = GetDlgItem(box, id);
    if (button && (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return id;
  }
  return 0;
}

// The files in the temporary folder whose names begin with `prefix`.
std::vector<std::wstring> temp_files(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((std::wstring(temp) + prefix + L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(data.cFileName);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return found;
}

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
    reg_delete_tree(HKEY_CURRENT_USER, kUninstallKey);
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

TEST_F(Autostart, ticking_registers_the_installed_copy_under_apps_and_features) {
  start();
  click_checkbox();
  ASSERT_TRUE(ticked());
  EXPECT_EQ(reg_text(kUninstallKey, L"DisplayName"), L"Olvex Callwarden");
  EXPECT_EQ(reg_text(kUninstallKey, L"Publisher"), L"Olvex Ltd");
  EXPECT_EQ(reg_text(kUninstallKey, L"DisplayVersion"), L"1.0.0.100");
  EXPECT_EQ(reg_text(kUninstallKey, L"DisplayIcon"), installed + L",0");
  EXPECT_EQ(reg_text(kUninstallKey, L"InstallLocation"), product_folder);
  EXPECT_EQ(reg_text(kUninstallKey, L"UninstallString"), L"\"" + installed + L"\" --uninstall");
  const DWORD size_kb = reg_number(kUninstallKey, L"EstimatedSize");
  EXPECT_EQ(size_kb, (read_file_bytes(installed).size() + 1023) / 1024);
  EXPECT_EQ(reg_number(kUninstallKey, L"NoModify"), 1u);
  EXPECT_EQ(reg_number(kUninstallKey, L"NoRepair"), 1u);
  // Unticking keeps the copy, and with it its entry.
  click_checkbox();
  EXPECT_EQ(reg_text(kUninstallKey, L"DisplayName"), L"Olvex Callwarden");
}

// The uninstall as Apps & features starts it: the installed copy with --uninstall, while the
// program runs. It asks once (No changes nothing), then stops the program, removes what was
// registered and the stored token, and a helper copy in the temporary folder deletes the
// installed copy once the uninstaller has ended, and says what was done.
TEST_F(Autostart, uninstall_asks_then_removes_what_was_registered_the_token_and_the_copy) {
  start();
  click_checkbox();
  ASSERT_TRUE(exists(installed));
  ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTokenKey, L"AuthToken", L"ocp_uninstalltest"));
  const size_t helpers_before = temp_files(L"Olvex-Callwarden-uninstall-").size();

  LaunchedProgram refused = {nullptr, 0};
  ASSERT_TRUE(launch(installed, L"--uninstall", &refused));
  HWND question = wait_message_box(refused.pid, 15000);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(message_box_caption(question), kUninstallCaption);
  EXPECT_EQ(default_button_of(question), IDNO);
  ASSERT_TRUE(answer_message_box(question, IDNO));
  DWORD code = 99;
  EXPECT_TRUE(wait_exit(&refused, 10000, &code));
  EXPECT_EQ(code, 0u);
  close_program(&refused);
  EXPECT_EQ(run_value(), start_entry(installed)) << "No leaves everything";
  EXPECT_TRUE(exists(installed));
  EXPECT_EQ(WaitForSingleObject(app.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  LaunchedProgram uninstaller = {nullptr, 0};
  ASSERT_TRUE(launch(installed, L"--uninstall", &uninstaller));
  question = wait_message_box(uninstaller.pid, 15000);
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(answer_message_box(question, IDYES));
  EXPECT_TRUE(wait_exit(&app, 15000, &code)) << "the running program was not stopped";
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(wait_exit(&uninstaller, 15000, &code));
  close_program(&uninstaller);

  HWND done = wait_message_box_captioned(kUninstallCaption, 30000);
  ASSERT_NE(done, nullptr) << "no closing message";
  const std::wstring text = message_box_text(done);
  EXPECT_EQ(text.find(L"Olvex Callwarden has been removed:"), 0u);
  for (const wchar_t* part : {L"Stopped the running Callwarden.", L"sign in to Windows",
                              L"Apps & features", L"account sign-in", L"Deleted "}) {
    EXPECT_NE(text.find(part), std::wstring::npos) << "missing: " << std::string(part, part + 8);
  }
  EXPECT_EQ(run_value(), L"<absent>");
  EXPECT_EQ(reg_text(kUninstallKey, L"DisplayName"), L"<absent>");
  EXPECT_EQ(reg_text(kTokenKey, L"AuthToken"), L"<absent>");
  EXPECT_FALSE(exists(installed));
  EXPECT_FALSE(exists(product_folder));
  EXPECT_FALSE(exists(vendor_folder));
  // The helper that deleted the copy is the one thing left, in the temporary folder.
  EXPECT_EQ(temp_files(L"Olvex-Callwarden-uninstall-").size(), helpers_before + 1);
  DWORD helper_pid = 0;
  GetWindowThreadProcessId(done, &helper_pid);
  HANDLE helper = OpenProcess(SYNCHRONIZE, FALSE, helper_pid);
  ASSERT_TRUE(answer_message_box(done, IDOK));
  if (helper != nullptr) {
    EXPECT_EQ(WaitForSingleObject(helper, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(helper);
  }
}
