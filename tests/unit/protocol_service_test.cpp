#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/vendor.h"
#include "service/service_protocol.h"
#include "service/service_request.h"

namespace {

const char kUnreachable[] =
    "Unable to reach " CALLWARDEN_SERVICE_HOST " right now. Please check your internet connection.";

std::unique_ptr<ServiceRequest> make_request(RequestKind kind, const char* text,
                                             const char* extra = nullptr,
                                             const char* label = "Kitchen PC",
                                             const char* token = "") {
  std::unique_ptr<ServiceRequest> request(new ServiceRequest());
  prepare_service_request(request.get(), kind, nullptr, text, extra, label, token);
  return request;
}

std::string body_of(const ServiceRequest* request) {
  std::string body(SERVICE_BODY_CAPACITY, '#');
  build_request_body(request, &body[0]);
  return body.c_str();
}

std::string headers_of(const ServiceRequest* request) {
  char out[SERVICE_HEADERS_CAPACITY];
  build_request_header_text(request, out, sizeof(out));
  return out;
}

std::unique_ptr<ServiceResult> parse(const char* answer) {
  std::unique_ptr<ServiceResult> result(new ServiceResult());
  parse_service_answer(answer, result.get());
  return result;
}

std::string reasons_of(const char* answer) { return parse(answer)->reasons; }

} // namespace

TEST(ProtocolBody, each_kind_has_its_exact_body) {
  EXPECT_EQ(body_of(make_request(REQUEST_APP_STATUS, nullptr).get()),
            "{\"action\":\"app_status\",\"device_label\":\"Kitchen PC\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_SEND_PIN, "a@b.example").get()),
            "{\"action\":\"send_pin\",\"identifier\":\"a@b.example\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_VERIFY_PIN, "ch_77", "123456").get()),
            "{\"action\":\"verify_pin\",\"challenge_id\":\"ch_77\",\"pin_code\":\"123456\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_CHECK_SCAM, "Pay now").get()),
            "{\"action\":\"check_scam\",\"text\":\"Pay now\",\"device_label\":\"Kitchen PC\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_VERIFY_OVERRIDE_PIN, "4321").get()),
            "{\"action\":\"verify_override_pin\",\"override_pin\":\"4321\","
            "\"device_label\":\"Kitchen PC\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_REPORT_BLOCKED_TOOL, "AnyDesk.exe").get()),
            "{\"action\":\"report_blocked_tool\",\"tool_name\":\"AnyDesk.exe\","
            "\"device_label\":\"Kitchen PC\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_REPORT_PROTECTION, "paused", "1765000000").get()),
            "{\"action\":\"report_protection\",\"state\":\"paused\","
            "\"device_label\":\"Kitchen PC\",\"at\":1765000000}");
  // Without digits for the time, none is sent: the service takes the report as of now.
  EXPECT_EQ(body_of(make_request(REQUEST_REPORT_PROTECTION, "closed", "12,\"x\":1").get()),
            "{\"action\":\"report_protection\",\"state\":\"closed\","
            "\"device_label\":\"Kitchen PC\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_VERIFY_GUARDIAN_LOCK, "4321", "close").get()),
            "{\"action\":\"verify_override_pin\",\"override_pin\":\"4321\","
            "\"device_label\":\"Kitchen PC\",\"purpose\":\"close\"}");
  EXPECT_EQ(body_of(make_request(REQUEST_HEARTBEAT, nullptr).get()),
            "{\"action\":\"app_status\",\"device_label\":\"Kitchen PC\"}");
  // A kept report says so: the service then leaves what the page shows as it is.
  EXPECT_EQ(body_of(make_request(REQUEST_REPORT_KEPT_PROTECTION, "shutdown", "1765000000").get()),
            "{\"action\":\"report_protection\",\"state\":\"shutdown\","
            "\"device_label\":\"Kitchen PC\",\"at\":1765000000,\"kept\":true}");
  EXPECT_EQ(body_of(make_request(static_cast<RequestKind>(11), "x").get()), "");
  EXPECT_EQ(body_of(make_request(static_cast<RequestKind>(0), "x").get()), "");
}

TEST(ProtocolBody, values_are_escaped_and_utf8_goes_through) {
  EXPECT_EQ(body_of(make_request(REQUEST_CHECK_SCAM,
                                 "Say \"yes\"\nnow \xc2\xa3"
                                 "5",
                                 nullptr, "Bob's \"PC\"")
                        .get()),
            "{\"action\":\"check_scam\",\"text\":\"Say \\\"yes\\\"\\nnow \xc2\xa3"
            "5\",\"device_label\":\"Bob's \\\"PC\\\"\"}");
}

