#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "service/json_text.h"

namespace {

std::string escape(const std::string& source, size_t capacity = 256) {
  std::string out(capacity + 16, '#');
  json_escape(source.c_str(), &out[0], capacity);
  EXPECT_EQ(out[capacity], '#') << "wrote past the capacity";
  return std::string(out.c_str());
}

// Decodes `json` (starting at its opening quote) and returns the bytes stored
// and how far the reader got.
struct Decoded {
  std::string text;
  size_t consumed;
};

Decoded decode(const std::string& json, size_t capacity = 64) {
  std::string out(capacity + 16, '#');
  const char* end = json_read_string(json.c_str(), &out[0], capacity);
  EXPECT_EQ(out[capacity], '#') << "wrote past the capacity";
  return {std::string(out.c_str()), static_cast<size_t>(end - json.c_str())};
}

std::string get_string(const char* body, const char* key, size_t capacity = 64) {
  char out[512];
  memset(out, '#', sizeof(out));
  json_get_string(body, key, out, capacity);
  return out;
}

} // namespace

TEST(JsonEscape, escapes_quotes_backslashes_and_control_bytes) {
  EXPECT_EQ(escape("say \"hi\" \\ now"), "say \\\"hi\\\" \\\\ now");
  EXPECT_EQ(escape("a\nb\rc\td"), "a\\nb\\rc\\td");
  EXPECT_EQ(escape("\x1b"), "\\u001b");
  EXPECT_EQ(escape("\x01\x1f"), "\\u0001\\u001f");
  // VT and FF have no short form here.
  EXPECT_EQ(escape("\x0b\x0c"), "\\u000b\\u000c");
}

TEST(JsonEscape, passes_solidus_del_and_utf8_through) {
  EXPECT_EQ(escape("a/b\x7f"), "a/b\x7f");
  EXPECT_EQ(escape("caf\xc3\xa9 \xf0\x9f\x98\x80"), "caf\xc3\xa9 \xf0\x9f\x98\x80");
  EXPECT_EQ(escape(""), "");
}

TEST(JsonEscape, stops_at_capacity_minus_seven_without_cutting_an_escape) {
  EXPECT_EQ(escape(std::string(300, 'A'), 256), std::string(249, 'A'));
  EXPECT_EQ(escape(std::string(249, 'A'), 256), std::string(249, 'A'));
  // 248 letters leave room for one more escape of any length.
  EXPECT_EQ(escape(std::string(248, 'A') + "\x01zz", 256), std::string(248, 'A') + "\\u0001");
  EXPECT_EQ(escape(std::string(248, 'A') + "\"zz", 256), std::string(248, 'A') + "\\\"");
  // The smallest allowed capacity still takes one escape whole.
  EXPECT_EQ(escape("\x02xyz", 8), "\\u0002");
  EXPECT_EQ(escape("xyz", 8), "x");
  // The source may be cut inside a multi-byte character.
  EXPECT_EQ(escape(std::string(248, 'A') + "\xc3\xa9", 256), std::string(248, 'A') + "\xc3");
}

TEST(JsonEscape, leaves_an_empty_text_when_capacity_is_below_the_minimum) {
  EXPECT_EQ(escape("abc", 7), "");
  EXPECT_EQ(escape("abc", 1), "");
}

TEST(JsonFindValue, lands_on_the_value_after_blanks_around_the_colon) {
  const char* body = "{\"ok\" \t\r\n: \n true}";
  const char* v = json_find_value(body, "ok");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(std::string(v), "true}");
  const char* bare = "{\"ok\":";
  EXPECT_EQ(json_find_value(bare, "ok"), bare + strlen(bare));
  EXPECT_EQ(json_find_value("{\"okay\":1}", "ok"), nullptr);
  EXPECT_EQ(json_find_value("{\"OK\":1}", "ok"), nullptr);
  EXPECT_EQ(json_find_value("{\"ok\"}", "ok"), nullptr);
}

TEST(JsonFindValue, vertical_tab_and_form_feed_are_not_blanks) {
  EXPECT_EQ(json_find_value("{\"ok\"\v:1}", "ok"), nullptr);
  EXPECT_EQ(std::string(json_find_value("{\"ok\":\f1}", "ok")), "\f1}");
}

