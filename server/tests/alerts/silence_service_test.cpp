// Silence through real HTTPS, with the limits shortened to seconds: a computer that calls and
// goes quiet is alerted once, sooner after a blocked tool, and once more when it is heard again;
// one that said it was shutting down or going to sleep is not.
#include <chrono>
#include <thread>

#include "core/silence_rules.h"
#include "support/service_harness.h"

namespace {

// The shorter limit holds only while the hour after the blocked tool still covers the moment:
// past the hour the program beats every 5 minutes again, and must not be taken for silent.
TEST(SilenceRules, TheThreatLimitHoldsOnlyWithinTheHourAfterABlockedTool) {
  const SilenceLimits limits; // 20 minutes, 3 after a blocked tool
  EXPECT_EQ(silence_deadline(limits, 1000, 0), 1000 + 20 * 60);
  EXPECT_EQ(silence_deadline(limits, 1000, 1000), 1000 + 3 * 60);
  const int64_t hour_end = 1000 + kThreatWindowSeconds;
  EXPECT_EQ(silence_deadline(limits, hour_end - 180, 1000), hour_end);
  EXPECT_EQ(silence_deadline(limits, hour_end - 179, 1000), hour_end - 179 + 20 * 60);
  EXPECT_EQ(heard_write_seconds(limits), 45) << "a minute's beat is always written";
  EXPECT_EQ(heartbeat_seconds(limits, 2000, 1000), 60) << "within the hour";
  EXPECT_EQ(heartbeat_seconds(limits, hour_end, 1000), 300) << "past it, and never above 5 min";
  EXPECT_EQ(heartbeat_seconds(SilenceLimits{2, 1}, 1000, 0), 1);
  EXPECT_EQ(heard_write_seconds(SilenceLimits{2, 1}), 1);
}

const int64_t kLimit = 4;
const int64_t kThreatLimit = 1;

class SilenceService : public ServiceTest {
protected:
  SilenceService() {
    serve_options_.silence.after = kLimit;
    serve_options_.silence.after_threat = kThreatLimit;
  }

  ServiceReply send(const std::string& token, const std::string& action, const std::string& label,
                    const std::string& more = std::string()) {
    return call(R"({"action":")" + action + R"(","device_label":")" + label + "\"" + more + "}",
                token);
  }

  // The alerts whose text holds `part`, as the outbox has them now.
  size_t alerts_with(const std::string& part) {
    size_t found = 0;
    for (const nlohmann::json& alert : outbox_alerts(0))
      found += alert.value("text", "").find(part) != std::string::npos;
    return found;
  }

  // Seconds until an alert holding `part` is in the outbox, or -1 after `within` seconds.
  double seconds_until(const std::string& part, double within) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
      const double waited =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (alerts_with(part) > 0) return waited;
      if (waited > within) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
};

TEST_F(SilenceService, AQuietComputerIsAlertedOnceAndAgainWhenHeardButNotOneThatSaidWhy) {
  const std::string quiet = sign_in("jane@example.com");
  const std::string threatened = sign_in("sam@example.com");
  const std::string shut_down = sign_in("ann@example.com");
  const std::string asleep = sign_in("bob@example.com");
  ASSERT_EQ(send(quiet, "app_status", "QUIET-PC").status, 200);
  ASSERT_EQ(send(shut_down, "report_protection", "SHUT-PC", R"(,"state":"shutdown")").status, 200);
  ASSERT_EQ(send(asleep, "report_protection", "SLEEP-PC", R"(,"state":"suspended")").status, 200);
  ASSERT_EQ(
      send(threatened, "report_blocked_tool", "TOOL-PC", R"(,"tool_name":"AnyDesk.exe")").status,
      200);

  // A blocked tool shortens the limit: this one is alerted before the others' limit is up.
  const double threat_alert = seconds_until("Callwarden on TOOL-PC has not been heard from", 5);
  ASSERT_GE(threat_alert, 0) << "no silence alert after a blocked tool";
  EXPECT_LT(threat_alert, kLimit - 1) << "the shorter limit did not hold";
  const double quiet_alert =
      seconds_until("Callwarden on QUIET-PC has not been heard from since ", kLimit + 5);
  ASSERT_GE(quiet_alert, 0) << "no silence alert within the limit and 5 s";
  EXPECT_NE(outbox_alerts(0).back().value("text", "").find("closed with Task Manager"),
            std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(alerts_with("QUIET-PC has not been heard from"), 1u) << "one alert per silence";
  EXPECT_EQ(alerts_with("TOOL-PC has not been heard from"), 1u);
  EXPECT_EQ(alerts_with("SHUT-PC"), 0u) << "a shutdown is expected silence";
  EXPECT_EQ(alerts_with("SLEEP-PC"), 0u) << "so is sleep";

  // Heard from again: one more alert, however many calls come at once.
  ASSERT_EQ(send(quiet, "app_status", "QUIET-PC").status, 200);
  ASSERT_EQ(send(quiet, "app_status", "QUIET-PC").status, 200);
  EXPECT_GE(seconds_until("Callwarden on QUIET-PC is back on since ", 5), 0);
  EXPECT_EQ(alerts_with("QUIET-PC is back on"), 1u);
  // Shut down, then heard from again: it runs, and is watched again.
  ASSERT_EQ(send(shut_down, "app_status", "SHUT-PC").status, 200);
  EXPECT_GT(DataStore(data_.path + "/data")
                .number("SELECT silent_at FROM device_tokens WHERE device_label = 'SHUT-PC'"),
            0);
  EXPECT_EQ(alerts_with("SHUT-PC"), 0u) << "its silence was not alerted, so no news";
}

} // namespace
