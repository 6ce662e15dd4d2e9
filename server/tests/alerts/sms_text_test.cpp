// What texts say and how they are asked of the gateway: one text of 160 GSM-7 characters with
// only names shortened, numbers in international form, the password kept out of errors, and
// the options that switch texts on.
#include <gtest/gtest.h>

#include "alerts/sms_gateway.h"
#include "alerts/sms_text.h"
#include "base/mobile_number.h"
#include "edge/command_line.h"
#include "store/service_store.h"

namespace {

const int64_t kSummerAfternoon = 1781010120; // 2026-06-09 13:02 UTC, 14:02 in the UK

TEST(SmsText, FoldsToTheGsmAlphabetAndCountsSeptets) {
  EXPECT_EQ(gsm7_fold("Zoë’s “PC” – café Ç €5 日本"), "Zoe's \"PC\" - café Ç €5 ??");
  EXPECT_EQ(gsm7_length("abc"), 3u);
  EXPECT_EQ(gsm7_length("€[é"), 5u); // two from the extension table, é from the basic one
  EXPECT_EQ(gsm7_fold(std::string("A\xC3", 2)), "A?"); // a cut character is not passed on
}

TEST(SmsText, CodeTextsSayWhatTheCodeIsForAndFitOneText) {
  EXPECT_EQ(code_text("123456", kCodeForSignIn, 600),
            "123456 is your Olvex sign-in code. It expires in 10 minutes. Olvex will never phone "
            "you to ask for it.");
  const std::string pin = code_text("123456", kCodeForPinChange, 600);
  const std::string contact = code_text("123456", kCodeForContact, 600);
  EXPECT_NE(pin.find("change the Guardian PIN"), std::string::npos);
  EXPECT_NE(contact.find("adds this number"), std::string::npos);
  for (const std::string& text : {pin, contact})
    EXPECT_LE(gsm7_length(gsm7_fold(text)), kOneTextSeptets) << text;
}

TEST(SmsText, AnAlertWithLongNamesIsShortenedButKeepsItsAdvice) {
  AlertFacts facts{kAlertToolStopped, "DESKTOP-1234", "Mum", "AnyDesk.exe", kSummerAfternoon};
  EXPECT_EQ(sms_alert_text(facts),
            "Callwarden stopped AnyDesk on DESKTOP-1234 at 14:02. If nobody in the family "
            "expected this, call Mum now.");
  facts.device_label = "Grandma's big computer in the back bedroom upstairs by the window";
  facts.person_name = "Great-grandmother Margaret Elizabeth Thompson-Whitaker";
  facts.tool_name = "ScreenConnect.ClientService.exe";
  for (AlertKind kind :
       {kAlertToolStopped, kAlertOverrideStarted, kAlertWrongPins, kAlertScamChecked}) {
    facts.kind = kind;
    const std::string text = sms_alert_text(facts);
    EXPECT_LE(gsm7_length(text), kOneTextSeptets) << text;
    EXPECT_NE(text.find("If nobody in the family expected this, call Great"), std::string::npos)
        << text;
    EXPECT_NE(text.find(" now."), std::string::npos) << text;
    EXPECT_NE(text.find("at 14:02"), std::string::npos) << text;
  }
  facts.kind = kAlertToolStopped;
  const std::string text = sms_alert_text(facts);
  EXPECT_NE(text.find("stopped ScreenConnect on Grandma"), std::string::npos) << text;
  EXPECT_NE(text.find("call Great-grandmother Margaret now."), std::string::npos)
      << text; // whole words
}

TEST(SmsNumbers, OnlyUkMobilesHaveAnInternationalForm) {
  EXPECT_EQ(international_mobile("07700900123"), "447700900123");
  EXPECT_EQ(international_mobile("01914980123"), "");
  EXPECT_EQ(international_mobile("0770090012"), "");
  EXPECT_EQ(international_mobile("jane@example.com"), "");
}

TEST(SmsGatewayRequest, CarriesTheTextAndAReportAddressAndKeepsThePasswordOut) {
  SmsGateway gateway{"http://127.0.0.1:9/cgi-bin/sendsms?username=olvex&password=s3cret", "Olvex",
                     "https://127.0.0.1:8443"};
  const std::string request =
      sendsms_request(gateway, "447700900123", "123456 is your code & more", "ab12");
  EXPECT_EQ(
      request,
      "http://127.0.0.1:9/cgi-bin/sendsms?username=olvex&password=s3cret&from=Olvex&to="
      "447700900123&text=123456%20is%20your%20code%20%26%20more&charset=UTF-8&coding=0&dlr-"
      "mask=31&dlr-url=https%3A%2F%2F127.0.0.1%3A8443%2Ftexts%2Freport%2Fab12%3Fstatus%3D%25d");
  EXPECT_EQ(without_password(gateway, "GET ...password=s3cret&x refused"),
            "GET ...password=***&x refused");
  // Nothing listens on port 9: the reason says so, without the password.
  std::string error;
  EXPECT_FALSE(sms_send(gateway, "447700900123", "x", "ab12", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(error.find("s3cret"), std::string::npos) << error;
}

TEST(SmsGatewayRequest, ServeTakesTheGatewayOnlyWithItsCredentials) {
  const std::vector<std::string> serve = {"serve", "--address", "a", "--port", "1", "--cert",
                                          "c",     "--key",     "k", "--data", "d"};
  CommandLine line;
  std::string error;
  std::vector<std::string> args = serve;
  args.insert(args.end(), {"--sms", "http://127.0.0.1:13013/cgi-bin/sendsms?username=u&password=p",
                           "--sms-from", "Olvex Care"});
  ASSERT_TRUE(parse_command_line(args, &line, &error)) << error;
  EXPECT_EQ(line.sms_from, "Olvex Care");
  ASSERT_TRUE(parse_command_line(serve, &line, &error));
  EXPECT_TRUE(line.sms_url.empty());
  EXPECT_EQ(line.sms_from, "Olvex");
  const std::vector<std::vector<std::string>> bad = {
      {"--sms", "127.0.0.1:13013/cgi-bin/sendsms?username=u&password=hidden1"},
      {"--sms", "http://127.0.0.1:13013/cgi-bin/sendsms?username=u"},
      {"--sms", "http://h/cgi-bin/sendsms?username=u&password=hidden1", "--sms-from",
       "Olvex Callwarden"},
      {"--sms-from", "Family"},
      {"--sms", "http://h/s?username=u&password=hidden1", "--sms-reports", "http://h:1"}};
  for (const auto& words : bad) {
    args = serve;
    args.insert(args.end(), words.begin(), words.end());
    error.clear();
    EXPECT_FALSE(parse_command_line(args, &line, &error)) << words.back();
    EXPECT_NE(error.find("--sms"), std::string::npos) << error;
    EXPECT_EQ(error.find("hidden1"), std::string::npos) << error;
  }
}

} // namespace
