#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "checker/check_text.h"
#include "checker/text_fit.h"

namespace {

ServiceResult answer(int ok, const char* verdict, int risk, const char* headline,
                     const char* reasons, const char* advice, const char* error = "") {
  ServiceResult r;
  memset(&r, 0, sizeof(r));
  r.kind = REQUEST_CHECK_SCAM;
  r.ok = ok;
  strncpy(r.verdict, verdict, sizeof(r.verdict) - 1);
  r.risk_score = risk;
  strncpy(r.headline, headline, sizeof(r.headline) - 1);
  strncpy(r.reasons, reasons, sizeof(r.reasons) - 1);
  strncpy(r.advice, advice, sizeof(r.advice) - 1);
  strncpy(r.error, error, sizeof(r.error) - 1);
  return r;
}

std::wstring status(VerdictState state, int risk) {
  wchar_t out[CHECK_STATUS_CAPACITY];
  format_check_status(state, risk, out, CHECK_STATUS_CAPACITY);
  return out;
}

CheckCard card_for(const ServiceResult& r) {
  CheckCard card;
  memset(&card, 0x5A, sizeof(card));
  decide_check_card(&r, &card);
  return card;
}

} // namespace

TEST(CheckVerdict, only_exact_upper_case_scam_and_caution_leave_safe) {
  EXPECT_EQ(verdict_state_for("SCAM"), VERDICT_SCAM);
  EXPECT_EQ(verdict_state_for("CAUTION"), VERDICT_CAUTION);
  for (const char* other :
       {"scam", "Scam", "SCAM ", " SCAM", "SCAMS", "caution", "CAUTIONS", "SAFE", "", "DANGER"}) {
    EXPECT_EQ(verdict_state_for(other), VERDICT_SAFE) << other;
  }
}

TEST(CheckStatus, each_verdict_has_its_own_line_with_two_spaces_before_the_score) {
  EXPECT_EQ(status(VERDICT_SCAM, 92), L"DANGER: SCAM DETECTED  (Risk Score: 92/100)");
  EXPECT_EQ(status(VERDICT_CAUTION, 55),
            L"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: 55/100)");
  EXPECT_EQ(status(VERDICT_SAFE, 3), L"SAFE \u2014 No Obvious Scam Tricks Spotted  (Risk: 3/100)");
}

TEST(CheckStatus, the_score_is_printed_as_a_signed_decimal_unchanged) {
  EXPECT_EQ(status(VERDICT_SCAM, -1), L"DANGER: SCAM DETECTED  (Risk Score: -1/100)");
  EXPECT_EQ(status(VERDICT_SAFE, 250),
            L"SAFE \u2014 No Obvious Scam Tricks Spotted  (Risk: 250/100)");
  EXPECT_EQ(status(VERDICT_CAUTION, INT_MIN),
            L"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: -2147483648/100)");
}

TEST(CheckStatus, a_small_buffer_is_cut_and_never_overrun) {
  wchar_t out[12];
  for (wchar_t& c : out)
    c = L'#';
  format_check_status(VERDICT_SCAM, 92, out, 10);
  EXPECT_EQ(std::wstring(out), L"DANGER: S");
  EXPECT_EQ(out[10], L'#');
  EXPECT_EQ(out[11], L'#');
}

TEST(CheckCardDecision, a_full_answer_fills_every_part_of_the_card) {
  const CheckCard card = card_for(
      answer(1, "SCAM", 92, "Fake parcel fee", "- Odd link\r\n- Urgent tone", "Delete it"));
  EXPECT_EQ(card.state, VERDICT_SCAM);
  EXPECT_EQ(std::wstring(card.status), L"DANGER: SCAM DETECTED  (Risk Score: 92/100)");
  EXPECT_STREQ(card.detail, "Fake parcel fee\r\n- Odd link\r\n- Urgent tone\r\nAdvice: Delete it");
}

TEST(CheckCardDecision, line_breaks_appear_only_before_parts_that_are_present) {
  EXPECT_STREQ(card_for(answer(1, "SAFE", 1, "", "- a", "")).detail, "\r\n- a");
  EXPECT_STREQ(card_for(answer(1, "SAFE", 1, "", "", "c")).detail, "\r\nAdvice: c");
  EXPECT_STREQ(card_for(answer(1, "SAFE", 1, "h", "", "")).detail, "h");
  EXPECT_STREQ(card_for(answer(1, "SAFE", 1, "h", "", "c")).detail, "h\r\nAdvice: c");
  EXPECT_STREQ(card_for(answer(1, "SAFE", 1, "", "", "")).detail, "");
}

