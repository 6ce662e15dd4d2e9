// report_protection through real HTTPS: what it refuses, the alert each state raises and how
// often, the switched-back-on rule, and the Guardian PIN asked for by a locked computer.
#include <chrono>
#include <ctime>
#include <sstream>
#include <thread>

#include "support/service_harness.h"

namespace {

class ProtectionService : public ServiceTest {
protected:
  ServiceReply report(const std::string& token, const std::string& state,
                      const std::string& label = "DESKTOP-1234", const std::string& at = "") {
    std::string body = R"({"action":"report_protection","state":)" + nlohmann::json(state).dump() +
                       R"(,"device_label":)" + nlohmann::json(label).dump();
    if (!at.empty()) body += R"(,"at":)" + at;
    return call(body + "}", token);
  }

  // The alert texts of the outbox, waited for until there are `count` or 5 seconds passed.
  std::vector<std::string> alerts(size_t count) {
    std::vector<std::string> texts;
    for (const nlohmann::json& alert : outbox_alerts(count))
      texts.push_back(alert.value("text", ""));
    return texts;
  }

  long long number(const std::string& sql) {
    return DataStore(data_.path + "/data").number(sql.c_str());
  }
};

TEST_F(ProtectionService, RefusesReportsWithoutATokenOrWithBadValuesAndStoresNothing) {
  const std::string token = sign_in("jane@example.com");
  EXPECT_EQ(report("", "paused").status, 401);
  EXPECT_EQ(report("ocp_ffffffffffffffffffffffffffffffff", "paused").status, 401);
  ServiceReply unknown = report(token, "asleep");
  EXPECT_EQ(unknown.status, 400);
  EXPECT_NE(unknown.json["error"].get<std::string>().find("paused, resumed, closed"),
            std::string::npos);
  EXPECT_EQ(report(token, "PAUSED").status, 400);
  EXPECT_EQ(report(token, "paused", std::string(256, 'x')).status, 400);
  EXPECT_EQ(report(token, "paused", std::string(255, 'x')).status, 200);
  EXPECT_EQ(report(token, "closed", "DESKTOP-1234", "\"yesterday\"").status, 400);
  EXPECT_EQ(report(token, "closed", "DESKTOP-1234", "-5").status, 400);
  EXPECT_EQ(report(token, "closed", "DESKTOP-1234", "12.5").status, 400);
  EXPECT_EQ(call(R"({"action":"report_protection","device_label":"X"})", token).status, 400);
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events"), 1) << "only the one good report";
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = 'closed'"), 0);
}

TEST_F(ProtectionService, EachAlertingStateAlertsOncePerComputerInTenMinutes) {
  const std::string token = sign_in("jane@example.com");
  const std::string laptop = sign_in("jane@example.com");
  const struct {
    const char* state;
    const char* start;
  } kStates[] = {
      {"paused", "Callwarden was paused on DESKTOP-1234 at "},
      {"closed", "Callwarden was closed on DESKTOP-1234 at "},
      {"removed", "Callwarden was removed from DESKTOP-1234 at "},
      {"ended_unexpectedly", "Callwarden on DESKTOP-1234 ended without being closed"},
      {"autostart_off", "Callwarden will no longer start with Windows on DESKTOP-1234"},
  };
  size_t expected = 0;
  for (const auto& each : kStates) {
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(report(token, each.state).status, 200) << each.state;
    std::vector<std::string> sent = alerts(++expected);
    ASSERT_EQ(sent.size(), expected) << each.state;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(sent.back().rfind(each.start, 0), 0u) << sent.back();
    EXPECT_NE(sent.back().find("If nobody in the family expected this, call the person who uses "
                               "that computer now."),
              std::string::npos)
        << sent.back();
    // The same state again within 10 minutes is held back; another computer is not.
    ASSERT_EQ(report(token, each.state).status, 200);
    ASSERT_EQ(report(laptop, each.state, "LAPTOP-5678").status, 200);
    sent = alerts(++expected + 1);
    ASSERT_EQ(sent.size(), expected) << each.state;
    EXPECT_NE(sent.back().find("LAPTOP-5678"), std::string::npos);
  }
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events WHERE kind = 'protection'"), 15)
      << "every report is kept, alerted or not";
}

TEST_F(ProtectionService, SwitchedBackOnAlertsOnlyWithinAnHourOfAPauseAlert) {
  const std::string token = sign_in("jane@example.com");
  ASSERT_EQ(report(token, "resumed").status, 200);
  EXPECT_EQ(alerts(1).size(), 0u) << "no pause alert went out: nothing to reassure about";
  ASSERT_EQ(report(token, "paused").status, 200);
  ASSERT_EQ(report(token, "resumed").status, 200);
  std::vector<std::string> sent = alerts(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].rfind("Callwarden on DESKTOP-1234 was switched back on at ", 0), 0u) << sent[1];
  // A pause alert more than an hour ago makes the next switch back on no news.
  number("UPDATE device_tokens SET pause_alerted_at = pause_alerted_at - 3601");
  number("DELETE FROM alert_slots");
  ASSERT_EQ(report(token, "resumed").status, 200);
  EXPECT_EQ(alerts(3).size(), 2u);
}

