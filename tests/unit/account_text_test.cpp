#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "account/account_text.h"
#include "service/service_protocol.h"

namespace {

ServiceResult answer(RequestKind kind) {
  ServiceResult r;
  memset(&r, 0, sizeof(r));
  r.kind = kind;
  return r;
}

std::wstring linked(const wchar_t* name, const wchar_t* plan) {
  wchar_t out[ACCOUNT_LINE_CAPACITY];
  compose_linked_line(name, plan, out, ACCOUNT_LINE_CAPACITY);
  return out;
}

std::wstring pin_sent(const wchar_t* target) {
  wchar_t out[ACCOUNT_LINE_CAPACITY];
  compose_pin_sent_line(target, out, ACCOUNT_LINE_CAPACITY);
  return out;
}

} // namespace

TEST(AccountAnswers, status_links_only_with_ok_and_authenticated) {
  ServiceResult r = answer(REQUEST_APP_STATUS);
  EXPECT_FALSE(status_answer_links(&r));
  r.ok = 1;
  EXPECT_FALSE(status_answer_links(&r)); // ok but not authenticated: not linked
  r.authenticated = 1;
  EXPECT_TRUE(status_answer_links(&r));
  r.ok = 0;
  EXPECT_FALSE(status_answer_links(&r));
}

// Only the service's own "not linked" lifts the lock and drops kept reports: read from the
// answer's text as it arrives, under each status.
TEST(AccountAnswers, only_a_200_saying_authenticated_false_unlinks) {
  struct Case {
    int status;
    const char* body;
    bool unlinks;
  } const cases[] = {
      {200, "{\"ok\":true,\"authenticated\":false,\"guardian_lock\":false}", true},
      {200, "{\"ok\":true,\"authenticated\":true}", false},
      {200, "{\"ok\":true}", false}, // says nothing of the link
      {200, "{\"ok\":true,\"authenticated\":0}", false},
      {200, "<html>proxy error</html>", false},
      {503, "{\"ok\":false,\"authenticated\":false}", false},
      {401, "{\"ok\":true,\"authenticated\":false}", false},
      {0, "", false},
  };
  for (const Case& c : cases) {
    ServiceResult r = answer(REQUEST_HEARTBEAT);
    finish_service_result(&r, c.status, c.body);
    EXPECT_EQ(status_answer_unlinks(&r) != 0, c.unlinks) << c.status << " " << c.body;
    EXPECT_FALSE(status_answer_links(&r) && status_answer_unlinks(&r));
  }
}

TEST(AccountAnswers, a_pin_counts_as_sent_only_with_a_challenge) {
  ServiceResult r = answer(REQUEST_SEND_PIN);
  r.ok = 1;
  EXPECT_FALSE(send_pin_answer_sent(&r));
  strcpy(r.challenge_id, "ch_1");
  EXPECT_TRUE(send_pin_answer_sent(&r));
  r.ok = 0;
  EXPECT_FALSE(send_pin_answer_sent(&r));
}

TEST(AccountAnswers, a_verification_links_only_with_a_token) {
  ServiceResult r = answer(REQUEST_VERIFY_PIN);
  r.ok = 1;
  r.authenticated = 1;
  EXPECT_FALSE(verify_pin_answer_linked(&r));
  strcpy(r.care_auth_token, "ocp_abc");
  EXPECT_TRUE(verify_pin_answer_linked(&r));
  r.ok = 0;
  EXPECT_FALSE(verify_pin_answer_linked(&r));
}

TEST(AccountAnswers, the_blocked_count_is_only_ever_raised) {
  EXPECT_EQ(raised_blocked_count(5, 3), 5);
  EXPECT_EQ(raised_blocked_count(5, 5), 5);
  EXPECT_EQ(raised_blocked_count(5, 9), 9);
  EXPECT_EQ(raised_blocked_count(0, -4), 0);
}

TEST(AccountDefaults, name_and_plan_fall_back_by_the_kind_of_answer) {
  EXPECT_STREQ(customer_name_or_default(""), "Customer");
  EXPECT_STREQ(customer_name_or_default("Ann"), "Ann");
  EXPECT_STREQ(plan_label_or_default("", REQUEST_APP_STATUS), "Linked Account");
  EXPECT_STREQ(plan_label_or_default("", REQUEST_VERIFY_PIN), "Callwarden Linked");
  EXPECT_STREQ(plan_label_or_default("Family Plan", REQUEST_VERIFY_PIN), "Family Plan");
  EXPECT_STREQ(plan_label_or_default("Family Plan", REQUEST_APP_STATUS), "Family Plan");
}

TEST(AccountDefaults, the_service_error_wins_over_each_kinds_default) {
  ServiceResult send = answer(REQUEST_SEND_PIN);
  ServiceResult verify = answer(REQUEST_VERIFY_PIN);
  EXPECT_STREQ(sign_in_failure_text(&send), "Could not send verification PIN.");
  EXPECT_STREQ(sign_in_failure_text(&verify), "Incorrect verification code.");
  strcpy(verify.error, "Code expired.");
  EXPECT_STREQ(sign_in_failure_text(&verify), "Code expired.");
}

TEST(AccountDefaults, the_empty_edit_prompt_follows_the_step) {
  EXPECT_EQ(std::wstring(empty_identifier_prompt(0)),
            L"Please enter your email address or UK mobile number (07...).");
  EXPECT_EQ(std::wstring(empty_identifier_prompt(1)),
            L"Please enter the 6-digit verification code sent to you.");
}

TEST(AccountLine, linked_line_has_a_bullet_with_two_spaces_each_side) {
  EXPECT_EQ(linked(L"Ann Smith", L"Family Plan"), L"Signed in: Ann Smith  \u2022  Family Plan");
  EXPECT_EQ(linked(L"Customer", L"Linked Account"), L"Signed in: Customer  \u2022  Linked Account");
}

TEST(AccountLine, pin_sent_line_names_the_target_or_leaves_its_place_empty) {
  EXPECT_EQ(pin_sent(L"07*** ***123"),
            L"Sent 6-digit code to 07*** ***123 \u2014 enter it below and click Verify:");
  EXPECT_EQ(pin_sent(L""), L"Sent 6-digit code to  \u2014 enter it below and click Verify:");
}

TEST(AccountLine, a_name_and_plan_too_long_for_the_line_are_cut_at_255_units) {
  const std::wstring name(159, L'n');
  const std::wstring plan(179, L'p');
  wchar_t out[ACCOUNT_LINE_CAPACITY + 4];
  for (wchar_t& c : out)
    c = L'#';
  compose_linked_line(name.c_str(), plan.c_str(), out, ACCOUNT_LINE_CAPACITY);
  const std::wstring expected = (L"Signed in: " + name + L"  \u2022  " + plan).substr(0, 255);
  EXPECT_EQ(std::wstring(out), expected);
  EXPECT_EQ(out[ACCOUNT_LINE_CAPACITY], L'#');
}

TEST(AccountLine, a_cut_never_leaves_half_a_surrogate_pair) {
  // 11 + 243 units of name put the high half of the pair at unit 255, which must go.
  std::wstring name(243, L'n');
  name += static_cast<wchar_t>(0xD83D);
  name += static_cast<wchar_t>(0xDE00);
  wchar_t out[ACCOUNT_LINE_CAPACITY];
  compose_linked_line(name.c_str(), L"Plan", out, ACCOUNT_LINE_CAPACITY);
  const std::wstring line(out);
  EXPECT_EQ(line.size(), 254u);
  EXPECT_EQ(line, L"Signed in: " + std::wstring(243, L'n'));
}
