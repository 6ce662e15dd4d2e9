// Texts to UK mobiles through a real Kannel and its fake SMSC: a code that signs in, an alert,
// a text held while smsbox is away, a delivery report, and two instances that send each text
// once. Bad numbers are refused where they are typed and queue nothing.
#include <chrono>
#include <map>
#include <memory>
#include <regex>
#include <thread>

#include "alerts/text_sender.h"
#include "store/store_texts.h"
#include "support/kannel_gateway.h"
#include "support/service_harness.h"

namespace {

class TextService : public ServiceTest {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(kannel_.start(&error)) << error;
    serve_options_.sms.sendsms_url = kannel_.sendsms_url();
    serve_options_.sms.from = "Olvex";
    ServiceTest::SetUp();
  }

  // The gateway first: its kept-alive connection for delivery reports would hold the service's
  // stop for the keep-alive timeout.
  void TearDown() override {
    kannel_.stop();
    ServiceTest::TearDown();
  }

  ServiceReply send_pin(const std::string& identifier) {
    return call(R"({"action":"send_pin","identifier":")" + identifier + "\"}");
  }

  // Signs in by the texted code; the token, or empty.
  std::string sign_in_by_text(const std::string& typed, const std::string& number) {
    ServiceReply sent = send_pin(typed);
    if (sent.status != 200) return std::string();
    ReceivedText text;
    if (!kannel_.wait_for_text(number, "is your Olvex sign-in code", 10, &text))
      return std::string();
    ServiceReply verified =
        call(R"({"action":"verify_pin","challenge_id":")" + sent.json.value("challenge_id", "") +
             R"(","pin_code":")" + code_in_text(text.text) + "\"}");
    return verified.json.is_object() ? verified.json.value("care_auth_token", "") : "";
  }

  std::map<std::string, int> text_states() {
    DataStore store(data_.path + "/data");
    std::map<std::string, int> states;
    EXPECT_TRUE(store.get() && store_text_states(store.get(), &states));
    return states;
  }

  KannelGateway kannel_; // before the service, which sends to it, and stopped after it
};

TEST_F(TextService, ACodeForAMobileArrivesAsATextToTheInternationalNumberAndSignsIn) {
  const std::string token = sign_in_by_text("07700 900123", "447700900123");
  EXPECT_FALSE(token.empty());
  std::vector<ReceivedText> texts = kannel_.texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].from, "Olvex");
  const std::string code = code_in_text(texts[0].text);
  EXPECT_EQ(texts[0].text, code + " is your Olvex sign-in code. It expires in 10 minutes. Olvex "
                                  "will never phone you to ask for it.");
  // Sent, and its words (the code) no longer kept.
  DataStore store(data_.path + "/data");
  EXPECT_EQ(store.number("SELECT COUNT(*) FROM text_queue WHERE state = 'sent' AND body = ''"), 1);
  // Neither the password nor the code shows in the counts.
  ServiceReply metrics = get("/metrics");
  EXPECT_NE(metrics.body.find("olvex_texts_total{outcome=\"sent\"} 1"), std::string::npos)
      << metrics.body;
  EXPECT_EQ(metrics.body.find(kannel_.password()), std::string::npos);
  // An email address still gets no text.
  ASSERT_EQ(send_pin("jane@example.com").status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(kannel_.texts().size(), 1u);
}

TEST_F(TextService, AStoppedAnyDeskReachesAMobileByTextWithinFiveSeconds) {
  const std::string token = sign_in_by_text("+44 7700 900321", "447700900321");
  ASSERT_FALSE(token.empty());
  auto asked = std::chrono::steady_clock::now();
  ServiceReply reply = call(
      R"({"action":"report_blocked_tool","tool_name":"AnyDesk.exe","device_label":"DESKTOP-1234"})",
      token);
  ASSERT_EQ(reply.status, 200) << reply.body;
  ReceivedText text;
  ASSERT_TRUE(kannel_.wait_for_text("447700900321", "stopped AnyDesk on DESKTOP-1234", 5, &text));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
  EXPECT_NE(text.text.find("If nobody in the family expected this"), std::string::npos);
}

TEST_F(TextService, WithSmsboxStoppedTheCodeIsQueuedAndArrivesOnceItIsBack) {
  kannel_.stop_smsbox();
  auto asked = std::chrono::steady_clock::now();
  ServiceReply sent = send_pin("447700900555");
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  ASSERT_EQ(sent.status, 200) << sent.body;
  // The first try fails and the text waits for its next.
  for (int i = 0; i < 50 && text_states()["waiting"] == 1; ++i) {
    DataStore store(data_.path + "/data");
    if (store.number("SELECT tries FROM text_queue") >= 1) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(text_states()["waiting"], 1);
  ASSERT_TRUE(kannel_.start_smsbox());
  ReceivedText text;
  ASSERT_TRUE(kannel_.wait_for_text("447700900555", "is your Olvex sign-in code", 60, &text));
  ServiceReply verified =
      call(R"({"action":"verify_pin","challenge_id":")" + sent.json.value("challenge_id", "") +
           R"(","pin_code":")" + code_in_text(text.text) + "\"}");
  EXPECT_EQ(verified.status, 200) << verified.body;
  EXPECT_EQ(kannel_.texts().size(), 1u);
}

