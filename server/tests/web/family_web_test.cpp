// The family web site through real HTTPS, as a browser meets it: routing by host, sign-in by
// code, the forms and their refusals, and the alerts a linked computer's reports raise.
#include <chrono>
#include <thread>

#include "support/service_harness.h"
#include "store/store_family.h"
#include "support/web_browser.h"

namespace {

class FamilyWeb : public WebServiceTest {
protected:
  ServiceReply status(const std::string& token, const std::string& label) {
    return call(R"({"action":"app_status","device_label":)" + nlohmann::json(label).dump() + "}",
                token);
  }

  ServiceReply report(const std::string& token, const char* tool) {
    return call(std::string(R"({"action":"report_blocked_tool","tool_name":")") + tool +
                    R"(","device_label":"DESKTOP-1234"})",
                token);
  }

  ServiceReply override_pin(const std::string& token, const std::string& pin) {
    return call(R"({"action":"verify_override_pin","override_pin":")" + pin +
                    R"(","device_label":"DESKTOP-1234"})",
                token);
  }

  long long number(const std::string& sql) {
    return DataStore(data_.path + "/data").number(sql.c_str());
  }
};

TEST_F(FamilyWeb, EachHostServesOnlyItsOwnSite) {
  WebBrowser web(port_);
  WebPage product = web.get("/callwarden");
  EXPECT_EQ(product.status, 200);
  EXPECT_NE(product.body.find("id=\"pricing\""), std::string::npos);
  EXPECT_NE(product.body.find("£4.99 a month"), std::string::npos);
  EXPECT_EQ(
      product.header("Content-Security-Policy").rfind("default-src 'none'; style-src 'self'", 0),
      0u);
  EXPECT_EQ(web.get("/style.css").header("Content-Type"), "text/css; charset=utf-8");
  EXPECT_EQ(web.get("/healthz").status, 404) << "the API's paths are not on the web host";
  EXPECT_EQ(web.post("/callwarden_api.php", {{"action", "app_status"}}).status, 404);
  EXPECT_EQ(web.post("/test/reset", {}).status, 404);
  EXPECT_EQ(web.post("/callwarden", {}).status, 405);

  WebBrowser api(port_, "api.olvex.example:443");
  EXPECT_EQ(api.get("/healthz").status, 200);
  EXPECT_EQ(api.get("/family").status, 404) << "the pages are not on the API host";
  EXPECT_EQ(api.post("/family/sign-in", {}).status, 404);
  WebBrowser other(port_, "evil.example");
  EXPECT_EQ(other.get("/healthz").status, 404);
  EXPECT_EQ(other.get("/callwarden").status, 404);
  EXPECT_EQ(get("/healthz").status, 200) << "a bare address is the API, as monitoring uses it";
}

TEST_F(FamilyWeb, UnknownAndKnownIdentifiersGetTheSameAnswerAndTheCodeSignsIn) {
  ASSERT_FALSE(sign_in("jane@example.com").empty());
  auto code_step = [this](const std::string& identifier) {
    WebBrowser browser(port_);
    browser.get("/family");
    WebPage page = browser.post("/family/send-code", {{"identifier", identifier}});
    std::string body = page.body;
    for (const char* name : {"csrf", "challenge"}) {
      std::string value = page.input_value(name);
      body.replace(body.find(value), value.size(), "X");
    }
    return std::make_pair(page.status, body);
  };
  auto known = code_step("jane@example.com");
  auto unknown = code_step("john@example.com");
  EXPECT_EQ(known.first, 200);
  EXPECT_EQ(unknown.first, 200);
  // Both mask to j***@example.com: the pages must be the same, byte for byte.
  EXPECT_EQ(known.second, unknown.second);

  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "07700 900123"));
  bool session_cookie = false;
  for (const std::string& cookie : browser.last.set_cookies()) {
    if (cookie.rfind("__Host-olvex_session=", 0) != 0) continue;
    session_cookie = true;
    EXPECT_NE(cookie.find("; Path=/; Secure; HttpOnly; SameSite=Strict; Max-Age=2592000"),
              std::string::npos)
        << cookie;
  }
  EXPECT_TRUE(session_cookie);
  EXPECT_NE(browser.last.body.find("Signed in as <strong>07700900123</strong>"), std::string::npos);
  EXPECT_EQ(number("SELECT COUNT(*) FROM web_sessions WHERE length(id_digest) = 64"), 1);
  EXPECT_EQ(number("SELECT COUNT(*) FROM web_sessions WHERE id_digest = '" +
                   browser.cookies["__Host-olvex_session"] + "'"),
            0)
      << "only the digest of the session id is stored";
}