TEST(CheckCardDecision, the_largest_answer_composes_without_a_cut) {
  std::string headline(511, 'h'), reasons(1023, 'r'), advice(767, 'a');
  const CheckCard card =
      card_for(answer(1, "CAUTION", 50, headline.c_str(), reasons.c_str(), advice.c_str()));
  EXPECT_EQ(card.state, VERDICT_CAUTION);
  EXPECT_EQ(std::string(card.detail), headline + "\r\n" + reasons + "\r\nAdvice: " + advice);
}

TEST(CheckCardDecision, a_failed_check_is_a_notice_in_caution_colours) {
  const CheckCard with_error =
      card_for(answer(0, "SCAM", 99, "ignored", "- ignored", "ignored", "Daily limit reached."));
  EXPECT_EQ(with_error.state, VERDICT_CAUTION);
  EXPECT_EQ(std::wstring(with_error.status), L"Notice");
  EXPECT_STREQ(with_error.detail, "Daily limit reached.");

  const CheckCard without = card_for(answer(0, "", 0, "", "", ""));
  EXPECT_EQ(without.state, VERDICT_CAUTION);
  EXPECT_EQ(std::wstring(without.status), L"Notice");
  EXPECT_STREQ(without.detail, "Unable to check message right now.");
}

TEST(CheckMessage, only_leading_tabs_line_breaks_and_spaces_are_skipped) {
  EXPECT_STREQ(skip_leading_blanks("\r\n\r\n \tPay now  \r\n"), "Pay now  \r\n");
  EXPECT_STREQ(skip_leading_blanks(" \t\r\n"), "");
  EXPECT_STREQ(skip_leading_blanks(""), "");
  EXPECT_STREQ(skip_leading_blanks("\v text"), "\v text");
  EXPECT_STREQ(skip_leading_blanks("\f text"), "\f text");
  EXPECT_STREQ(skip_leading_blanks("\xC2\xA0text"), "\xC2\xA0text"); // no-break space stays
}

TEST(ClipboardText, a_block_without_its_terminator_is_refused) {
  const wchar_t unterminated[3] = {L'a', L'b', L'c'};
  EXPECT_EQ(terminated_clipboard_text(unterminated, 3), nullptr);
  const wchar_t terminated[4] = {L'a', L'b', L'\0', L'x'};
  EXPECT_EQ(terminated_clipboard_text(terminated, 4), terminated);
  EXPECT_EQ(terminated_clipboard_text(terminated, 2), nullptr);
  EXPECT_EQ(terminated_clipboard_text(terminated, 0), nullptr);
}

// UTF-16 units written out, so that the same test means the same on 16- and 32-bit wchar_t.
TEST(FitToUtf8, stops_before_the_character_that_would_not_fit) {
  EXPECT_EQ(utf16_units_within_utf8_bytes(L"abcdef", 4), 4u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(L"abc", 10), 3u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(L"a\u00e9\u00e9", 4), 2u); // 1 + 2, then 2 more
  EXPECT_EQ(utf16_units_within_utf8_bytes(L"\u20ac\u20ac", 5), 1u);  // 3 bytes each
  EXPECT_EQ(utf16_units_within_utf8_bytes(L"\u20ac\u20ac", 6), 2u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(nullptr, 6), 0u);
}

TEST(FitToUtf8, a_surrogate_pair_goes_whole_or_not_at_all) {
  const wchar_t pair[] = {L'a', 0xD83D, 0xDE00, L'b', 0};
  EXPECT_EQ(utf16_units_within_utf8_bytes(pair, 4), 1u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(pair, 5), 3u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(pair, 6), 4u);
}

TEST(FitToUtf8, lone_surrogates_count_as_a_replacement_and_a_dangling_one_is_dropped) {
  const wchar_t lone_low[] = {0xDE00, L'a', 0};
  EXPECT_EQ(utf16_units_within_utf8_bytes(lone_low, 3), 1u);
  EXPECT_EQ(utf16_units_within_utf8_bytes(lone_low, 4), 2u);
  const wchar_t lone_high[] = {0xD83D, L'a', 0};
  EXPECT_EQ(utf16_units_within_utf8_bytes(lone_high, 4), 2u);
  const wchar_t dangling[] = {L'a', L'b', 0xD83D, 0}; // a read cut through the pair
  EXPECT_EQ(utf16_units_within_utf8_bytes(dangling, 100), 2u);
}

