#include <sstream>
#include <vector>

#include "support/service_harness.h"

namespace {

using RequestLogService = ServiceTest;

std::vector<nlohmann::json> log_lines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    lines.push_back(nlohmann::json::parse(line, nullptr, false));
  return lines;
}

TEST_F(RequestLogService, EachApiRequestIsRecordedWithItsHeadersAndExactBody) {
  std::string body = "{\"action\":\"check_scam\",\"text\":\"caf\xC3\xA9 "
                     "\\\"quoted\\\"\\n\",\"device_label\":\"PC\"}";
  ASSERT_EQ(call(body, "ocp_0123").status, 401);
  ASSERT_EQ(call(R"({"action":"app_status","device_label":"PC"})").status, 200);
  std::vector<nlohmann::json> lines = log_lines(read_data_file("requests.jsonl"));
  ASSERT_EQ(lines.size(), 2u);
  const nlohmann::json& first = lines[0];
  ASSERT_TRUE(first.is_object());
  EXPECT_EQ(first["method"], "POST");
  EXPECT_EQ(first["path"], "/callwarden_api.php");
  EXPECT_EQ(first["content_type"], "application/json; charset=utf-8");
  EXPECT_EQ(first["authorization"], "Bearer ocp_0123");
  EXPECT_EQ(first["user_agent"], "OlvexCallwarden/1.0 (Windows NT x64)");
  EXPECT_EQ(first["accept"], "application/json");
  EXPECT_EQ(first["content_length"], std::to_string(body.size()));
  EXPECT_EQ(first["body"], body);
  EXPECT_TRUE(lines[1]["authorization"].is_null());
}

TEST_F(RequestLogService, RefusedRequestsAreRecordedToo) {
  post_raw("/callwarden_api.php", "plain words", "text/plain");
  call(std::string(70 * 1024, 'x'));
  get("/callwarden_api.php");
  get("/test/health");
  std::vector<nlohmann::json> lines = log_lines(read_data_file("requests.jsonl"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["body"], "plain words");
  // Refused from its head, before a byte of it was read: the length is all there is.
  EXPECT_EQ(lines[1]["content_length"], "71680");
  EXPECT_EQ(lines[1]["body"], "");
  EXPECT_EQ(lines[2]["method"], "GET");
}

TEST_F(RequestLogService, BytesThatAreNotUtf8AreKeptAsTheyCame) {
  std::string body = "{\"action\":\"check_scam\",\"text\":\"ab\xC3\",\"device_label\":\"PC\"}";
  call(body);
  std::string log = read_data_file("requests.jsonl");
  EXPECT_NE(log.find("\"body\":\"{\\\"action\\\":\\\"check_scam\\\",\\\"text\\\":\\\"ab\xC3\\\""),
            std::string::npos);
}

} // namespace
