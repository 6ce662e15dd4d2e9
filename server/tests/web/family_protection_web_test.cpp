// The family page's view of each computer's protection and its Guardian lock, through real
// HTTPS as a browser meets them.
#include "support/service_harness.h"
#include "support/web_browser.h"

namespace {

class FamilyProtection : public WebServiceTest {
protected:
  ServiceReply report(const std::string& token, const char* state) {
    return call(std::string(R"({"action":"report_protection","state":")") + state +
                    R"(","device_label":"DESKTOP-1234"})",
                token);
  }

  ServiceReply status(const std::string& token) {
    return call(R"({"action":"app_status","device_label":"DESKTOP-1234"})", token);
  }

  long long number(const char* sql) { return DataStore(data_.path + "/data").number(sql); }
};

TEST_F(FamilyProtection, ThePageShowsProtectionNowWhatHappenedAndWhenEachComputerWasHeardFrom) {
  const std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token).status, 200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  EXPECT_NE(browser.last.body.find("<dt>Protection now</dt><dd>On</dd>"), std::string::npos);
  EXPECT_NE(browser.last.body.find("<dt>Last heard from</dt>"), std::string::npos);
  EXPECT_EQ(browser.last.body.find("Not heard from for over 24 hours"), std::string::npos);

  ASSERT_EQ(report(token, "paused").status, 200);
  WebPage page = browser.get("/family");
  EXPECT_NE(page.body.find("<dd>Paused since "), std::string::npos);
  EXPECT_NE(page.body.find("Callwarden was paused on DESKTOP-1234."), std::string::npos);
  ASSERT_EQ(report(token, "resumed").status, 200);
  EXPECT_NE(browser.get("/family").body.find("<dd>On</dd>"), std::string::npos);
  ASSERT_EQ(report(token, "closed").status, 200);
  EXPECT_NE(browser.get("/family").body.find("<dd>Closed at "), std::string::npos);
  ASSERT_EQ(report(token, "removed").status, 200);
  page = browser.get("/family");
  EXPECT_NE(page.body.find("<dd>Removed on "), std::string::npos);
  EXPECT_NE(page.body.find("Callwarden was removed from DESKTOP-1234."), std::string::npos);

  // Any call is heard, a report included; a day and more of silence is said plainly.
  number("UPDATE device_tokens SET last_seen_at = last_seen_at - 90000");
  EXPECT_NE(browser.get("/family").body.find("Not heard from for over 24 hours"),
            std::string::npos);
  ASSERT_EQ(report(token, "autostart_off").status, 200);
  EXPECT_EQ(browser.get("/family").body.find("Not heard from for over 24 hours"),
            std::string::npos);
}

TEST_F(FamilyProtection, TheLockNeedsAPinToGoOnAndAFreshCodeToComeOff) {
  const std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token).status, 200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  const std::string link = browser.last.input_value("link");
  EXPECT_NE(browser.last.body.find("Ask for the Guardian PIN before Callwarden on DESKTOP-1234 "
                                   "can be paused, closed or removed."),
            std::string::npos);
  WebPage refused = browser.post("/family/computers/lock", {{"link", link}});
  EXPECT_EQ(refused.status, 400);
  EXPECT_NE(refused.body.find("Please set a Guardian PIN first"), std::string::npos);
  EXPECT_EQ(status(token).json["guardian_lock"], false);

  ASSERT_EQ(admin({"set-guardian-pin", "jane@example.com", "4821"}), 0);
  EXPECT_EQ(browser.post("/family/computers/lock", {{"link", "no-such-link"}}).status, 404);
  WebPage on = browser.post_and_follow("/family/computers/lock", {{"link", link}});
  EXPECT_NE(on.body.find("The lock is on."), std::string::npos);
  EXPECT_EQ(status(token).json["guardian_lock"], true);

  // Off only with a code sent for that: none asked for, a wrong one, a sign-in code.
  EXPECT_EQ(browser.post("/family/computers/unlock", {{"link", link}}).status, 400);
  WebPage asked = browser.post_and_follow("/family/computers/lock/send-code", {{"link", link}});
  ASSERT_NE(asked.body.find("The 6-digit code we sent you"), std::string::npos);
  const std::string code = last_outbox_code();
  const std::string wrong = code == "000000" ? "111111" : "000000";
  EXPECT_EQ(browser.post("/family/computers/unlock", {{"link", link}, {"lock-code-" + link, wrong}})
                .status,
            401);
  EXPECT_EQ(status(token).json["guardian_lock"], true);
  WebPage off = browser.post_and_follow("/family/computers/unlock",
                                        {{"link", link}, {"lock-code-" + link, code}});
  EXPECT_NE(off.body.find("The Guardian lock is off."), std::string::npos);
  EXPECT_EQ(status(token).json["guardian_lock"], false);
  // The code is used up.
  browser.post_and_follow("/family/computers/lock", {{"link", link}});
  EXPECT_EQ(browser.post("/family/computers/unlock", {{"link", link}, {"lock-code-" + link, code}})
                .status,
            400);
  EXPECT_EQ(status(token).json["guardian_lock"], true);
}