TEST(FitToUtf8, a_message_of_non_ascii_characters_keeps_what_fits_in_6399_bytes) {
  std::wstring message(6099, L'\u00e9');
  EXPECT_EQ(utf16_units_within_utf8_bytes(message.c_str(), CHECK_MESSAGE_UTF8_CAPACITY - 1), 3199u);
  std::wstring euros(6099, L'\u20ac');
  EXPECT_EQ(utf16_units_within_utf8_bytes(euros.c_str(), CHECK_MESSAGE_UTF8_CAPACITY - 1), 2133u);
}

TEST(FitToUtf16, counts_two_units_for_four_byte_characters) {
  EXPECT_EQ(utf8_bytes_within_utf16_units("abc", 2), 2u);
  EXPECT_EQ(utf8_bytes_within_utf16_units("\xE2\x80\x94x", 1), 3u); // em dash
  EXPECT_EQ(utf8_bytes_within_utf16_units("a\xF0\x9F\x98\x80"
                                          "b",
                                          2),
            1u); // no room for 2
  EXPECT_EQ(utf8_bytes_within_utf16_units("a\xF0\x9F\x98\x80"
                                          "b",
                                          3),
            5u);
  EXPECT_EQ(utf8_bytes_within_utf16_units("a\xF0\x9F\x98\x80"
                                          "b",
                                          4),
            6u);
  EXPECT_EQ(utf8_bytes_within_utf16_units(nullptr, 4), 0u);
}

TEST(FitToUtf16, ill_formed_bytes_count_one_unit_each_and_never_run_past_the_end) {
  EXPECT_EQ(utf8_bytes_within_utf16_units("\xC0\x80", 1), 1u);         // overlong
  EXPECT_EQ(utf8_bytes_within_utf16_units("\xED\xA0\x80", 2), 2u);     // encoded surrogate
  EXPECT_EQ(utf8_bytes_within_utf16_units("\xF4\x90\x80\x80", 3), 3u); // beyond U+10FFFF
  EXPECT_EQ(utf8_bytes_within_utf16_units("ab\xE2\x82", 10), 4u);      // cut short at the end
  EXPECT_EQ(utf8_bytes_within_utf16_units("\x80\xFF", 10), 2u);
}

TEST(FitToUtf16, a_detail_longer_than_the_card_keeps_1398_units) {
  std::string detail(4000, 'x');
  EXPECT_EQ(utf8_bytes_within_utf16_units(detail.c_str(), CHECK_DETAIL_MAX_UNITS), 1398u);
  std::string dashes;
  for (int i = 0; i < 1500; i++)
    dashes += "\xE2\x80\x94";
  EXPECT_EQ(utf8_bytes_within_utf16_units(dashes.c_str(), CHECK_DETAIL_MAX_UNITS), 1398u * 3);
  std::string faces = "x";
  for (int i = 0; i < 800; i++)
    faces += "\xF0\x9F\x98\x80";
  // 1 + 698 pairs = 1397 units; the next pair would need 1399.
  EXPECT_EQ(utf8_bytes_within_utf16_units(faces.c_str(), CHECK_DETAIL_MAX_UNITS), 1u + 698u * 4);
}

TEST(WideAppend, cuts_at_capacity_minus_one_without_splitting_a_pair) {
  wchar_t out[8];
  for (wchar_t& c : out)
    c = L'#';
  size_t length = 0;
  out[0] = L'\0';
  EXPECT_EQ(append_wide(out, 6, &length, L"abc"), 1);
  const wchar_t pair[] = {L'd', 0xD83D, 0xDE00, 0};
  EXPECT_EQ(append_wide(out, 6, &length, pair), 0);
  EXPECT_EQ(length, 4u); // "abcd": the high half would have been the fifth unit
  EXPECT_EQ(std::wstring(out), L"abcd");
  EXPECT_EQ(out[6], L'#');
}

TEST(WideAppend, nothing_of_a_later_piece_follows_a_cut) {
  wchar_t out[6];
  const wchar_t pair[] = {L'a', L'b', L'c', L'd', 0xD83D, 0xDE00, 0};
  const wchar_t* const pieces[] = {pair, L"z"};
  join_wide(pieces, 2, out, 6);
  EXPECT_EQ(std::wstring(out), L"abcd");
}
