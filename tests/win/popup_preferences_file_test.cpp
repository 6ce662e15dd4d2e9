// Reading, backing up and rewriting real Preferences files in the prefix's local app data.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "popup_cleaner/popup_cleaner.h"
#include "popup_cleaner/preferences_file.h"

namespace {

std::wstring local_app_data() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path))) return L"";
  return path;
}

std::string read_bytes(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof(chunk), &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(f);
  return bytes;
}

bool write_bytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string grant(const std::string& origin, int setting) {
  return "\"" + origin + ":443,*\":{\"last_modified\":\"13350123456789012\",\"setting\":" +
         std::to_string(setting) + "}";
}

std::string preferences(const std::string& notifications) {
  return "{\"browser\":{\"has_seen_welcome_page\":true},\"profile\":{\"content_settings\":{"
         "\"exceptions\":{\"notification_interactions\":{},\"notifications\":{" +
         notifications + "},\"popups\":{}},\"pref_version\":1},\"exit_type\":\"Normal\"}}";
}

// Three untrusted grants, one trusted grant and one site already blocked.
std::string three_grants() {
  return preferences(grant("https://alerts.example", 1) + "," + grant("https://www.bbc.co.uk", 1) +
                     "," + grant("https://prize.example", 1) + "," +
                     grant("https://calendar.example", 2) + "," + grant("https://scan.example", 1));
}

// Only '1' -> '2' changes, and how many.
int blocked_bytes(const std::string& before, const std::string& after) {
  if (before.size() != after.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < before.size(); i++) {
    if (before[i] == after[i]) continue;
    if (before[i] != '1' || after[i] != '2') return -1;
    n++;
  }
  return n;
}

// Another process holding the file open, as a browser or a scanner would.
struct Locker {
  PROCESS_INFORMATION process = {};
  bool start(const std::wstring& path, const wchar_t* access, const wchar_t* share) {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring exe = own;
    exe = exe.substr(0, exe.find_last_of(L"\\/")) + L"\\file_locker.exe";
    if (!exists(exe)) {
      ADD_FAILURE() << "file_locker.exe is built with the end-to-end helpers; build them first";
      return false;
    }
    const std::wstring event_name = L"Local\\CallwardenLocker" + std::to_wstring(GetTickCount64());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
    std::wstring command =
        L"\"" + exe + L"\" \"" + path + L"\" " + access + L" " + share + L" " + event_name;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &process)) {
      CloseHandle(ready);
      return false;
    }
    HANDLE both[2] = {ready, process.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, both, FALSE, 15000);
    CloseHandle(ready);
    return woke == WAIT_OBJECT_0;
  }
  ~Locker() {
    if (process.hProcess == nullptr) return;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
};

class PreferencesFile : public ::testing::Test {
protected:
  std::wstring folder;
  std::wstring path;
  std::wstring backup;
  void SetUp() override {
    const std::wstring base = local_app_data();
    ASSERT_FALSE(base.empty());
    folder = base + L"\\CallwardenPopupTest";
    remove_tree(folder);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    path = folder + L"\\Preferences";
    backup = path + L".callwarden.bak";
  }
  void TearDown() override { remove_tree(folder); }
};

} // namespace

TEST_F(PreferencesFile, blocking_backs_up_the_original_and_changes_only_the_grants) {
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  bool blocked = false;
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true, &blocked), 3);
  EXPECT_TRUE(blocked);
  EXPECT_EQ(blocked_bytes(original, read_bytes(path)), 3);
  EXPECT_EQ(read_bytes(backup), original);
  // The blocked file has nothing left, so a second run leaves both files alone.
  const std::string cleaned = read_bytes(path);
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true, &blocked), 0);
  EXPECT_FALSE(blocked);
  EXPECT_EQ(read_bytes(path), cleaned);
  EXPECT_EQ(read_bytes(backup), original);
}

TEST_F(PreferencesFile, an_older_backup_is_replaced) {
  ASSERT_TRUE(write_bytes(backup, "an older backup of another day"));
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 3);
  EXPECT_EQ(read_bytes(backup), original);
}

TEST_F(PreferencesFile, counting_or_finding_nothing_touches_no_file) {
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  bool blocked = true;
  EXPECT_EQ(scan_notification_permissions(path.c_str(), false, &blocked), 3);
  EXPECT_FALSE(blocked);
  EXPECT_EQ(read_bytes(path), original);
  EXPECT_FALSE(exists(backup));

  const std::string clean = preferences(grant("https://www.gov.uk", 1));
  ASSERT_TRUE(write_bytes(path, clean));
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 0);
  EXPECT_EQ(read_bytes(path), clean);
  EXPECT_FALSE(exists(backup));
}

TEST_F(PreferencesFile, a_missing_file_or_a_folder_counts_nothing_and_nothing_is_made) {
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 0);
  EXPECT_FALSE(exists(path));
  EXPECT_FALSE(exists(backup));
  EXPECT_EQ(scan_notification_permissions(folder.c_str(), true), 0);
}

