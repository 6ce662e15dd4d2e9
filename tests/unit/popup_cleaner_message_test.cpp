#include <gtest/gtest.h>

#include <string>

#include "popup_cleaner/cleaner_message.h"
#include "popup_cleaner/file_names.h"

namespace {

CleanerMessage compose(int chrome_count, bool chrome_blocked, int edge_count, bool edge_blocked) {
  CleanerMessage message;
  compose_cleaner_message(BrowserScan{chrome_count, chrome_blocked},
                          BrowserScan{edge_count, edge_blocked}, &message);
  return message;
}

std::wstring pending_text(int total, int chrome, int edge, const std::wstring& browsers) {
  return L"Found " + std::to_wstring(total) + L" untrusted push-notification site(s) (" +
         std::to_wstring(chrome) + L" in Chrome, " + std::to_wstring(edge) +
         L" in Edge).\r\n\r\nPlease close " + browsers +
         L" first and click 'Clean Fake Virus Pop-Ups' again so Callwarden can safely back up "
         L"and block them without the browser overwriting its Preferences file.";
}

} // namespace

TEST(CleanerMessage, nothing_found_names_four_trusted_sites_with_and) {
  const CleanerMessage m = compose(0, false, 0, false);
  EXPECT_EQ(std::wstring(m.text),
            L"All Clear! 0 untrusted browser notification spam sites were found in Google Chrome "
            L"or Microsoft Edge.\r\n\r\n(Trusted sites like olvex.example, google.com, "
            L"microsoft.com, and bbc.co.uk are always preserved.)");
  EXPECT_EQ(std::wstring(m.caption), L"Olvex Callwarden \u2014 Pop-Up Cleaner");
  EXPECT_EQ(m.icon, CLEANER_ICON_INFORMATION);
}

TEST(CleanerMessage, blocked_gives_total_and_each_browser_s_count) {
  const CleanerMessage m = compose(3, true, 0, false);
  EXPECT_EQ(
      std::wstring(m.text),
      L"Success! Backed up your browser Preferences (.callwarden.bak) and blocked 3 untrusted "
      L"push-notification site(s) (3 in Chrome, 0 in Edge).\r\n\r\nYour bookmarks, saved "
      L"passwords, and trusted sites (olvex.example, google.com, microsoft.com, bbc.co.uk) "
      L"were completely untouched.");
  EXPECT_EQ(std::wstring(m.caption), L"Olvex Callwarden \u2014 Pop-Ups Cleaned");
  EXPECT_EQ(m.icon, CLEANER_ICON_INFORMATION);
  // A running browser without grants is not pending, so this is a success too.
  EXPECT_EQ(std::wstring(compose(0, false, 2, true).caption),
            L"Olvex Callwarden \u2014 Pop-Ups Cleaned");
  EXPECT_NE(std::wstring(compose(0, false, 2, true).text).find(L"blocked 2 untrusted"),
            std::wstring::npos);
}

TEST(CleanerMessage, pending_names_only_the_browsers_whose_grants_are_not_blocked) {
  CleanerMessage m = compose(2, false, 1, true);
  EXPECT_EQ(std::wstring(m.text), pending_text(3, 2, 1, L"Google Chrome"));
  EXPECT_EQ(std::wstring(m.caption), L"Olvex Callwarden \u2014 Close Browser to Finish Cleaning");
  EXPECT_EQ(m.icon, CLEANER_ICON_WARNING);

  m = compose(4, false, 5, false);
  EXPECT_EQ(std::wstring(m.text), pending_text(9, 4, 5, L"Google Chrome and Microsoft Edge"));

  m = compose(0, false, 6, false);
  EXPECT_EQ(std::wstring(m.text), pending_text(6, 0, 6, L"Microsoft Edge"));
  EXPECT_EQ(m.icon, CLEANER_ICON_WARNING);
}

TEST(CleanerFileNames, a_name_that_does_not_fit_is_refused_not_cut) {
  wchar_t out[20];
  EXPECT_TRUE(join_file_name(out, 20, L"C:\\p", BACKUP_SUFFIX)); // 19 units and the NUL
  EXPECT_EQ(std::wstring(out), L"C:\\p.callwarden.bak");
  EXPECT_FALSE(join_file_name(out, 20, L"C:\\pp", BACKUP_SUFFIX));
  EXPECT_EQ(out[0], L'\0');
  wchar_t path[260];
  EXPECT_TRUE(join_file_name(path, 260, L"C:\\Users\\me\\AppData\\Local", CHROME_PREFERENCES_TAIL));
  EXPECT_EQ(std::wstring(path),
            L"C:\\Users\\me\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Preferences");
  EXPECT_TRUE(join_file_name(path, 260, L"C:\\L", EDGE_PREFERENCES_TAIL));
  EXPECT_EQ(std::wstring(path), L"C:\\L\\Microsoft\\Edge\\User Data\\Default\\Preferences");
}
