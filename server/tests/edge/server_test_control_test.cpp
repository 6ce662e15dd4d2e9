#include <chrono>

#include "support/service_harness.h"

namespace {

class TestControlService : public ServiceTest {
protected:
  ServiceReply next_answer(const std::string& json) {
    return post_raw("/test/next_answer", json, "application/json");
  }
  ServiceReply status_call() { return call(R"({"action":"app_status","device_label":"PC"})"); }
};

TEST_F(TestControlService, HealthSaysOk) {
  ServiceReply reply = get("/test/health");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "ok");
}

TEST_F(TestControlService, CannedAnswerServesCountRequestsThenRealOnes) {
  ASSERT_EQ(next_answer(R"({"status":503,"body":"<html>down</html>","count":2})").status, 200);
  for (int i = 0; i < 2; ++i) {
    ServiceReply reply = status_call();
    EXPECT_EQ(reply.status, 503);
    EXPECT_EQ(reply.body, "<html>down</html>");
  }
  ServiceReply real = status_call();
  EXPECT_EQ(real.status, 200);
  EXPECT_EQ(real.json["ok"], true);
  EXPECT_NE(read_data_file("requests.jsonl").find("app_status"), std::string::npos);
}

TEST_F(TestControlService, CannedAnswerDoesNotActOnTheRequest) {
  ASSERT_EQ(next_answer(R"({"status":200,"body":"{\"ok\":true}"})").status, 200);
  EXPECT_EQ(call(R"({"action":"send_pin","identifier":"07700900123"})").body, "{\"ok\":true}");
  EXPECT_EQ(read_data_file("outbox.txt"), "");
}

TEST_F(TestControlService, GeneratedBodyHasExactLength) {
  ASSERT_EQ(
      next_answer(
          R"({"status":200,"body":"","body_repeat_char":"x","body_length":32767,"delay_ms":0,"count":1})")
          .status,
      200);
  ServiceReply reply = status_call();
  EXPECT_EQ(reply.body, std::string(32767, 'x'));
}

TEST_F(TestControlService, EmptyCannedBodyStaysEmptyEvenForErrors) {
  ASSERT_EQ(next_answer(R"({"status":500,"body":""})").status, 200);
  ServiceReply reply = status_call();
  EXPECT_EQ(reply.status, 500);
  EXPECT_EQ(reply.body, "");
}

TEST_F(TestControlService, DelayHoldsTheAnswerBack) {
  ASSERT_EQ(next_answer(R"({"status":200,"body":"late","delay_ms":300})").status, 200);
  auto start = std::chrono::steady_clock::now();
  ServiceReply reply = status_call();
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(reply.body, "late");
  EXPECT_GE(waited, std::chrono::milliseconds(300));
}

TEST_F(TestControlService, ResetClearsThePreparedAnswer) {
  ASSERT_EQ(next_answer(R"({"status":500,"body":"x","count":5})").status, 200);
  ASSERT_EQ(post_raw("/test/reset", "", "application/json").status, 200);
  EXPECT_EQ(status_call().status, 200);
}

TEST_F(TestControlService, BadSettingsAreRefused) {
  for (const char* bad : {"nope", R"({"status":99})", R"({"status":"200"})", R"({"count":0})",
                          R"({"body_repeat_char":"xy","body_length":3})", R"({"body_length":3})",
                          R"({"delay_ms":-1})"}) {
    ServiceReply reply = next_answer(bad);
    EXPECT_EQ(reply.status, 400) << bad;
    EXPECT_EQ(reply.json["ok"], false) << bad;
  }
  EXPECT_EQ(status_call().status, 200);
}

TEST_F(TestControlService, StoppingCutsALongDelayShort) {
  ASSERT_EQ(next_answer(R"({"status":200,"body":"late","delay_ms":120000})").status, 200);
  std::thread waiting([this] { status_call(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto start = std::chrono::steady_clock::now();
  stop_service();
  waiting.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

} // namespace