TEST_F(PreferencesFile, files_up_to_16_mib_are_read_and_larger_ones_are_not) {
  std::string text = three_grants();
  text.resize(16777216, ' ');
  ASSERT_TRUE(write_bytes(path, text));
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 3);
  EXPECT_EQ(blocked_bytes(text, read_bytes(path)), 3);

  text.push_back(' ');
  ASSERT_TRUE(write_bytes(path, text));
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 0);
  EXPECT_EQ(read_bytes(path), text);
}

TEST_F(PreferencesFile, a_file_held_open_by_a_browser_is_counted_and_left_as_it_was) {
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  {
    // Open for writing, readers let in: counting works, but it cannot be backed up or rewritten.
    Locker browser;
    ASSERT_TRUE(browser.start(path, L"rw", L"r"));
    bool blocked = true;
    EXPECT_EQ(scan_notification_permissions(path.c_str(), true, &blocked), 3);
    EXPECT_FALSE(blocked);
  }
  EXPECT_EQ(read_bytes(path), original);
  DeleteFileW(backup.c_str());
  {
    // Open for reading with writers shut out: the backup is made but the rewrite cannot start.
    Locker reader;
    ASSERT_TRUE(reader.start(path, L"r", L"r"));
    bool blocked = true;
    EXPECT_EQ(scan_notification_permissions(path.c_str(), true, &blocked), 3);
    EXPECT_FALSE(blocked);
  }
  EXPECT_EQ(read_bytes(path), original);
  EXPECT_EQ(read_bytes(backup), original);
}

TEST_F(PreferencesFile, a_file_held_without_any_sharing_cannot_be_read_and_counts_nothing) {
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  {
    Locker holder;
    ASSERT_TRUE(holder.start(path, L"rw", L"none"));
    EXPECT_EQ(scan_notification_permissions(path.c_str(), true), 0);
  }
  EXPECT_EQ(read_bytes(path), original);
  EXPECT_FALSE(exists(backup));
}

TEST_F(PreferencesFile, without_a_backup_the_file_is_not_rewritten) {
  // A folder where the backup should go makes the copy fail.
  ASSERT_TRUE(CreateDirectoryW(backup.c_str(), nullptr));
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(path, original));
  bool blocked = true;
  EXPECT_EQ(scan_notification_permissions(path.c_str(), true, &blocked), 3);
  EXPECT_FALSE(blocked);
  EXPECT_EQ(read_bytes(path), original);
}

TEST_F(PreferencesFile, a_path_too_long_for_its_backup_name_is_not_rewritten) {
  // The backup name adds 15 characters; past 259 in all, it could only be cut.
  const std::wstring deep = folder + L"\\" + std::wstring(250 - folder.size() - 13, L'd');
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  const std::wstring long_path = deep + L"\\Preferences";
  ASSERT_GT(long_path.size() + 15, 259u);
  ASSERT_LE(long_path.size(), 259u);
  const std::string original = three_grants();
  ASSERT_TRUE(write_bytes(long_path, original));
  bool blocked = true;
  EXPECT_EQ(scan_notification_permissions(long_path.c_str(), true, &blocked), 3);
  EXPECT_FALSE(blocked);
  EXPECT_EQ(read_bytes(long_path), original);
}

namespace {

DWORD write_half_then_fail(HANDLE file, const char* bytes, DWORD size) {
  DWORD written = 0;
  WriteFile(file, bytes, size / 2, &written, nullptr);
  return written;
}

DWORD write_nothing(HANDLE, const char*, DWORD) { return 0; }

// Writes everything but reports one byte short, as a write cut by a full disk would.
DWORD write_all_report_short(HANDLE file, const char* bytes, DWORD size) {
  DWORD written = 0;
  WriteFile(file, bytes, size, &written, nullptr);
  return written - 1;
}

} // namespace

TEST_F(PreferencesFile, a_failed_or_short_rewrite_puts_the_original_bytes_back) {
  const std::string original = three_grants();
  std::string patched = original;
  for (char& c : patched)
    if (c == '1') c = '2';
  const PreferencesWriter faulty[] = {write_half_then_fail, write_nothing, write_all_report_short};
  for (PreferencesWriter writer : faulty) {
    ASSERT_TRUE(write_bytes(path, original));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(write_patched_or_restore(file, patched.data(), original.data(),
                                       static_cast<DWORD>(original.size()), writer),
              REWRITE_RESTORED);
    CloseHandle(file);
    EXPECT_EQ(read_bytes(path), original);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(write_patched_or_restore(file, patched.data(), original.data(),
                                     static_cast<DWORD>(original.size()), write_preferences_bytes),
            REWRITE_DONE);
  CloseHandle(file);
  EXPECT_EQ(read_bytes(path), patched);
}

TEST(ProcessRunning, a_process_is_found_by_its_executable_name_in_any_case) {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring name = own;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  EXPECT_TRUE(is_process_running(name.c_str()));
  std::wstring upper = name;
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  EXPECT_TRUE(is_process_running(upper.c_str()));
  EXPECT_FALSE(is_process_running((L"x" + name).c_str()));
  EXPECT_FALSE(is_process_running(name.substr(0, name.size() - 4).c_str())) << "without .exe";
  EXPECT_FALSE(is_process_running(L"no-such-browser.exe"));
}