TEST_F(ProtectionService, AProtectionOffAlertIsNeverHeldBackByAnEarlierPauseOrByToolAlerts) {
  // Paused, switched back on and paused again within minutes: the family's last word is true.
  const std::string token = sign_in("jane@example.com");
  ASSERT_EQ(report(token, "paused").status, 200);
  ASSERT_EQ(report(token, "resumed").status, 200);
  ASSERT_EQ(report(token, "paused").status, 200);
  std::vector<std::string> sent = alerts(3);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[2].rfind("Callwarden was paused on ", 0), 0u) << sent[2];
  // An hour's worth of tool alerts from another account's computer leaves its pause alone.
  const std::string flooded = sign_in("sam@example.com");
  for (int i = 0; i < 11; ++i)
    ASSERT_EQ(call(R"({"action":"report_blocked_tool","tool_name":"tool)" + std::to_string(i) +
                       R"(.exe","device_label":"LAPTOP-5678"})",
                   flooded)
                  .status,
              200);
  ASSERT_EQ(alerts(3 + 10).size(), 13u);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(report(flooded, "paused", "LAPTOP-5678").status, 200);
  sent = alerts(14);
  ASSERT_EQ(sent.size(), 14u) << "the pause was held back by the tool alerts";
  EXPECT_EQ(sent.back().rfind("Callwarden was paused on LAPTOP-5678", 0), 0u) << sent.back();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(ProtectionService, ShutdownAndSleepAreShownNeverAlertedAndEndWithTheNextCall) {
  const std::string token = sign_in("jane@example.com");
  for (const char* state : {"shutdown", "suspended"}) {
    ASSERT_EQ(report(token, state).status, 200) << state;
    EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = '" +
                     std::string(state) + "' AND silent_at = 0"),
              1)
        << "shown, and not watched for silence";
    ASSERT_EQ(call(R"({"action":"app_status","device_label":"DESKTOP-1234"})", token).status, 200);
    EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = '' AND "
                     "silent_at > 0"),
              1)
        << "running again after " << state;
  }
  // A close the program kept while offline and sent from its next run is told, but the
  // computer runs: what the page shows and the silence watch stand.
  ASSERT_EQ(call(R"({"action":"report_protection","state":"closed","device_label":"DESKTOP-1234",)"
                 R"("kept":true})",
                 token)
                .status,
            200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = '' AND "
                   "silent_at > 0"),
            1);
  std::vector<std::string> sent = alerts(1);
  ASSERT_EQ(sent.size(), 1u) << "only the close alerts";
  EXPECT_EQ(sent[0].rfind("Callwarden was closed on ", 0), 0u) << sent[0];
  EXPECT_EQ(
      call(R"({"action":"report_protection","state":"closed","device_label":"X","kept":1})", token)
          .status,
      400);
}