TEST(JsonFindValue, passes_over_a_string_value_equal_to_the_key) {
  const char* body = "{\"a\":\"ok\",\"ok\":false}";
  EXPECT_EQ(std::string(json_find_value(body, "ok")), "false}");
  EXPECT_EQ(json_get_bool("{\"x\":\"ok\", \"ok\":false}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"x\":\"ok\", \"ok\":true}", "ok"), 1);
}

TEST(JsonFindValue, first_occurrence_wins_at_any_depth) {
  const char* body = "{\"detail\":{\"error\":\"x\"},\"error\":\"y\",\"error\":\"z\"}";
  EXPECT_EQ(get_string(body, "error"), "x");
  EXPECT_EQ(get_string("{\"error\":\"y\",\"error\":\"z\"}", "error"), "y");
}

TEST(JsonReadString, decodes_escapes_unlike_the_escaper) {
  EXPECT_EQ(decode("\"a\\u00e9b\"").text, "a\xc3\xa9"
                                          "b");
  EXPECT_EQ(decode("\"one\\ntwo\"").text, "one\r\ntwo");
  EXPECT_EQ(decode("\"a\\tb\"").text, "a b");
  EXPECT_EQ(decode("\"a\\rb\\bc\\fd\\qe\"").text, "abcde");
  EXPECT_EQ(decode("\"\\\"\\\\\\/\"").text, "\"\\/");
  EXPECT_EQ(decode("\"\\u0041\\u07ff\\uFFFF\"").text, "A\xdf\xbf\xef\xbf\xbf");
  EXPECT_EQ(decode("\"caf\xc3\xa9\"").text, "caf\xc3\xa9");
}

TEST(JsonReadString, encodes_each_surrogate_by_itself) {
  EXPECT_EQ(decode("\"\\ud83d\\ude00\"").text, "\xed\xa0\xbd\xed\xb8\x80");
}

TEST(JsonReadString, reads_hex_digits_the_way_strtoul_does) {
  // A leading sign or 0x prefix is accepted; a minus gives a value too large to store.
  EXPECT_EQ(decode("\"[\\u+041]\"").text, "[A]");
  EXPECT_EQ(decode("\"[\\u0x41]\"").text, "[A]");
  EXPECT_EQ(decode("\"[\\u-001]\"").text, "[]");
  // Only the hexadecimal prefix counts: \u4zzz is 4, the rest is skipped.
  EXPECT_EQ(decode("\"[\\u4zzz]\"").text, "[\x04]");
  // No digit, or \u0000, stores a 0 byte that ends the text for every reader.
  EXPECT_EQ(decode("\"a\\uzzzzb\"").text, "a");
  EXPECT_EQ(decode("\"a\\u0000b\"").text, "a");
  EXPECT_EQ(decode("\"a\\u0000b\"").consumed, 10u);
}

TEST(JsonReadString, short_unicode_escape_at_the_end_is_read_as_plain_bytes) {
  const Decoded d = decode("\"ab\\u12");
  EXPECT_EQ(d.text, "ab12");
  EXPECT_EQ(d.consumed, 7u);
}

TEST(JsonReadString, returns_past_the_closing_quote_or_at_the_terminator) {
  EXPECT_EQ(decode("\"abc\",\"next\"").consumed, 5u);
  const Decoded open = decode("\"abc");
  EXPECT_EQ(open.text, "abc");
  EXPECT_EQ(open.consumed, 4u);
  const Decoded trailing = decode("\"abc\\");
  EXPECT_EQ(trailing.text, "abc");
  EXPECT_EQ(trailing.consumed, 5u);
}

TEST(JsonReadString, drops_pieces_that_do_not_fit_whole_and_reads_on) {
  const Decoded d = decode("\"ab\\ncd\" tail", 4);
  EXPECT_EQ(d.text, "abc");
  EXPECT_EQ(d.consumed, 8u);
  EXPECT_EQ(decode("\"abc\\u0041\"", 4).text, "abc");
  EXPECT_EQ(decode("\"ab\\u00e9c\"", 4).text, "abc");
  EXPECT_EQ(decode("\"a\\u20acb\"", 4).text, "ab");
  EXPECT_EQ(decode("\"a\\u20acb\"", 5).text, "a\xe2\x82\xac");
  EXPECT_EQ(decode("\"abcdef\"", 1).text, "");
}

