// What an operator relies on: the request log only when asked for and without secrets unless
// asked for too, the health check, the metrics, the Retry-After of a refusal, and the client's
// address behind a load balancer.
#include <gtest/gtest.h>

#include <fstream>

#include "edge/client_address.h"
#include "base/request_log.h"
#include "support/service_harness.h"

namespace {

const char kPinBody[] = R"({"action":"verify_pin","challenge_id":"ch_1","pin_code":"123 456"})";
const char kOverrideBody[] =
    R"({"action":"verify_override_pin","override_pin" : "4321","device_label":"PC"})";

class OperationsService : public ServiceTest {
protected:
  void restart_with_log(bool log, bool secrets) {
    stop_service();
    serve_options_.request_log = log;
    serve_options_.request_log_secrets = secrets;
    start_service(true);
  }
};

TEST_F(OperationsService, TheRequestLogIsOffUnlessAskedForAndMasksSecretsUnlessAskedTo) {
  restart_with_log(false, false);
  call(kPinBody, "ocp_secret0");
  EXPECT_EQ(read_data_file("requests.jsonl"), "");

  restart_with_log(true, false);
  call(kPinBody, "ocp_secret1");
  call(kOverrideBody, "ocp_secret2");
  std::string masked = read_data_file("requests.jsonl");
  EXPECT_NE(masked.find(R"(\"pin_code\":\"***\")"), std::string::npos) << masked;
  EXPECT_NE(masked.find(R"(\"override_pin\" : \"***\")"), std::string::npos) << masked;
  EXPECT_NE(masked.find(R"("authorization":"***")"), std::string::npos) << masked;
  for (const char* secret : {"ocp_secret", "123 456", "4321"})
    EXPECT_EQ(masked.find(secret), std::string::npos) << secret;
  EXPECT_NE(masked.find("ch_1"), std::string::npos) << "the rest stays";

  restart_with_log(true, true);
  call(kPinBody, "ocp_secret3");
  std::string clear = read_data_file("requests.jsonl");
  EXPECT_NE(clear.find("Bearer ocp_secret3"), std::string::npos);
  EXPECT_NE(clear.find("123 456"), std::string::npos);
}

TEST(RequestLogMasking, OddBodiesLoseTheirSecretsAndNothingElse) {
  struct Case {
    const char* body;
    const char* masked;
  } cases[] = {
      {R"({"pin_code":"12\"34"})", R"({"pin_code":"***"})"},
      {R"({"pin_code":"1234)", R"({"pin_code":"***)"},
      {R"({"pin_code":1234,"override_pin":"9"})", R"({"pin_code":"***","override_pin":"***"})"},
      {R"({"override_pin": -48.2e1})", R"({"override_pin": "***"})"},
      {R"({"pin_code":true,"pin_code":null})", R"({"pin_code":true,"pin_code":null})"},
      {R"(["pin_code","x"])", R"(["pin_code","x"])"},
      {"{\"pin_code\"\n:\t\"1\",\"pin_code\":\"2\"}",
       "{\"pin_code\"\n:\t\"***\",\"pin_code\":\"***\"}"},
      {R"({"pin_code":")", R"({"pin_code":"***)"},
      // The name as JSON reads it: an escaped letter is still the same member.
      {R"({"pin\u005fcode":"123456","x":"pin_code"})", R"({"pin\u005fcode":"***","x":"pin_code"})"},
      {R"({"\u006fverride_pin" : "4821"})", R"({"\u006fverride_pin" : "***"})"},
      {R"({"note":"a \"pin_code\": \"1\"","pin_code":"2"})",
       R"({"note":"a \"pin_code\": \"1\"","pin_code":"***"})"},
  };
  for (const Case& c : cases) {
    RequestRecord record;
    record.body = c.body;
    mask_request_secrets(&record);
    EXPECT_EQ(record.body, c.masked) << c.body;
  }
}

TEST_F(OperationsService, HealthSaysWhetherTheDatabaseAnswers) {
  ServiceReply healthy = get("/healthz");
  EXPECT_EQ(healthy.status, 200);
  EXPECT_EQ(healthy.json["ok"], true);
  if (testing_postgres()) {
    database_.drop(); // the tables are gone
  } else {            // a disk that returns garbage: the file no longer holds a database
    std::ofstream broken(data_.path + "/data/service.db", std::ios::binary | std::ios::trunc);
    broken << std::string(8192, '\0');
    std::remove((data_.path + "/data/service.db-wal").c_str());
  }
  ServiceReply sick = get("/healthz");
  EXPECT_EQ(sick.status, 503);
  EXPECT_EQ(sick.json["ok"], false);
}

TEST_F(OperationsService, MetricsCountRequestsVerdictsAndLimits) {
  call(R"({"action":"app_status","device_label":"PC"})");
  call(R"({"action":"app_status","device_label":"PC"})");
  call(
      R"({"action":"check_scam","text":"Your parcel is held: pay the £1.99 fee at https://royalmail-fee.top","device_label":"PC"})");
  for (int i = 0; i < 4; ++i)
    call(R"({"action":"send_pin","identifier":"07700900123"})");
  call("not json");
  ServiceReply metrics = get("/metrics");
  ASSERT_EQ(metrics.status, 200);
  EXPECT_EQ(metrics.content_type.rfind("text/plain", 0), 0u);
  const std::string& text = metrics.body;
  EXPECT_NE(text.find("olvex_requests_total{action=\"app_status\",status=\"200\"} 2\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("olvex_requests_total{action=\"send_pin\",status=\"429\"} 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("olvex_requests_total{action=\"none\",status=\"400\"} 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("olvex_limits_hit_total{limit=\"send_pin_identifier\"} 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("olvex_verdicts_total{verdict="), std::string::npos);
  EXPECT_NE(text.find("olvex_request_seconds_count 8\n"), std::string::npos);
}

TEST_F(OperationsService, ARefusalByALimitSaysWhenToTryAgain) {
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(call(R"({"action":"send_pin","identifier":"jo@example.com"})").status, 200);
  ServiceReply refused = call(R"({"action":"send_pin","identifier":"jo@example.com"})");
  EXPECT_EQ(refused.status, 429);
  EXPECT_EQ(refused.json["ok"], false);
  int seconds = std::atoi(refused.retry_after.c_str());
  EXPECT_GT(seconds, 880);
  EXPECT_LE(seconds, 900);
}

TEST(ClientAddress, TheBalancersLastEntryCountsOnlyWhenTrusted) {
  EXPECT_EQ(client_address("10.0.0.5", "203.0.113.9", false), "10.0.0.5");
  EXPECT_EQ(client_address("10.0.0.5", "203.0.113.9", true), "203.0.113.9");
  EXPECT_EQ(client_address("10.0.0.5", "1.2.3.4, 203.0.113.9", true), "203.0.113.9")
      << "what the client wrote first proves nothing";
  EXPECT_EQ(client_address("10.0.0.5", "2001:db8::1", true), "2001:db8::1");
  EXPECT_EQ(client_address("10.0.0.5", "", true), "10.0.0.5");
  EXPECT_EQ(client_address("10.0.0.5", "1.2.3.4, ", true), "10.0.0.5");
  EXPECT_EQ(client_address("10.0.0.5", "evil\"name", true), "10.0.0.5");
}

} // namespace
