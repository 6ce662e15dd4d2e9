#include <gtest/gtest.h>

#include <string>

#include "popup_cleaner/preferences_scan.h"

// Preferences files in the shape the browsers write them: one line of compact JSON with keys
// in sorted order, the notifications object under profile.content_settings.exceptions beside
// its look-alikes (notification_interactions, the default setting), and site keys carrying
// the scheme, the port and a wildcard for the embedding site.

namespace {

std::string grant(const std::string& origin, int setting, const std::string& extra = "") {
  return "\"" + origin + ",*\":{" + extra +
         "\"last_modified\":\"13350123456789012\",\"setting\":" + std::to_string(setting) + "}";
}

std::string chrome_preferences(const std::string& notifications) {
  return "{\"account_info\":[],\"alternate_error_pages\":{\"backup\":true},\"browser\":{"
         "\"has_seen_welcome_page\":true,\"window_placement\":{\"bottom\":1050,\"left\":10,"
         "\"maximized\":false,\"right\":1210,\"top\":10}},\"profile\":{\"avatar_index\":26,"
         "\"content_settings\":{\"exceptions\":{\"app_banner\":{},\"media_engagement\":{"
         "\"https://www.youtube.com:443,*\":{\"expiration\":\"0\",\"last_modified\":"
         "\"13350000000000000\",\"model\":0,\"setting\":{\"hasHighScore\":false,\"lastMediaPlay"
         "backTime\":0.0,\"mediaPlaybacks\":1,\"visits\":3}}},\"notification_interactions\":{"
         "\"https://push.example:443,*\":{\"last_modified\":\"13350000000000000\",\"setting\":{"
         "\"display_count\":1}}},\"notification_permission_review\":{},\"notifications\":{" +
         notifications +
         "},\"popups\":{\"https://push.example:443,*\":{\"last_modified\":\"13350000000000000\","
         "\"setting\":1}},\"site_engagement\":{\"https://push.example:443,*\":{\"last_modified\":"
         "\"13350000000000000\",\"setting\":{\"lastEngagementTime\":1.3e+16,\"rawScore\":4.5}}}},"
         "\"pref_version\":1},\"default_content_setting_values\":{\"notifications\":1},"
         "\"exit_type\":\"Normal\",\"name\":\"Person 1\"}}";
}

std::string edge_preferences(const std::string& notifications) {
  return "{\"browser\":{\"show_home_button\":true},\"edge\":{\"profile_sso_info\":{"
         "\"is_msa_first_profile\":true},\"services\":{\"signin_scoped_device_id\":\"5f0c\"}},"
         "\"profile\":{\"content_settings\":{\"exceptions\":{\"notifications\":{" +
         notifications +
         "},\"sound\":{}},\"enable_quiet_permission_ui\":{\"notifications\":false}},"
         "\"exit_type\":\"Crashed\"}}";
}

int apply(std::string* text) { return scan_preferences_text(&(*text)[0], true); }

} // namespace

TEST(RealisticPreferences, chrome_file_has_its_untrusted_grants_blocked_and_nothing_else) {
  const std::string before = chrome_preferences(
      grant("https://win-prize-alerts.example:443", 1) + "," +
      grant("https://www.bbc.co.uk:443", 1) + "," +
      grant("https://virus-scan-now.example:443", 1, "\"expiration\":\"0\",\"model\":0,") + "," +
      grant("https://calendar.example:443", 2) + "," +
      grant("https://support.microsoft.com:443", 1) + "," +
      grant("https://push.example:443", 1, "\"lifetime\":\"0\","));
  std::string after = before;
  EXPECT_EQ(apply(&after), 3);
  ASSERT_EQ(after.size(), before.size());
  int changed = 0;
  for (std::string::size_type i = 0; i < before.size(); i++) {
    if (before[i] == after[i]) continue;
    changed++;
    EXPECT_EQ(before[i], '1');
    EXPECT_EQ(after[i], '2');
  }
  EXPECT_EQ(changed, 3);
  // The look-alike objects and the default setting keep their values.
  EXPECT_NE(after.find("\"popups\":{\"https://push.example:443,*\":{\"last_modified\":"
                       "\"13350000000000000\",\"setting\":1}"),
            std::string::npos);
  EXPECT_NE(after.find("\"default_content_setting_values\":{\"notifications\":1}"),
            std::string::npos);
  EXPECT_NE(after.find(grant("https://www.bbc.co.uk:443", 1)), std::string::npos);
  EXPECT_NE(after.find(grant("https://support.microsoft.com:443", 1)), std::string::npos);
  EXPECT_NE(after.find(grant("https://win-prize-alerts.example:443", 2)), std::string::npos);
  // Scanned again, the file has nothing left to block.
  EXPECT_EQ(apply(&after), 0);
}

TEST(RealisticPreferences, edge_file_with_only_trusted_or_blocked_sites_is_left_alone) {
  const std::string text = edge_preferences(grant("https://outlook.live.com:443", 1) + "," +
                                            grant("https://www.gov.uk:443", 1) + "," +
                                            grant("https://spam.example:443", 2));
  std::string after = text;
  EXPECT_EQ(apply(&after), 0);
  EXPECT_EQ(after, text);
}

TEST(RealisticPreferences, edge_file_grants_are_found_past_the_quiet_ui_look_alike) {
  std::string text =
      edge_preferences(grant("https://deals.example:443", 1) + "," + grant("http://[::1]:8080", 1));
  EXPECT_EQ(apply(&text), 2);
}

TEST(RealisticPreferences, a_pretty_printed_file_with_crlf_line_ends_is_read_the_same) {
  std::string text = "{\r\n   \"profile\": {\r\n      \"content_settings\": {\r\n"
                     "         \"exceptions\": {\r\n            \"notifications\": {\r\n"
                     "               \"https://a.example:443,*\": {\r\n"
                     "                  \"last_modified\": \"13350123456789012\",\r\n"
                     "                  \"setting\": 1\r\n               },\r\n"
                     "               \"https://www.google.co.uk:443,*\": {\r\n"
                     "                  \"setting\": 1\r\n               }\r\n"
                     "            }\r\n         }\r\n      }\r\n   }\r\n}\r\n";
  const std::string before = text;
  EXPECT_EQ(apply(&text), 1);
  EXPECT_NE(text.find("\"setting\": 2\r\n               },"), std::string::npos);
  EXPECT_EQ(text.size(), before.size());
}
