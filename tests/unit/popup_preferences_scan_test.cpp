#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "popup_cleaner/preferences_scan.h"

namespace {

struct Scan {
  int count;
  std::string after; // the text after an apply-mode scan
};

// The text in a heap block of exactly its size plus the NUL, as the file reader makes it,
// so AddressSanitizer sees any read past the end.
int scan_exact(const std::string& text, bool apply, std::string* after) {
  std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
  memcpy(buffer.get(), text.data(), text.size());
  buffer[text.size()] = '\0';
  const int count = scan_preferences_text(buffer.get(), apply);
  after->assign(buffer.get(), text.size());
  return count;
}

// Runs the scanner in both modes: count-only must agree with apply and change nothing.
Scan scan(const std::string& text) {
  std::string counted;
  const int counted_only = scan_exact(text, false, &counted);
  EXPECT_EQ(counted, text) << "count-only mode changed the text";
  std::string applied;
  const int count = scan_exact(text, true, &applied);
  EXPECT_EQ(counted_only, count);
  return Scan{count, applied};
}

int count_of(const std::string& text) { return scan(text).count; }

// A notifications object under exceptions holding the given members.
std::string prefs(const std::string& members) {
  return "{\"profile\":{\"content_settings\":{\"exceptions\":{\"notifications\":{" + members +
         "}}}}}";
}

std::string site(const std::string& key, const std::string& value) {
  return "\"" + key + "\":" + value;
}

// Positions where the two texts differ.
std::string::size_type first_difference(const std::string& a, const std::string& b) {
  for (std::string::size_type i = 0; i < a.size() && i < b.size(); i++)
    if (a[i] != b[i]) return i;
  return std::string::npos;
}

int differences(const std::string& a, const std::string& b) {
  int n = 0;
  for (std::string::size_type i = 0; i < a.size(); i++)
    if (a[i] != b[i]) n++;
  return n;
}

} // namespace

TEST(PreferencesScanGrant, a_granted_site_changes_in_exactly_its_setting_byte) {
  const std::string text =
      prefs(site("https://spam.example:443,*",
                 "{\"last_modified\":\"13350123456789012\",\"model\":0,\"setting\":1}"));
  const Scan result = scan(text);
  EXPECT_EQ(result.count, 1);
  const std::string::size_type at = text.find("\"setting\":1") + 10;
  EXPECT_EQ(first_difference(text, result.after), at);
  EXPECT_EQ(result.after[at], '2');
  EXPECT_EQ(differences(text, result.after), 1);
}

TEST(PreferencesScanGrant, only_setting_one_is_counted_and_every_grant_changes) {
  const std::string text = prefs(site("https://a.example:443,*", "{\"setting\":1}") + "," +
                                 site("https://b.example:443,*", "{\"setting\":2}") + "," +
                                 site("https://c.example:443,*", "{\"setting\":3}") + "," +
                                 site("https://d.example:443,*", "{\"setting\":1}"));
  const Scan result = scan(text);
  EXPECT_EQ(result.count, 2);
  EXPECT_EQ(differences(text, result.after), 2);
  EXPECT_EQ(result.after.find("\"setting\":1"), std::string::npos);
}

TEST(PreferencesScanGrant, the_one_must_stand_alone) {
  // Followed by , } space CR LF: a grant. Followed by a tab, a digit or anything else: not.
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1,\"x\":0}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1 }"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1\r\n}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1\n}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1\t}"))), 0);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":10}"))), 0);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":1.0}"))), 0);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":\"1\"}"))), 0);
}

TEST(PreferencesScanGrant, spaces_tabs_and_colons_may_separate_the_token_from_the_one) {
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\" : 1}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\"::1}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\" 1}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\"\t:\t1}"))), 1);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\":\n1}"))), 0);
  EXPECT_EQ(count_of(prefs(site("s.example", "{\"setting\"\r\n: 1}"))), 0);
}

TEST(PreferencesScanGrant, a_site_is_counted_once_however_many_grants_it_holds) {
  const std::string text = prefs(site("s.example", "{\"setting\":1,\"setting\":1}"));
  const Scan result = scan(text);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(first_difference(text, result.after), text.find("\"setting\":1") + 10);
  EXPECT_NE(result.after.find("\"setting\":1"), std::string::npos);
}

TEST(PreferencesScanGrant, the_first_grant_in_text_order_wins_even_when_nested) {
  const std::string nested_first =
      prefs(site("s.example", "{\"inner\":{\"setting\":1},\"setting\":2}"));
  Scan result = scan(nested_first);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(first_difference(nested_first, result.after), nested_first.find("\"setting\":1") + 10);

  const std::string own_three_first =
      prefs(site("s.example", "{\"setting\":3,\"inner\":{\"setting\":1}}"));
  result = scan(own_three_first);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(first_difference(own_three_first, result.after),
            own_three_first.find("\"setting\":1") + 10);
}

