#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/request_log.h"

namespace {

TEST(RequestLogQuote, EscapesOnlyWhatJsonNeeds) {
  EXPECT_EQ(json_quote_bytes("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
  EXPECT_EQ(json_quote_bytes("\n\r\t\x01\x1b\x7f"), "\"\\n\\r\\t\\u0001\\u001b\\u007f\"");
  EXPECT_EQ(json_quote_bytes("caf\xC3\xA9 \xFF"), "\"caf\xC3\xA9 \xFF\"");
  EXPECT_EQ(json_quote_bytes(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(RequestLogLine, NamesHeadersAndKeepsAbsentOnesNull) {
  RequestRecord record;
  record.method = "POST";
  record.path = "/callwarden_api.php";
  record.target = "/callwarden_api.php?x=1";
  record.body = "{\"action\":\"app_status\"}";
  record.headers = {
      {"content-type", "application/json"}, {"User-Agent", "UA"}, {"Content-Length", "23"}};
  nlohmann::json line = nlohmann::json::parse(request_log_line(record), nullptr, false);
  ASSERT_TRUE(line.is_object());
  EXPECT_EQ(line["method"], "POST");
  EXPECT_EQ(line["target"], "/callwarden_api.php?x=1");
  EXPECT_EQ(line["content_type"], "application/json");
  EXPECT_EQ(line["user_agent"], "UA");
  EXPECT_EQ(line["content_length"], "23");
  EXPECT_TRUE(line["authorization"].is_null());
  EXPECT_TRUE(line["accept"].is_null());
  EXPECT_EQ(line["body"], record.body);
  EXPECT_EQ(line["headers"]["User-Agent"], "UA");
}

TEST(RequestLogLine, BodyComesAfterTheHeaderKeysSoItsTextCannotShadowThem) {
  RequestRecord record;
  record.method = "POST";
  record.body = "\"authorization\":\"forged\"";
  std::string line = request_log_line(record);
  EXPECT_LT(line.find("\"authorization\":null"), line.find("\"body\":"));
  EXPECT_EQ(line.find("\"authorization\":\"forged\""), std::string::npos);
}

} // namespace