TEST_F(FamilyWeb, WrongCodesAndCodesForOtherPurposesDoNotSignIn) {
  WebBrowser browser(port_);
  browser.get("/family");
  WebPage sent = browser.post("/family/send-code", {{"identifier", "jane@example.com"}});
  const std::string challenge = sent.input_value("challenge");
  std::string code = last_outbox_code();
  std::string wrong = code == "000000" ? "111111" : "000000";
  WebPage refused = browser.post("/family/sign-in", {{"challenge", challenge}, {"code", wrong}});
  EXPECT_EQ(refused.status, 401);
  EXPECT_NE(refused.body.find("That code is not right"), std::string::npos);
  EXPECT_NE(refused.body.find("aria-invalid=\"true\""), std::string::npos);
  EXPECT_EQ(browser.cookies.count("__Host-olvex_session"), 0u);
  // The program's verify_pin refuses a code sent for the web page's PIN change, and the web page
  // refuses a challenge made for something else.
  WebBrowser other(port_);
  ASSERT_TRUE(web_sign_in(&other, "07700 900222"));
  ASSERT_EQ(other.post("/family/pin/send-code", {}).status, 303);
  std::string outbox = read_data_file("outbox.txt");
  nlohmann::json line = nlohmann::json::parse(outbox.substr(outbox.rfind('{')));
  EXPECT_EQ(line["purpose"], "pin_change") << "the message can say what the code is for";
  ServiceReply program =
      call(R"({"action":"verify_pin","challenge_id":")" + line["challenge_id"].get<std::string>() +
           R"(","pin_code":")" + line["code"].get<std::string>() + "\"}");
  EXPECT_EQ(program.status, 401);
}

TEST_F(FamilyWeb, FormsWithoutTheirTokenOrWithAnEndedSessionChangeNothing) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token, "DESKTOP-1234").json["authenticated"], true);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  const std::string link = browser.last.input_value("link");
  ASSERT_FALSE(link.empty());

  WebPage no_token = browser.post("/family/computers/unlink", {{"link", link}}, false);
  EXPECT_EQ(no_token.status, 403);
  WebPage wrong_token = browser.post("/family/computers/unlink",
                                     {{"link", link}, {"csrf", std::string(64, 'a')}}, false);
  EXPECT_EQ(wrong_token.status, 403);
  // Another browser's token is no good either.
  WebBrowser other(port_);
  ASSERT_TRUE(web_sign_in(&other, "jane@example.com"));
  browser.last.body = other.last.body;
  EXPECT_EQ(browser.post("/family/computers/unlink", {{"link", link}}).status, 403);
  // The sign-in form checks its token too.
  WebBrowser fresh(port_);
  fresh.get("/family");
  EXPECT_EQ(fresh.post("/family/send-code", {{"identifier", "x@example.com"}}, false).status, 403);
  EXPECT_EQ(status(token, "DESKTOP-1234").json["authenticated"], true);

  browser.get("/family");
  DataStore(data_.path + "/data").number("UPDATE web_sessions SET last_used_at = 0");
  WebPage ended = browser.post("/family/computers/unlink", {{"link", link}});
  EXPECT_EQ(ended.status, 401);
  EXPECT_NE(ended.body.find("Please sign in again"), std::string::npos);
  EXPECT_EQ(browser.get("/family").body.find("Signed in as"), std::string::npos);
  EXPECT_EQ(status(token, "DESKTOP-1234").json["authenticated"], true);
  EXPECT_EQ(browser.post("/family/sign-out", {}).status, 401);
}