TEST(PreferencesScanTrust, trusted_domains_are_left_alone_in_any_case_or_inside_longer_hosts) {
  for (int i = 0; i < TRUSTED_DOMAIN_COUNT; i++) {
    const std::string domain = trusted_domains[i];
    EXPECT_EQ(count_of(prefs(site("https://" + domain + ":443,*", "{\"setting\":1}"))), 0)
        << domain;
  }
  EXPECT_EQ(count_of(prefs(site("https://WWW.BBC.CO.UK:443,*", "{\"setting\":1}"))), 0);
  EXPECT_EQ(count_of(prefs(site("https://mail.Google.Com.evil.example:443,*", "{\"setting\":1}"))),
            0);
  EXPECT_EQ(count_of(prefs(site("https://notgov.uk.example:443,*", "{\"setting\":1}"))), 0);
  EXPECT_EQ(count_of(prefs(site("https://bbc.co.example:443,*", "{\"setting\":1}"))), 1);
}

TEST(PreferencesScanTrust, the_list_holds_nine_distinct_lower_case_domains_after_the_vendor) {
  EXPECT_STREQ(trusted_domains[0], "olvex.example");
  EXPECT_STREQ(trusted_domains[TRUSTED_DOMAIN_COUNT], "");
  for (int i = 0; i < TRUSTED_DOMAIN_COUNT; i++) {
    const std::string domain = trusted_domains[i];
    EXPECT_FALSE(domain.empty());
    EXPECT_NE(domain.find('.'), std::string::npos);
    for (char c : domain)
      EXPECT_FALSE(c >= 'A' && c <= 'Z') << domain;
    for (int j = 0; j < i; j++)
      EXPECT_NE(domain, trusted_domains[j]);
  }
}

TEST(PreferencesScanTrust, only_the_first_255_bytes_of_a_key_are_tested) {
  // "gov.uk" ending at byte 255 is seen; one byte later it is not.
  const std::string ends_at_255 = std::string(249, 'x') + "gov.uk";
  const std::string ends_at_256 = std::string(250, 'x') + "gov.uk";
  ASSERT_EQ(ends_at_255.size(), 255u);
  EXPECT_EQ(count_of(prefs(site(ends_at_255, "{\"setting\":1}"))), 0);
  EXPECT_EQ(count_of(prefs(site(ends_at_256, "{\"setting\":1}"))), 1);
  // A very long key is still read to its end, so the next member is examined.
  EXPECT_EQ(count_of(prefs(site(std::string(5000, 'k'), "{\"setting\":1}") + "," +
                           site("s.example", "{\"setting\":1}"))),
            2);
}

TEST(PreferencesScanKeys, escapes_are_not_decoded_but_keep_the_scan_in_step) {
  // a\"b is the key a"b; the member after it is still found.
  EXPECT_EQ(count_of(prefs(site("a\\\"b", "{\"setting\":1}") + "," +
                           site("s.example", "{\"setting\":1}"))),
            2);
  // An escaped quote inside a trusted key keeps the key whole, so it stays trusted.
  EXPECT_EQ(count_of(prefs(site("x\\\"bbc.co.uk", "{\"setting\":1}"))), 0);
  // bbc\u002eco.uk does not spell bbc.co.uk once its escape is merely unpicked.
  EXPECT_EQ(count_of(prefs(site("https://bbc\\u002eco.uk:443,*", "{\"setting\":1}"))), 1);
  // An escaped backslash does not escape the closing quote.
  EXPECT_EQ(count_of(prefs(site("a\\\\", "{\"setting\":1}") + "," +
                           site("s.example", "{\"setting\":1}"))),
            2);
}

TEST(PreferencesScanKeys, an_empty_key_is_never_counted_or_changed) {
  const std::string text = prefs(site("", "{\"setting\":1}"));
  const Scan result = scan(text);
  EXPECT_EQ(result.count, 0);
  EXPECT_EQ(result.after, text);
}

TEST(PreferencesScanStructure, braces_inside_strings_do_not_move_a_value_s_end) {
  // Were "}{" counted, the value would end early and its grant would be missed, or the
  // next site swallowed.
  EXPECT_EQ(count_of(prefs(site("a.example", "{\"note\":\"}{\",\"setting\":1}") + "," +
                           site("b.example", "{\"setting\":1}"))),
            2);
  EXPECT_EQ(count_of(prefs(site("a.example", "{\"note\":\"{\",\"setting\":2}") + "," +
                           site("b.example", "{\"setting\":1}"))),
            1);
  EXPECT_EQ(count_of(prefs(site("a.example", "{\"note\":\"\\\"}\",\"setting\":1}"))), 1);
}