TEST(ProtocolBody, a_long_text_full_of_control_bytes_stays_within_its_escape_buffer) {
  const std::string controls(6499, '\x01');
  const std::string body = body_of(make_request(REQUEST_CHECK_SCAM, controls.c_str()).get());
  // Escaping stops once 13500 - 7 bytes are reached: 2249 sequences of six.
  std::string expected_text;
  for (int i = 0; i < 2249; i++)
    expected_text += "\\u0001";
  EXPECT_EQ(body, "{\"action\":\"check_scam\",\"text\":\"" + expected_text +
                      "\",\"device_label\":\"Kitchen PC\"}");
  EXPECT_LT(body.size(), static_cast<size_t>(SERVICE_BODY_CAPACITY));
}

TEST(ProtocolHeaders, authorization_line_only_with_a_token) {
  EXPECT_EQ(headers_of(make_request(REQUEST_APP_STATUS, nullptr).get()),
            "Content-Type: application/json; charset=utf-8\r\nAccept: application/json\r\n");
  EXPECT_EQ(
      headers_of(make_request(REQUEST_APP_STATUS, nullptr, nullptr, "PC", "ocp_abc123").get()),
      "Content-Type: application/json; charset=utf-8\r\nAccept: application/json\r\n"
      "Authorization: Bearer ocp_abc123\r\n");
  const std::string longest_token(319, 't');
  const std::string headers = headers_of(
      make_request(REQUEST_APP_STATUS, nullptr, nullptr, "PC", longest_token.c_str()).get());
  EXPECT_EQ(headers, std::string(SERVICE_HEADERS_WITHOUT_TOKEN) + "Authorization: Bearer " +
                         longest_token + "\r\n");
  EXPECT_LT(headers.size(), static_cast<size_t>(SERVICE_HEADERS_CAPACITY));
}

TEST(ProtocolAnswer, check_scam_answer_fills_its_fields_and_nothing_else) {
  const auto r = parse("{\"ok\":true,\"verdict\":\"SCAM\",\"risk_score\":92,\"headline\":\"h\","
                       "\"reasons\":[\"a\",\"b\"],\"advice\":\"c\"}");
  EXPECT_EQ(r->ok, 1);
  EXPECT_STREQ(r->verdict, "SCAM");
  EXPECT_EQ(r->risk_score, 92);
  EXPECT_STREQ(r->headline, "h");
  EXPECT_STREQ(r->reasons, "- a\r\n- b");
  EXPECT_STREQ(r->advice, "c");
  EXPECT_STREQ(r->error, "");
  EXPECT_STREQ(r->challenge_id, "");
  EXPECT_STREQ(r->masked_target, "");
  EXPECT_STREQ(r->care_auth_token, "");
  EXPECT_STREQ(r->customer_name, "");
  EXPECT_STREQ(r->plan_label, "");
  EXPECT_EQ(r->authenticated, 0);
  EXPECT_EQ(r->entitled, 0);
  EXPECT_EQ(r->recent_blocked_count, 0);
}

TEST(ProtocolAnswer, account_answers_fill_account_fields_and_leave_kind_and_status) {
  ServiceResult result = {};
  result.kind = REQUEST_VERIFY_PIN;
  result.http_status = 201;
  parse_service_answer("{\"ok\":true,\"care_auth_token\":\"ocp_x\",\"entitled\":1,"
                       "\"customer_name\":\"Ann\",\"plan_label\":\"Family\","
                       "\"authenticated\":true,\"recent_blocked_count\":\"12\","
                       "\"challenge_id\":\"c1\",\"masked_target\":\"a***@b\",\"error\":\"\"}",
                       &result);
  EXPECT_EQ(result.kind, static_cast<uint32_t>(REQUEST_VERIFY_PIN));
  EXPECT_EQ(result.http_status, 201);
  EXPECT_STREQ(result.care_auth_token, "ocp_x");
  EXPECT_EQ(result.entitled, 1);
  EXPECT_EQ(result.authenticated, 1);
  EXPECT_STREQ(result.customer_name, "Ann");
  EXPECT_STREQ(result.plan_label, "Family");
  EXPECT_EQ(result.recent_blocked_count, 12);
  EXPECT_EQ(result.guardian_lock, 0) << "absent means off";
  EXPECT_STREQ(result.challenge_id, "c1");
  EXPECT_STREQ(result.masked_target, "a***@b");
  parse_service_answer("{\"ok\":true,\"authenticated\":true,\"guardian_lock\":true}", &result);
  EXPECT_EQ(result.guardian_lock, 1);
}

TEST(ProtocolAnswer, over_long_values_are_cut_to_their_field) {
  const auto r = parse("{\"verdict\":\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"}");
  EXPECT_STREQ(r->verdict, "ABCDEFGHIJKLMNOPQRSTUVW");
  const std::string long_error = "{\"error\":\"" + std::string(600, 'e') + "\"}";
  EXPECT_EQ(std::string(parse(long_error.c_str())->error), std::string(511, 'e'));
}