TEST_F(FamilyWeb, DeviceLabelsAndNamesAreShownAsTextNeverAsMarkup) {
  std::string token = sign_in("jane@example.com");
  const std::string label = "<script>alert(1)</script>\"><img src=x onerror=alert(2)>";
  ASSERT_EQ(status(token, label).status, 200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  const std::string& page = browser.last.body;
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&gt;&lt;img"), std::string::npos);
  const std::string link = browser.last.input_value("link");
  WebPage named = browser.post_and_follow("/family/computers/name",
                                          {{"link", link}, {"name-" + link, "Mum <b>\" & co"}});
  EXPECT_NE(named.body.find("Mum &lt;b&gt;&quot; &amp; co"), std::string::npos);
  EXPECT_EQ(named.body.find("<b>"), std::string::npos);
}

TEST_F(FamilyWeb, LinkedComputersAreNamedByWhatTheySendWithoutAWriteAtEveryCall) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token, "DESKTOP-1234").status, 200);
  long long first_seen = number("SELECT last_seen_at FROM device_tokens");
  EXPECT_GT(first_seen, 0);
  DataStore(data_.path + "/data")
      .number("UPDATE device_tokens SET last_seen_at = last_seen_at - 30");
  ASSERT_EQ(status(token, "DESKTOP-1234").status, 200);
  EXPECT_EQ(number("SELECT last_seen_at FROM device_tokens"), first_seen - 30)
      << "seen 30 s ago with the same label: nothing written";
  ASSERT_EQ(status(token, "RENAMED-PC").status, 200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE device_label = 'RENAMED-PC' AND "
                   "last_seen_at >= " +
                   std::to_string(first_seen)),
            1);
  // A report names the computer too (a computer linked since its last start has sent no
  // status yet), without counting as a status.
  ASSERT_EQ(report(token, "AnyDesk.exe").status, 200);
  EXPECT_EQ(number("SELECT COUNT(*) FROM device_tokens WHERE device_label = 'DESKTOP-1234'"), 1);
}

TEST_F(FamilyWeb, PinChangeNeedsAFreshCodeWarnsOnGuessablePinsAndWorksForTheOverride) {
  std::string token = sign_in("jane@example.com");
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  // Without a code sent for it, the PIN form does nothing.
  WebPage early =
      browser.post("/family/pin", {{"code", "123456"}, {"pin", "4821"}, {"pin2", "4821"}});
  EXPECT_EQ(early.status, 400);
  WebPage asked = browser.post_and_follow("/family/pin/send-code", {});
  ASSERT_NE(asked.body.find("New Guardian PIN"), std::string::npos);
  const std::string code = last_outbox_code();
  WebPage differ = browser.post("/family/pin", {{"code", code}, {"pin", "4821"}, {"pin2", "4812"}});
  EXPECT_NE(differ.body.find("The two PINs are not the same"), std::string::npos);
  WebPage weak = browser.post("/family/pin", {{"code", code}, {"pin", "1234"}, {"pin2", "1234"}});
  EXPECT_EQ(weak.status, 400);
  EXPECT_NE(weak.body.find("That PIN is easy to guess: the digits run in order"),
            std::string::npos);
  EXPECT_EQ(override_pin(token, "1234").status, 403) << "nothing saved yet";
  WebPage saved = browser.post_and_follow(
      "/family/pin", {{"code", code}, {"pin", "1234"}, {"pin2", "1234"}, {"weak_ok", "1"}});
  EXPECT_NE(saved.body.find("The Guardian PIN is saved"), std::string::npos);
  EXPECT_NE(saved.body.find("A Guardian PIN is set."), std::string::npos);
  EXPECT_EQ(override_pin(token, "1234").status, 200);
  // The code is used up: changing the PIN again needs another one.
  WebPage again = browser.post("/family/pin", {{"code", code}, {"pin", "4821"}, {"pin2", "4821"}});
  EXPECT_EQ(again.status, 400);
  EXPECT_EQ(override_pin(token, "4821").status, 401);
}