TEST(PreferencesScanStructure, a_member_that_is_not_an_object_is_passed_over) {
  EXPECT_EQ(count_of(prefs(site("a.example", "5") + "," + site("b.example", "{\"setting\":1}"))),
            1);
  EXPECT_EQ(count_of(prefs(site("a.example", "true") + "," + site("b.example", "{\"setting\":1}"))),
            1);
  // An object straight after such a value is stepped over whole, strings and all.
  EXPECT_EQ(count_of(prefs(site("a.example", "5 {\"x\":\"}\",\"setting\":1}") + "," +
                           site("b.example", "{\"setting\":1}"))),
            1);
}

TEST(PreferencesScanStructure, the_scan_ends_with_the_notifications_object) {
  EXPECT_EQ(count_of(prefs("")), 0);
  const std::string after =
      "{\"exceptions\":{\"notifications\":{},\"popups\":{\"s.example\":{\"setting\":1}}}}";
  EXPECT_EQ(count_of(after), 0);
}

TEST(PreferencesScanLocate, the_notifications_object_is_the_first_after_exceptions) {
  const std::string before = "{\"notifications\":{\"early.example\":{\"setting\":1}},"
                             "\"exceptions\":{\"notifications\":{\"late.example\":{\"setting\":"
                             "1},\"later.example\":{\"setting\":1}}}}";
  const Scan result = scan(before);
  EXPECT_EQ(result.count, 2);
  EXPECT_EQ(result.after.find("\"early.example\":{\"setting\":1}"),
            before.find("\"early.example\":{\"setting\":1}"));
  // Without exceptions, the first notifications object is used.
  EXPECT_EQ(count_of("{\"notifications\":{\"a.example\":{\"setting\":1}},"
                     "\"notifications\":{\"b.example\":{\"setting\":1},\"c.example\":{\"setting\":"
                     "1}}}"),
            1);
}

TEST(PreferencesScanLocate, no_object_to_scan_gives_nothing) {
  EXPECT_EQ(count_of("{\"exceptions\":{\"popups\":{\"s.example\":{\"setting\":1}}}}"), 0);
  EXPECT_EQ(count_of("{\"exceptions\":{\"notifications\":1}}"), 0);
  EXPECT_EQ(count_of("\"notifications\""), 0);
  EXPECT_EQ(count_of(""), 0);
  EXPECT_EQ(scan_preferences_text(nullptr, true), 0);
  // A token before exceptions but none after: nothing is used.
  EXPECT_EQ(count_of("{\"notifications\":{\"a.example\":{\"setting\":1}},\"exceptions\":{}}"), 0);
}

TEST(PreferencesScanEnds, a_text_cut_anywhere_is_scanned_without_reading_past_its_end) {
  const std::string whole =
      prefs(site("a.example", "{\"last_modified\":\"1\\\"3\",\"setting\":1}") + "," +
            site("b.example", "{\"setting\":1}"));
  for (std::string::size_type n = 0; n <= whole.size(); n++) {
    const int count = count_of(whole.substr(0, n)); // ASan catches an overrun
    EXPECT_LE(count, 2);
  }
  // A value cut right after its grant still counts when the grant's next byte is there.
  EXPECT_EQ(count_of("{\"exceptions\":{\"notifications\":{\"a.example\":{\"setting\":1,"), 1);
  EXPECT_EQ(count_of("{\"exceptions\":{\"notifications\":{\"a.example\":{\"setting\":1"), 0);
  // A backslash as the very last byte, in a key and in a nested string.
  EXPECT_EQ(count_of("{\"notifications\":{\"abc\\"), 0);
  EXPECT_EQ(count_of("{\"notifications\":{\"a\":5{\"x\\"), 0);
}

TEST(PreferencesScanEnds, the_text_stops_at_its_first_nul) {
  std::string text = prefs(site("a.example", "{\"setting\":1}"));
  text[text.find("\"setting\"") - 1] = '\0';
  std::string copy = text;
  EXPECT_EQ(scan_preferences_text(&copy[0], true), 0);
  EXPECT_EQ(copy, text);
}

TEST(PreferencesFileSize, from_17_bytes_to_16_mebibytes) {
  EXPECT_FALSE(preferences_size_acceptable(0));
  EXPECT_FALSE(preferences_size_acceptable(16));
  EXPECT_TRUE(preferences_size_acceptable(17));
  EXPECT_TRUE(preferences_size_acceptable(16777216));
  EXPECT_FALSE(preferences_size_acceptable(16777217));
  EXPECT_FALSE(preferences_size_acceptable(UINT64_MAX));
  EXPECT_FALSE(preferences_size_acceptable(uint64_t{1} << 32 | 100));
}