TEST_F(TextService, TheDeliveryReportIsRecordedCountedAndShownForTheNumber) {
  const std::string token = sign_in_by_text("07700 900777", "447700900777");
  ASSERT_FALSE(token.empty());
  testing::internal::CaptureStderr(); // the request lines, which must not show report ids
  ASSERT_EQ(call(R"({"action":"report_blocked_tool","tool_name":"TeamViewer.exe",)"
                 R"("device_label":"KITCHEN-PC"})",
                 token)
                .status,
            200);
  ASSERT_TRUE(kannel_.wait_for_text("447700900777", "stopped TeamViewer", 5));
  std::map<std::string, TextStatus> last;
  int64_t account = 0;
  for (int i = 0; i < 100; ++i) {
    DataStore store(data_.path + "/data");
    ASSERT_EQ(store_find_token(store.get(), token, &account), Lookup::kFound);
    ASSERT_TRUE(store_last_alert_texts(store.get(), account, &last));
    if (last["447700900777"].report == "delivered") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string request_lines = testing::internal::GetCapturedStderr();
  EXPECT_EQ(last["447700900777"].report, "delivered");
  EXPECT_GT(last["447700900777"].report_at, 0);
  EXPECT_NE(request_lines.find("\"path\":\"/texts/report/***\""), std::string::npos);
  EXPECT_FALSE(std::regex_search(request_lines, std::regex("/texts/report/[0-9a-f]")));
  ServiceReply metrics = get("/metrics");
  EXPECT_NE(metrics.body.find("olvex_texts_total{outcome=\"delivered\"} 2"), std::string::npos)
      << metrics.body; // the code and the alert
  // A report for an id nobody was given changes nothing.
  EXPECT_EQ(get("/texts/report/00112233445566778899aabbccddeeff?status=2").status, 404);
  EXPECT_NE(get("/metrics").body.find("olvex_texts_total{outcome=\"failed\"} 0"),
            std::string::npos);
}

TEST_F(TextService, TwoInstancesOnOneDatabaseSendEachTextOnce) {
  if (!testing_postgres()) GTEST_SKIP() << "instances share a database on PostgreSQL";
  // A second instance on the same database and gateway, as behind a load balancer.
  ServeOptions options = serve_options_;
  options.address = "127.0.0.1";
  options.port = 0;
  options.cert_file = test_cert_file();
  options.key_file = test_key_file();
  TempDir second_data;
  options.context.data_dir = second_data.path;
  options.context.database_url = database_.url();
  options.context.secret_key_file = data_.path + "/data/secret.key"; // one key for the database
  options.context.suffix_file = PUBLIC_SUFFIX_DEFAULT_FILE;
  std::string error;
  HttpsService* second = https_service_start(options, &error);
  ASSERT_NE(second, nullptr) << error;
  std::thread runner([second] { https_service_run(second); });
  {
    // Queued behind both instances' backs, so both find them on their next look at once.
    DataStore store(data_.path + "/data");
    Account account;
    ASSERT_TRUE(store_ensure_account(store.get(), "07700900100", 1000, &account));
    for (int i = 0; i < 20; ++i) {
      char number[16];
      std::snprintf(number, sizeof(number), "4477009001%02d", i);
      ASSERT_TRUE(store_queue_text(store.get(), account.id, number, "Text " + std::to_string(i),
                                   kTextForAlert, 0, 1000));
    }
  }
  for (int i = 0; i < 200 && kannel_.texts().size() < 20; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::this_thread::sleep_for(std::chrono::seconds(2)); // a second send would show by now
  std::map<std::string, int> received;
  for (const ReceivedText& text : kannel_.texts())
    ++received[text.to];
  EXPECT_EQ(received.size(), 20u);
  for (const auto& entry : received)
    EXPECT_EQ(entry.second, 1) << entry.first;
  https_service_stop(second);
  runner.join();
  https_service_free(second);
}

TEST_F(TextService, BadNumbersAreRefusedClearlyAndQueueNothing) {
  for (const char* typed : {"01914980123", "+33 6 12 34 56 78", "0808 157 0123",
                            "1234567890123456789012345678901234567890"}) {
    ServiceReply reply = send_pin(typed);
    EXPECT_EQ(reply.status, 400) << typed;
    EXPECT_NE(reply.json.value("error", "").find("UK mobile"), std::string::npos) << reply.body;
  }
  DataStore store(data_.path + "/data");
  EXPECT_EQ(store.number("SELECT COUNT(*) FROM text_queue"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(kannel_.texts().empty());
}

} // namespace