TEST_F(FamilyWeb, ContactsJoinOnlyWithTheirCodeAndTheListHoldsFour) {
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  EXPECT_EQ(browser.post("/family/contacts/add", {{"identifier", "JANE@example.com"}}).status, 400);
  WebPage added = browser.post_and_follow("/family/contacts/add", {{"identifier", "07700 900456"}});
  EXPECT_NE(added.body.find("waiting for their code"), std::string::npos);
  const std::string contact = added.input_value("contact");
  const std::string code = last_outbox_code();
  const std::string wrong = code == "000000" ? "111111" : "000000";
  EXPECT_EQ(
      browser.post("/family/contacts/confirm", {{"contact", contact}, {"code-" + contact, wrong}})
          .status,
      401);
  WebPage confirmed = browser.post_and_follow("/family/contacts/confirm",
                                              {{"contact", contact}, {"code-" + contact, code}});
  EXPECT_NE(confirmed.body.find("07700900456</strong>: gets alerts"), std::string::npos);
  EXPECT_EQ(browser.post("/family/contacts/add", {{"identifier", "07700900456"}}).status, 400);
  for (const char* more : {"a@example.com", "b@example.com", "c@example.com"})
    ASSERT_EQ(browser.post_and_follow("/family/contacts/add", {{"identifier", more}}).status, 200);
  WebPage full = browser.get("/family");
  EXPECT_NE(full.body.find("Four people are on the list"), std::string::npos);
  EXPECT_EQ(number("SELECT COUNT(*) FROM alert_contacts"), 4);
  WebPage removed = browser.post_and_follow("/family/contacts/remove", {{"contact", contact}});
  EXPECT_EQ(removed.body.find("07700900456"), std::string::npos);
}

TEST_F(FamilyWeb, StoppedToolsAlertEveryConfirmedContactOncePerComputerAndTool) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token, "DESKTOP-1234").status, 200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  const std::string link = browser.last.input_value("link");
  browser.post_and_follow("/family/computers/name", {{"link", link}, {"name-" + link, "Mum"}});
  browser.post_and_follow("/family/contacts/add", {{"identifier", "07700 900456"}});
  const std::string contact = browser.last.input_value("contact");
  browser.post_and_follow("/family/contacts/confirm",
                          {{"contact", contact}, {"code-" + contact, last_outbox_code()}});
  browser.post_and_follow("/family/contacts/add", {{"identifier", "unconfirmed@example.com"}});

  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(report(token, "AnyDesk.exe").status, 200);
  std::vector<nlohmann::json> sent = outbox_alerts(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(sent[0]["identifier"], "jane@example.com");
  EXPECT_EQ(sent[1]["identifier"], "07700900456");
  const std::string text = sent[0]["text"];
  EXPECT_EQ(text.rfind("Callwarden stopped AnyDesk on DESKTOP-1234 at ", 0), 0u) << text;
  EXPECT_NE(text.find(". If nobody in the family expected this, call Mum now."), std::string::npos);

  ASSERT_EQ(report(token, "anydesk.exe").status, 200);
  ASSERT_EQ(report(token, "TeamViewer.exe").status, 200);
  sent = outbox_alerts(5);
  ASSERT_EQ(sent.size(), 4u) << "the second AnyDesk within 10 minutes is held back";
  EXPECT_NE(sent[2]["text"].get<std::string>().find("stopped TeamViewer"), std::string::npos);
  WebPage page = browser.get("/family");
  EXPECT_NE(page.body.find("AnyDesk was stopped on DESKTOP-1234"), std::string::npos);
  EXPECT_NE(page.body.find("TeamViewer was stopped on DESKTOP-1234"), std::string::npos);
  EXPECT_EQ(number("SELECT COUNT(*) FROM alert_queue WHERE state = 'sent'"), 4);
}

