#include <gtest/gtest.h>

#include <string>

#include "autostart/install_paths.h"

TEST(InstallPaths, the_copy_goes_under_olvex_callwarden_in_local_app_data) {
  InstallPaths paths;
  ASSERT_TRUE(make_install_paths(L"C:\\Users\\me\\AppData\\Local", &paths));
  EXPECT_EQ(std::wstring(paths.vendor_folder), L"C:\\Users\\me\\AppData\\Local\\Olvex");
  EXPECT_EQ(std::wstring(paths.product_folder),
            L"C:\\Users\\me\\AppData\\Local\\Olvex\\Callwarden");
  EXPECT_EQ(std::wstring(paths.executable),
            L"C:\\Users\\me\\AppData\\Local\\Olvex\\Callwarden\\Olvex-Callwarden.exe");
}

TEST(InstallPaths, a_folder_too_long_for_the_installed_name_gives_no_paths) {
  InstallPaths paths;
  const std::wstring tail = L"\\Olvex\\Callwarden\\Olvex-Callwarden.exe";
  const std::wstring fits(259 - tail.size(), L'a');
  EXPECT_TRUE(make_install_paths(fits.c_str(), &paths));
  EXPECT_EQ(std::wstring(paths.executable).size(), 259u);
  const std::wstring too_long = fits + L"a";
  EXPECT_FALSE(make_install_paths(too_long.c_str(), &paths));
  EXPECT_FALSE(make_install_paths(L"", &paths));
  EXPECT_FALSE(make_install_paths(nullptr, &paths));
}

TEST(StartEntry, the_path_is_quoted_and_followed_by_the_tray_flag) {
  wchar_t entry[START_ENTRY_CAPACITY];
  format_start_entry(entry, START_ENTRY_CAPACITY, L"C:\\Program Files\\x\\Olvex-Callwarden.exe");
  EXPECT_EQ(std::wstring(entry), L"\"C:\\Program Files\\x\\Olvex-Callwarden.exe\" --tray");
  // The longest path a 260-unit buffer holds still fits whole.
  const std::wstring longest(259, L'p');
  format_start_entry(entry, START_ENTRY_CAPACITY, longest.c_str());
  EXPECT_EQ(std::wstring(entry), L"\"" + longest + L"\" --tray");
  wchar_t small[8];
  format_start_entry(small, 8, L"C:\\abcdef");
  EXPECT_EQ(std::wstring(small), L"\"C:\\abc"); // cut to 7 units
}
