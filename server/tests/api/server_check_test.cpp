#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/service_harness.h"

namespace {

using CheckService = ServiceTest;

std::string check_body(const std::string& text, const std::string& device = "LOUNGE-PC") {
  return R"({"action":"check_scam","text":")" + text + R"(","device_label":")" + device + "\"}";
}

TEST_F(CheckService, ScamMessageGetsVerdictScoreReasonsAndAdvice) {
  ServiceReply reply = call(check_body("Royal Mail: your parcel has an unpaid fee of \\u00a31.99. "
                                       "Pay at https://royalmail-fee.top"));
  ASSERT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(reply.content_type, "application/json");
  EXPECT_EQ(reply.json["ok"], true);
  EXPECT_EQ(reply.json["verdict"], "SCAM");
  EXPECT_GE(reply.json["risk_score"].get<int>(), 60);
  EXPECT_LE(reply.json["risk_score"].get<int>(), 100);
  EXPECT_EQ(reply.json["headline"], "This message looks like a scam.");
  ASSERT_TRUE(reply.json["reasons"].is_array());
  EXPECT_GE(reply.json["reasons"].size(), 1u);
  EXPECT_LE(reply.json["reasons"].size(), 4u);
  for (const auto& reason : reply.json["reasons"])
    EXPECT_TRUE(reason.is_string());
  EXPECT_NE(reply.json["advice"].get<std::string>().find("7726"), std::string::npos);
}

TEST_F(CheckService, GenuineMessageIsSafe) {
  ServiceReply reply =
      call(check_body("Hi Mum, I'll be home about 7, can you save me some dinner? x"));
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.json["verdict"], "SAFE");
  EXPECT_EQ(reply.json["risk_score"], 0);
  EXPECT_TRUE(reply.json["reasons"].empty());
}

TEST_F(CheckService, FreeDeviceGetsFiveChecksADay) {
  for (int i = 0; i < 5; ++i) {
    ServiceReply reply = call(check_body("hello"));
    ASSERT_EQ(reply.status, 200) << i;
    EXPECT_EQ(reply.json["free_checks_left"], 4 - i);
  }
  ServiceReply refused = call(check_body("hello"));
  EXPECT_EQ(refused.status, 429);
  EXPECT_EQ(refused.json["ok"], false);
  EXPECT_NE(refused.json["error"].get<std::string>().find("5 free scam checks"), std::string::npos);
  EXPECT_FALSE(refused.json.contains("verdict"));
  EXPECT_EQ(call(check_body("hello", "OTHER-PC")).status, 200);
}

TEST_F(CheckService, ServeCanGiveAnotherDailyAllowance) {
  stop_service();
  free_checks_per_day_ = 2;
  start_service(true);
  EXPECT_EQ(call(check_body("hello")).json["free_checks_left"], 1);
  EXPECT_EQ(call(check_body("hello")).json["free_checks_left"], 0);
  ServiceReply refused = call(check_body("hello"));
  EXPECT_EQ(refused.status, 429);
  EXPECT_NE(refused.json["error"].get<std::string>().find("today's 2 free scam checks"),
            std::string::npos)
      << refused.body;
}

TEST_F(CheckService, LinkedFreeAccountIsStillCountedByDevice) {
  std::string token = sign_in("07700900123");
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(call(check_body("hello"), token).status, 200);
  EXPECT_EQ(call(check_body("hello"), token).status, 429);
}

TEST_F(CheckService, EntitledAccountHasNoDailyLimit) {
  std::string token = sign_in("07700900123");
  ASSERT_EQ(admin({"set-plan", "07700900123", "Family plan", "--entitled", "1"}), 0);
  for (int i = 0; i < 8; ++i) {
    ServiceReply reply = call(check_body("hello"), token);
    ASSERT_EQ(reply.status, 200) << i;
    EXPECT_FALSE(reply.json.contains("free_checks_left"));
  }
  // The device's free allowance was not touched meanwhile.
  EXPECT_EQ(call(check_body("hello")).json["free_checks_left"], 4);
}

TEST_F(CheckService, RefusedChecksDoNotUseTheAllowance) {
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(call(check_body(" \\n\\t ")).status, 400);
  ServiceReply reply = call(check_body("hello"));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.json["free_checks_left"], 4);
}

TEST_F(CheckService, UnknownTokenIsRefusedBeforeCounting) {
  ServiceReply reply = call(check_body("hello"), "ocp_ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(reply.status, 401);
  EXPECT_EQ(call(check_body("hello")).json["free_checks_left"], 4);
}

} // namespace

namespace {

// The operator's import-threats, run as its own process beside the running service on the
// same database (on PostgreSQL, as it is beside several instances): each sees the new list
// within seconds, with no restart.
TEST_F(CheckService, AListImportedWhileTheServiceRunsJudgesItsLinksScam) {
  const std::string link = "https://secure-lloyds-verify.example/login/index.php";
  ServiceReply before = call(check_body("Please log in at " + link));
  ASSERT_EQ(before.status, 200);
  EXPECT_NE(before.json["verdict"], "SCAM");

  std::string command = std::string(LS_SERVICE_BINARY) + " import-threats --data '" + data_.path +
                        "/data' --format openphish '" LS_TEST_DATA_DIR
                        "/store/fixtures/threats/openphish.txt'";
  if (!database_.url().empty()) command += " --database '" + database_.url() + "'";
  ASSERT_EQ(std::system((command + " > /dev/null").c_str()), 0) << command;

  ServiceReply after;
  // Within five seconds; a check every quarter second stays within the free checks.
  for (int tries = 0; tries < 20; ++tries) {
    after = call(check_body("Please log in at " + link, "PC-" + std::to_string(tries)));
    if (after.json["verdict"] == "SCAM") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  ASSERT_EQ(after.json["verdict"], "SCAM") << after.body;
  EXPECT_EQ(after.json["reasons"][0].get<std::string>().find("This link is on OpenPhish's public "
                                                             "list of scam websites (updated "),
            0u)
      << after.body;
}

} // namespace
