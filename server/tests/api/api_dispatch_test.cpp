// Throws damaged requests straight at the dispatcher: whatever arrives, the
// answer is a JSON object with "ok", a refusal explains itself, and the
// status is one the service means to give.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "api/api_dispatch.h"
#include "support/service_harness.h"

namespace {

class DispatchTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ContextOptions options;
    options.data_dir = dir_.path;
    options.database_url = database_.url();
    options.suffix_file = PUBLIC_SUFFIX_DEFAULT_FILE;
    ASSERT_TRUE(service_context_open(&context_, options, &error)) << error;
  }
  void TearDown() override { service_context_close(&context_); }

  ApiAnswer handle(const std::string& body, const std::string& authorization = std::string()) {
    ApiRequest request{"application/json; charset=utf-8", !authorization.empty(), authorization,
                       body, "192.0.2.1"};
    return handle_api_request(&context_, request, 1700000000);
  }

  TestDatabase database_;
  TempDir dir_;
  ServiceContext context_;
};

void expect_well_formed(const ApiAnswer& answer, const std::string& body) {
  static const std::set<int> kStatuses = {200, 400, 401, 403, 404, 413, 415, 429};
  EXPECT_TRUE(kStatuses.count(answer.status)) << answer.status << " for " << body;
  nlohmann::json reply = nlohmann::json::parse(answer.body, nullptr, false);
  ASSERT_TRUE(reply.is_object()) << answer.body;
  ASSERT_TRUE(reply["ok"].is_boolean()) << answer.body;
  EXPECT_EQ(reply["ok"].get<bool>(), answer.status == 200) << answer.body;
  if (!reply["ok"].get<bool>()) {
    ASSERT_TRUE(reply["error"].is_string());
    EXPECT_FALSE(reply["error"].get<std::string>().empty());
  }
}

TEST_F(DispatchTest, DamagedRequestsAlwaysGetWellFormedAnswers) {
  const std::string seeds[] = {
      R"({"action":"app_status","device_label":"PC"})",
      R"({"action":"send_pin","identifier":"07700900123"})",
      R"({"action":"verify_pin","challenge_id":"ch_0","pin_code":"123456"})",
      R"({"action":"check_scam","text":"Pay the fee at https://royalmail-fee.top now","device_label":"PC"})",
      R"({"action":"verify_override_pin","override_pin":"1234","device_label":"PC"})",
      R"({"action":"report_blocked_tool","tool_name":"anydesk.exe","device_label":"PC"})",
  };
  const char tokens[] = "{}[]\":,\\ 0aZ\xC3\xFF\x00";
  std::mt19937 random(20240611);
  for (int round = 0; round < 1500; ++round) {
    std::string body = seeds[random() % 6];
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !body.empty(); ++e) {
      size_t at = random() % body.size();
      switch (random() % 4) {
      case 0: body[at] = tokens[random() % (sizeof(tokens) - 1)]; break;
      case 1: body.erase(at, 1 + random() % 8); break;
      case 2: body.insert(at, 1, tokens[random() % (sizeof(tokens) - 1)]); break;
      default: body.resize(at); break;
      }
    }
    std::string authorization = random() % 3 == 0 ? "Bearer ocp_" + std::to_string(random()) : "";
    expect_well_formed(handle(body, authorization), body);
    if (HasFailure()) return;
  }
}

TEST_F(DispatchTest, ChecksAreJudgedWithTheLoadedSuffixList) {
  ApiAnswer answer = handle(
      R"({"action":"check_scam","text":"Log in at https://hsbc.co.uk.secure-login.net","device_label":"PC"})");
  ASSERT_EQ(answer.status, 200);
  nlohmann::json reply = nlohmann::json::parse(answer.body, nullptr, false);
  ASSERT_TRUE(reply["reasons"].is_array());
  ASSERT_FALSE(reply["reasons"].empty());
  EXPECT_NE(reply["reasons"][0].get<std::string>().find("secure-login.net"), std::string::npos);
}

} // namespace