TEST(JsonGetString, gives_an_empty_text_for_missing_keys_and_other_types) {
  EXPECT_EQ(get_string("{\"n\":5}", "n"), "");
  EXPECT_EQ(get_string("{\"n\":true}", "n"), "");
  EXPECT_EQ(get_string("{\"n\":null}", "n"), "");
  EXPECT_EQ(get_string("{\"n\":{\"a\":\"b\"}}", "n"), "");
  EXPECT_EQ(get_string("{\"n\":[\"a\"]}", "n"), "");
  EXPECT_EQ(get_string("{\"m\":\"x\"}", "n"), "");
  EXPECT_EQ(get_string("{\"n\":", "n"), "");
  EXPECT_EQ(get_string("{\"n\" : \"v\"}", "n"), "v");
}

TEST(JsonGetString, cuts_to_capacity) {
  EXPECT_EQ(get_string("{\"v\":\"SCAMSCAMSCAMSCAMSCAMSCAMSCAM\"}", "v", 24),
            "SCAMSCAMSCAMSCAMSCAMSCA");
}

TEST(JsonGetInt, reads_leading_digits_of_numbers_and_quoted_numbers) {
  EXPECT_EQ(json_get_int("{\"r\":85}", "r"), 85);
  EXPECT_EQ(json_get_int("{\"r\":\"85\"}", "r"), 85);
  EXPECT_EQ(json_get_int("{\"r\":85.9}", "r"), 85);
  EXPECT_EQ(json_get_int("{\"r\": -3}", "r"), -3);
  EXPECT_EQ(json_get_int("{\"r\":007}", "r"), 7);
  EXPECT_EQ(json_get_int("{\"r\":1e3}", "r"), 1);
}

TEST(JsonGetInt, gives_zero_for_anything_not_starting_with_a_digit_or_minus) {
  EXPECT_EQ(json_get_int("{\"r\":null}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"r\":\"+5\"}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"r\":\" 5\"}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"r\":+5}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"r\":-}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"r\":--5}", "r"), 0);
  EXPECT_EQ(json_get_int("{\"q\":5}", "r"), 0);
}

TEST(JsonGetInt, saturates_beyond_32_bits) {
  EXPECT_EQ(json_get_int("{\"r\":2147483647}", "r"), INT_MAX);
  EXPECT_EQ(json_get_int("{\"r\":-2147483648}", "r"), INT_MIN);
  EXPECT_EQ(json_get_int("{\"r\":2147483648}", "r"), INT_MAX);
  EXPECT_EQ(json_get_int("{\"r\":-2147483649}", "r"), INT_MIN);
  const std::string huge = "{\"r\":" + std::string(400, '9') + "}";
  EXPECT_EQ(json_get_int(huge.c_str(), "r"), INT_MAX);
  const std::string huge_negative = "{\"r\":\"-" + std::string(400, '9') + "\"}";
  EXPECT_EQ(json_get_int(huge_negative.c_str(), "r"), INT_MIN);
  const std::string padded = "{\"r\":" + std::string(300, '0') + "42}";
  EXPECT_EQ(json_get_int(padded.c_str(), "r"), 42);
}

TEST(JsonGetBool, true_or_leading_one_is_true_and_anything_else_false) {
  EXPECT_EQ(json_get_bool("{\"ok\" : true }", "ok"), 1);
  EXPECT_EQ(json_get_bool("{\"ok\":1}", "ok"), 1);
  EXPECT_EQ(json_get_bool("{\"ok\":10}", "ok"), 1);
  EXPECT_EQ(json_get_bool("{\"ok\":trueish}", "ok"), 1);
  EXPECT_EQ(json_get_bool("{\"ok\":\"true\"}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"ok\":\"1\"}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"ok\":false}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"ok\":0}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"ok\":tru}", "ok"), 0);
  EXPECT_EQ(json_get_bool("{\"ok\":", "ok"), 0);
  EXPECT_EQ(json_get_bool("{}", "ok"), 0);
}