TEST_F(FamilyWeb, OverridesAndThreeWrongPinsAlertAndShowOnThePage) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(admin({"set-guardian-pin", "jane@example.com", "4821"}), 0);
  ASSERT_EQ(override_pin(token, "1111").status, 401);
  ASSERT_EQ(override_pin(token, "2222").status, 401);
  EXPECT_EQ(outbox_alerts(1).size(), 0u) << "two wrong PINs are no alarm yet";
  ASSERT_EQ(override_pin(token, "3333").status, 401);
  std::vector<nlohmann::json> sent = outbox_alerts(1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["text"].get<std::string>().rfind(
                "Someone typed a wrong Guardian PIN 3 times in a row on DESKTOP-1234", 0),
            0u);
  ASSERT_EQ(override_pin(token, "4821").status, 200);
  sent = outbox_alerts(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(
      sent[1]["text"].get<std::string>().find("switched Callwarden's remote-tool blocker off"),
      std::string::npos);
  ASSERT_EQ(
      call(
          R"({"action":"check_scam","text":"Your parcel is held. Pay the fee at http://bit.ly/x now","device_label":"DESKTOP-1234"})",
          token)
          .status,
      200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  EXPECT_NE(browser.last.body.find("The Guardian PIN switched the blocker off"), std::string::npos);
  EXPECT_NE(browser.last.body.find("A wrong Guardian PIN was refused"), std::string::npos);
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events WHERE kind = 'check'"), 1);
  EXPECT_EQ(browser.last.body.find("parcel"), std::string::npos) << "never the message's text";
  EXPECT_EQ(outbox_alerts(3).size(), 2u) << "scam-message alerts are off unless asked for";
}

// Verdicts are written together about once a second; the page and a stop must not lose any.
TEST_F(FamilyWeb, CheckedVerdictsReachTheStoreThePageAndSurviveAStop) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(admin({"set-plan", "jane@example.com", "Family plan", "--entitled", "1"}), 0);
  const std::string check =
      R"({"action":"check_scam","text":"Your parcel is held. Pay the fee at http://bit.ly/x now","device_label":"DESKTOP-1234"})";
  const std::string safe =
      R"({"action":"check_scam","text":"See you at lunch on Sunday, love Mum","device_label":"DESKTOP-1234"})";
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(call(check, token).status, 200);
  long long written = 0;
  for (int i = 0; i < 100 && written < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    written = number("SELECT COUNT(*) FROM account_events WHERE kind = 'check'");
  }
  EXPECT_EQ(written, 3) << "written without anyone reading the page";
  ASSERT_EQ(call(safe, token).status, 200);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  EXPECT_NE(browser.last.body.find("Looks safe: <strong>1</strong>"), std::string::npos)
      << "the page counts the check made just before it";
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(call(safe, token).status, 200);
  stop_service();
  EXPECT_EQ(number("SELECT COUNT(*) FROM account_events WHERE detail = 'SAFE'"), 6)
      << "a stop writes what was waiting";
}

TEST_F(FamilyWeb, UnlinkingAComputerEndsItsTokenAtOnce) {
  std::string token = sign_in("jane@example.com");
  ASSERT_EQ(status(token, "DESKTOP-1234").json["authenticated"], true);
  WebBrowser browser(port_);
  ASSERT_TRUE(web_sign_in(&browser, "jane@example.com"));
  EXPECT_NE(browser.last.body.find("DESKTOP-1234"), std::string::npos);
  const std::string link = browser.last.input_value("link");
  WebPage asks = browser.get("/family/computers/unlink?link=" + link);
  EXPECT_NE(asks.body.find("<h1>Unlink DESKTOP-1234?</h1>"), std::string::npos) << "asked first";
  EXPECT_EQ(status(token, "DESKTOP-1234").json["authenticated"], true);
  WebPage unlinked = browser.post_and_follow("/family/computers/unlink", {{"link", link}});
  EXPECT_NE(unlinked.body.find("The computer is unlinked"), std::string::npos);
  std::vector<nlohmann::json> alerts = outbox_alerts(1);
  ASSERT_EQ(alerts.size(), 1u) << "every unlink is told";
  EXPECT_NE(alerts[0].value("text", "").find("DESKTOP-1234 was unlinked from the family account"),
            std::string::npos);
  EXPECT_NE(unlinked.body.find("No computer is linked yet"), std::string::npos);
  EXPECT_EQ(status(token, "DESKTOP-1234").json["authenticated"], false);
  EXPECT_EQ(report(token, "AnyDesk.exe").status, 401);
}

} // namespace