TEST_F(ProtectionService, AReportKeptOfflineKeepsItsTimeAndDoesNotUndoANewerState) {
  const std::string token = sign_in("jane@example.com");
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  ASSERT_EQ(report(token, "paused").status, 200);
  // Closed two days ago, kept while the service could not be reached, sent at this start.
  const int64_t two_days_ago = now - 2 * 24 * 3600;
  ASSERT_EQ(report(token, "closed", "DESKTOP-1234", std::to_string(two_days_ago)).status, 200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = 'paused'"), 1);
  EXPECT_EQ(number("SELECT at FROM account_events WHERE detail = 'closed'"), two_days_ago);
  std::vector<std::string> sent = alerts(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[1].find("Callwarden was closed on DESKTOP-1234 on "), std::string::npos)
      << "an old report names its day: " << sent[1];
  // A clock ahead of the service's counts as now.
  ASSERT_EQ(report(token, "closed", "DESKTOP-1234", std::to_string(now + 86400)).status, 200);
  EXPECT_LE(number("SELECT MAX(at) FROM account_events"), now + 60);
  // Closed, then a status call: the program runs again.
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = 'closed'"), 1);
  ASSERT_EQ(call(R"({"action":"app_status","device_label":"DESKTOP-1234"})", token).status, 200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE protection_state = ''"), 1);
}

TEST_F(ProtectionService, AStoreThatCannotLookUpTheTokenAnswers503NeverNotLinked) {
  const std::string token = sign_in("jane@example.com");
  const std::string status = R"({"action":"app_status","device_label":"DESKTOP-1234"})";
  ASSERT_EQ(call(status, token).json["authenticated"], true);
  if (testing_postgres()) {
    database_.drop(); // the database is gone from under the service
  } else {
    number("DROP TABLE device_tokens");
  }
  for (const std::string& body :
       {status, std::string(R"({"action":"report_protection","state":"paused",)"
                            R"("device_label":"DESKTOP-1234"})")}) {
    ServiceReply failed = call(body, token);
    EXPECT_EQ(failed.status, 503) << body;
    EXPECT_EQ(failed.retry_after, "10");
    EXPECT_FALSE(failed.json.contains("authenticated")) << failed.body;
  }
  EXPECT_EQ(call(status).json["authenticated"], false) << "no token: not linked, as before";
}

TEST_F(ProtectionService, StatusCarriesTheLockAndAPinForTheLockStartsNoOverride) {
  const std::string token = sign_in("jane@example.com");
  auto status = [&] {
    return call(R"({"action":"app_status","device_label":"DESKTOP-1234"})", token);
  };
  EXPECT_EQ(status().json["guardian_lock"], false);
  EXPECT_EQ(call(R"({"action":"app_status","device_label":"X"})").json["guardian_lock"], false);
  number("UPDATE device_tokens SET guardian_lock = 1");
  EXPECT_EQ(status().json["guardian_lock"], true);
  ASSERT_EQ(admin({"set-guardian-pin", "jane@example.com", "4821"}), 0);
  auto verify = [&](const std::string& pin, const std::string& purpose) {
    return call(R"({"action":"verify_override_pin","override_pin":")" + pin +
                    R"(","device_label":"DESKTOP-1234","purpose":")" + purpose + "\"}",
                token);
  };
  EXPECT_EQ(verify("4821", "sleep").status, 400);
  EXPECT_EQ(verify("1111", "pause").status, 401);
  EXPECT_EQ(verify("4821", "pause").status, 200);
  EXPECT_EQ(verify("4821", "close").status, 200);
  EXPECT_EQ(verify("4821", "remove").status, 200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events WHERE kind = 'override_used'"), 0);
  EXPECT_EQ(alerts(1).size(), 0u) << "the computer reports the pause itself; no override began";
}

} // namespace
