#include <filesystem>

#include "support/service_harness.h"
#include "store/service_store.h"

namespace {

class BadInputService : public ServiceTest {
protected:
  // A refusal: the status, "ok": false, a plain-English error, JSON type.
  void expect_refused(const ServiceReply& reply, int status) {
    EXPECT_EQ(reply.status, status) << reply.body;
    ASSERT_TRUE(reply.json.is_object()) << reply.body;
    EXPECT_EQ(reply.json["ok"], false);
    ASSERT_TRUE(reply.json["error"].is_string());
    EXPECT_GT(reply.json["error"].get<std::string>().size(), 10u);
    EXPECT_EQ(reply.content_type, "application/json");
  }

  bool any_account_stored() {
    return DataStore(data_.path + "/data").number("SELECT COUNT(*) FROM accounts") != 0;
  }
};

TEST_F(BadInputService, MalformedJsonAndWrongShapes) {
  expect_refused(call("{\"action\":\"send_pin\",\"identifier\":"), 400);
  expect_refused(call("not json at all"), 400);
  expect_refused(call(""), 400);
  expect_refused(call("[\"send_pin\"]"), 400);
  expect_refused(call("\"send_pin\""), 400);
  expect_refused(call(R"({"identifier":"07700900123"})"), 400);
  expect_refused(call(R"({"action":7,"identifier":"07700900123"})"), 400);
  EXPECT_FALSE(any_account_stored());
  EXPECT_FALSE(std::filesystem::exists(data_.path + "/data/outbox.txt"));
}

TEST_F(BadInputService, UnknownActionIsNotFound) {
  ServiceReply reply = call(R"({"action":"delete_everything"})");
  expect_refused(reply, 404);
  EXPECT_NE(reply.json["error"].get<std::string>().find("delete_everything"), std::string::npos);
}

TEST_F(BadInputService, MissingOrNonTextMembers) {
  expect_refused(call(R"({"action":"send_pin"})"), 400);
  expect_refused(call(R"({"action":"send_pin","identifier":null})"), 400);
  expect_refused(call(R"({"action":"send_pin","identifier":7700900123})"), 400);
  expect_refused(call(R"({"action":"verify_pin","challenge_id":"ch_x"})"), 400);
  expect_refused(call(R"({"action":"check_scam","text":"hi"})"), 400);
  expect_refused(call(R"({"action":"report_blocked_tool","device_label":"PC"})"), 400);
  ServiceReply reply = call(R"({"action":"check_scam","device_label":"PC","text":["a"]})");
  expect_refused(reply, 400);
  EXPECT_NE(reply.json["error"].get<std::string>().find("\"text\""), std::string::npos);
  expect_refused(call(R"({"action":"send_pin","identifier":"not-a-number"})"), 400);
  EXPECT_FALSE(any_account_stored());
}

TEST_F(BadInputService, WrongOrMissingContentType) {
  std::string body = R"({"action":"send_pin","identifier":"07700900123"})";
  expect_refused(post_raw("/callwarden_api.php", body, "text/plain"), 415);
  expect_refused(post_raw("/callwarden_api.php", body, "application/jsonx"), 415);
  expect_refused(post_raw("/callwarden_api.php", body, ""), 415);
  EXPECT_EQ(post_raw("/callwarden_api.php", body, "Application/JSON ; charset=UTF-8").status, 200);
}

TEST_F(BadInputService, BodiesOverSixtyFourKibAreTooLarge) {
  std::string prefix = R"({"action":"check_scam","device_label":"PC","text":")";
  std::string suffix = "\"}";
  std::string fits = prefix + std::string(64 * 1024 - prefix.size() - suffix.size(), 'a') + suffix;
  ASSERT_EQ(fits.size(), 64u * 1024u);
  EXPECT_EQ(call(fits).status, 200);
  std::string over =
      prefix + std::string(64 * 1024 - prefix.size() - suffix.size() + 1, 'a') + suffix;
  expect_refused(call(over), 413);
  expect_refused(call(std::string(9 * 1024 * 1024, ' ')), 413);
}

TEST_F(BadInputService, MalformedAndUnknownTokens) {
  std::string body = R"({"action":"app_status","device_label":"PC"})";
  expect_refused(post_raw("/callwarden_api.php", body, "application/json", std::string(400, 'a')),
                 401);
  httplib::SSLClient client("127.0.0.1", port_);
  client.enable_server_certificate_verification(false);
  auto basic = client.Post("/callwarden_api.php", {{"Authorization", "Basic dXNlcjpwYXNz"}}, body,
                           "application/json");
  ASSERT_TRUE(basic);
  EXPECT_EQ(basic->status, 401);
  expect_refused(call(R"({"action":"check_scam","text":"hi","device_label":"PC"})", "ocp_unknown"),
                 401);
}

TEST_F(BadInputService, DeeplyNestedJsonIsRefusedCleanly) {
  std::string nested = std::string(30000, '[') + std::string(30000, ']');
  expect_refused(call(nested), 400);
  std::string objects;
  for (int i = 0; i < 10000; ++i)
    objects += "{\"a\":";
  objects += "1" + std::string(10000, '}');
  expect_refused(call(objects), 400);
}

TEST_F(BadInputService, TextCutInsideACharacterIsStillChecked) {
  // The program cuts long messages by bytes; the last character may be split.
  std::string body = "{\"action\":\"check_scam\",\"text\":\"caf\xC3\",\"device_label\":\"PC\"}";
  ServiceReply reply = call(body);
  EXPECT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(reply.json["ok"], true);
}

TEST_F(BadInputService, OtherMethodsAndPathsGetJsonRefusals) {
  expect_refused(get("/callwarden_api.php"), 405);
  expect_refused(get("/index.php"), 404);
  expect_refused(post_raw("/other.php", "{}", "application/json"), 404);
}

TEST_F(BadInputService, TestControlPathsAreAbsentWithoutTheFlag) {
  stop_service();
  start_service(false);
  expect_refused(get("/test/health"), 404);
  expect_refused(post_raw("/test/next_answer", R"({"status":500})", "application/json"), 404);
  EXPECT_EQ(call(R"({"action":"app_status","device_label":"PC"})").status, 200);
}

} // namespace