TEST_F(FamilyProtection, ALockedComputerIsUnlinkedOnlyWithAFreshCodeAndEveryoneHearsOfIt) {
  const std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token).status, 200);
  number("INSERT INTO alert_contacts (account_id, slot, identifier, confirmed, created_at) VALUES "
         "((SELECT id FROM accounts WHERE identifier = 'jane@example.com'), 0, "
         "'sam@example.com', 1, 0)");
  ASSERT_EQ(admin({"set-guardian-pin", "jane@example.com", "4821"}), 0);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  const std::string link = browser.last.input_value("link");
  browser.post_and_follow("/family/computers/lock", {{"link", link}});
  WebPage asks = browser.get("/family/computers/unlink?link=" + link);
  EXPECT_EQ(asks.status, 200);
  EXPECT_NE(asks.body.find("<h1>Unlink DESKTOP-1234?</h1>"), std::string::npos);
  EXPECT_NE(asks.body.find("Send me a code to unlink DESKTOP-1234"), std::string::npos);

  // Without the code it stays linked and nothing is kept of the try.
  WebPage refused = browser.post("/family/computers/unlink", {{"link", link}});
  EXPECT_EQ(refused.status, 400);
  EXPECT_NE(refused.body.find("Please ask for a code first."), std::string::npos);
  EXPECT_EQ(status(token).json["authenticated"], true);
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events WHERE detail = 'unlinked'"), 0);
  EXPECT_EQ(number("SELECT COUNT(*) FROM alert_queue"), 0);

  WebPage sent = browser.post_and_follow("/family/computers/unlink/send-code", {{"link", link}});
  ASSERT_NE(sent.body.find("The 6-digit code we sent you"), std::string::npos) << sent.body;
  const std::string code = last_outbox_code();
  EXPECT_NE(read_data_file("outbox.txt").find("\"purpose\":\"unlink\""), std::string::npos);
  const std::string wrong = code == "000000" ? "111111" : "000000";
  EXPECT_EQ(browser.post("/family/computers/unlink", {{"link", link}, {"code", wrong}}).status,
            401);
  EXPECT_EQ(status(token).json["authenticated"], true);
  WebPage unlinked =
      browser.post_and_follow("/family/computers/unlink", {{"link", link}, {"code", code}});
  EXPECT_NE(unlinked.body.find("The computer is unlinked"), std::string::npos);
  EXPECT_EQ(status(token).json["authenticated"], false);
  std::vector<nlohmann::json> sent_alerts = outbox_alerts(2);
  ASSERT_EQ(sent_alerts.size(), 2u) << "the account and its contact";
  for (const nlohmann::json& alert : sent_alerts)
    EXPECT_EQ(
        alert.value("text", "").rfind("DESKTOP-1234 was unlinked from the family account at ", 0),
        0u)
        << alert.dump();
}

} // namespace