TEST(ProtocolAnswer, a_page_that_is_not_json_leaves_everything_empty) {
  const auto r = parse("<html><body>500 Internal Server Error</body></html>");
  EXPECT_EQ(r->ok, 0);
  EXPECT_STREQ(r->error, "");
  EXPECT_STREQ(r->verdict, "");
}

TEST(ProtocolReasons, keeps_the_first_four_non_empty_strings) {
  EXPECT_EQ(reasons_of("{\"reasons\":[\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"]}"),
            "- 1\r\n- 2\r\n- 3\r\n- 4");
  EXPECT_EQ(reasons_of("{\"reasons\":[\"\",\"a\"]}"), "- a");
  EXPECT_EQ(reasons_of("{\"reasons\":[\"\",\"\",\"\",\"\",\"a\"]}"), "- a");
  EXPECT_EQ(reasons_of("{\"reasons\": [ \"a\" , \"b\" ] }"), "- a\r\n- b");
}

TEST(ProtocolReasons, skips_non_strings_and_ignores_nesting) {
  EXPECT_EQ(reasons_of("{\"reasons\":[\"a\",1,\"b\"]}"), "- a\r\n- b");
  EXPECT_EQ(reasons_of("{\"reasons\":[null,true,\"a\"]}"), "- a");
  EXPECT_EQ(reasons_of("{\"reasons\":[{\"k\":\"v\"},\"z\"]}"), "- k\r\n- v\r\n- z");
  // The first ']' after an item ends the list, even one closing a nested array.
  EXPECT_EQ(reasons_of("{\"reasons\":[[\"a\"],\"b\"]}"), "- a");
  EXPECT_EQ(reasons_of("{\"reasons\":[\"a\\nb\"]}"), "- a\r\nb");
  EXPECT_EQ(reasons_of("{\"reasons\":[\"a\",\"b"), "- a\r\n- b");
}

TEST(ProtocolReasons, empty_missing_or_non_array_values_give_nothing) {
  EXPECT_EQ(reasons_of("{\"reasons\":[]}"), "");
  EXPECT_EQ(reasons_of("{\"reasons\":["), "");
  EXPECT_EQ(reasons_of("{\"reasons\":[1,2]}"), "");
  EXPECT_EQ(reasons_of("{\"ok\":true}"), "");
  EXPECT_EQ(reasons_of("{\"reasons\":\"a\"}"), "");
  EXPECT_EQ(reasons_of("{\"reasons\":null}"), "");
}

TEST(ProtocolReasons, only_the_fourth_piece_can_be_cut_and_the_field_stays_terminated) {
  const std::string item(400, 'r'); // each item is decoded into 319 bytes at most
  const std::string answer =
      "{\"reasons\":[\"" + item + "\",\"" + item + "\",\"" + item + "\",\"" + item + "\"]}";
  const std::string reasons = reasons_of(answer.c_str());
  ASSERT_EQ(reasons.size(), 1023u);
  // Three whole pieces of "- " and 319 bytes, joined by CR LF, then the cut fourth.
  const size_t first_three = 3 * (2 + 319) + 2 * 2;
  EXPECT_EQ(first_three, 967u);
  EXPECT_EQ(reasons.substr(0, 2), "- ");
  EXPECT_EQ(reasons.substr(967, 4), "\r\n- ");
  EXPECT_EQ(reasons.substr(971), std::string(1023 - 971, 'r'));
}

TEST(ProtocolUnreachable, names_the_service_host) {
  ServiceResult result = {};
  result.ok = 1;
  fill_unreachable_result(&result);
  EXPECT_EQ(result.ok, 0);
  EXPECT_STREQ(result.error,
               "Unable to reach api.olvex.example right now. Please check your internet "
               "connection.");
}

TEST(ProtocolFinish, empty_answer_is_unreachable_but_keeps_its_status) {
  ServiceResult empty = {};
  finish_service_result(&empty, 200, "");
  EXPECT_EQ(empty.ok, 0);
  EXPECT_EQ(empty.http_status, 200);
  EXPECT_STREQ(empty.error, kUnreachable);

  ServiceResult none = {};
  finish_service_result(&none, 0, "");
  EXPECT_EQ(none.http_status, 0);
  EXPECT_STREQ(none.error, kUnreachable);

  ServiceResult failed = {};
  finish_service_result(&failed, 500, "{\"ok\":false,\"error\":\"Busy\"}");
  EXPECT_EQ(failed.http_status, 500);
  EXPECT_EQ(failed.ok, 0);
  EXPECT_STREQ(failed.error, "Busy");
}
