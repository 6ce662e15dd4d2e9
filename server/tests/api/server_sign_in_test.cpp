#include <regex>

#include "support/service_harness.h"
#include "store/service_store.h"

namespace {

using SignInService = ServiceTest;

TEST_F(SignInService, SendPinMasksMobileAndDeliversCodeToOutbox) {
  ServiceReply reply = call(R"({"action":"send_pin","identifier":"07700 900123"})");
  ASSERT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(reply.json["ok"], true);
  EXPECT_EQ(reply.json["masked_target"], "07*** ***123");
  std::string challenge = reply.json["challenge_id"];
  EXPECT_TRUE(std::regex_match(challenge, std::regex("ch_[0-9a-f]{24}")));
  std::string outbox = read_data_file("outbox.txt");
  EXPECT_NE(outbox.find("\"identifier\":\"07700900123\""), std::string::npos);
  EXPECT_NE(outbox.find(challenge), std::string::npos);
  EXPECT_TRUE(std::regex_match(last_outbox_code(), std::regex("[0-9]{6}")));
}

TEST_F(SignInService, SendPinMasksEmailAddress) {
  ServiceReply reply = call(R"({"action":"send_pin","identifier":"  Jane.Doe@Example.com "})");
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.json["masked_target"], "j***@example.com");
}

TEST_F(SignInService, DifferentSpellingsOfOneMobileReachOneAccount) {
  std::string first = sign_in("07700 900123");
  std::string second = sign_in("+447700900123");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  DataStore store(data_.path + "/data");
  ASSERT_NE(store.get(), nullptr);
  int64_t first_account = 0;
  int64_t second_account = 0;
  EXPECT_EQ(store_find_token(store.get(), first, &first_account), Lookup::kFound);
  EXPECT_EQ(store_find_token(store.get(), second, &second_account), Lookup::kFound);
  EXPECT_EQ(first_account, second_account);
}

TEST_F(SignInService, RightCodeGivesTokenForNewFreeAccount) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":"07700900456"})");
  ServiceReply reply = call(R"({"action":"verify_pin","challenge_id":")" +
                            sent.json["challenge_id"].get<std::string>() + R"(","pin_code":")" +
                            last_outbox_code() + "\"}");
  ASSERT_EQ(reply.status, 200) << reply.body;
  EXPECT_EQ(reply.json["ok"], true);
  EXPECT_TRUE(std::regex_match(reply.json["care_auth_token"].get<std::string>(),
                               std::regex("ocp_[0-9a-f]{32}")));
  EXPECT_EQ(reply.json["customer_name"], "");
  EXPECT_EQ(reply.json["plan_label"], "Free plan");
  EXPECT_EQ(reply.json["entitled"], false);
}

TEST_F(SignInService, CodeWithBlanksIsAcceptedAndWorksOnlyOnce) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":"07700900456"})");
  std::string code = last_outbox_code();
  std::string body = R"({"action":"verify_pin","challenge_id":")" +
                     sent.json["challenge_id"].get<std::string>() + R"(","pin_code":")" +
                     code.substr(0, 3) + " " + code.substr(3) + "\"}";
  EXPECT_EQ(call(body).status, 200);
  ServiceReply again = call(body);
  EXPECT_EQ(again.status, 401);
  EXPECT_EQ(again.json["ok"], false);
  EXPECT_NE(again.json["error"].get<std::string>().find("expired or has already been used"),
            std::string::npos);
}

TEST_F(SignInService, FiveWrongCodesUseUpTheChallenge) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":"07700900456"})");
  std::string challenge = sent.json["challenge_id"];
  std::string code = last_outbox_code();
  std::string wrong = code == "000000" ? "111111" : "000000";
  auto verify = [&](const std::string& pin) {
    return call(R"({"action":"verify_pin","challenge_id":")" + challenge + R"(","pin_code":")" +
                pin + "\"}");
  };
  for (int i = 0; i < 4; ++i) {
    ServiceReply reply = verify(wrong);
    EXPECT_EQ(reply.status, 401);
    EXPECT_EQ(reply.json["error"], "That code is not right. Please check it and try again.");
  }
  ServiceReply fifth = verify(wrong);
  EXPECT_NE(fifth.json["error"].get<std::string>().find("tried too many times"), std::string::npos);
  ServiceReply right = verify(code);
  EXPECT_EQ(right.status, 401);
  EXPECT_FALSE(right.json.contains("care_auth_token"));
}

TEST_F(SignInService, MalformedCodesAreRefusedWithoutUsingATry) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":"07700900456"})");
  std::string challenge = sent.json["challenge_id"];
  for (const char* bad :
       {"12345", "1234567", "12a456", "", "\\u0661\\u0662\\u0663\\u0664\\u0665\\u0666"}) {
    ServiceReply reply = call(R"({"action":"verify_pin","challenge_id":")" + challenge +
                              R"(","pin_code":")" + bad + "\"}");
    EXPECT_EQ(reply.status, 400) << bad;
    EXPECT_EQ(reply.json["error"], "Please enter the 6-digit code we sent you.");
  }
  ServiceReply right = call(R"({"action":"verify_pin","challenge_id":")" + challenge +
                            R"(","pin_code":")" + last_outbox_code() + "\"}");
  EXPECT_EQ(right.status, 200);
}

TEST_F(SignInService, ExpiredAndUnknownChallengesAreRefused) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":"07700900456"})");
  std::string challenge = sent.json["challenge_id"];
  {
    DataStore store(data_.path + "/data");
    ASSERT_NE(store.get(), nullptr);
    Challenge stored;
    ASSERT_EQ(store_find_challenge(store.get(), challenge, &stored), Lookup::kFound);
    ASSERT_EQ(store.number("UPDATE challenges SET expires_at = 1 RETURNING 1"), 1);
  }
  ServiceReply expired = call(R"({"action":"verify_pin","challenge_id":")" + challenge +
                              R"(","pin_code":")" + last_outbox_code() + "\"}");
  EXPECT_EQ(expired.status, 401);
  ServiceReply unknown =
      call(R"({"action":"verify_pin","challenge_id":"ch_nothing","pin_code":"123456"})");
  EXPECT_EQ(unknown.status, 401);
  EXPECT_EQ(unknown.json["ok"], false);
}

TEST_F(SignInService, SignInIgnoresAStaleToken) {
  ServiceReply reply =
      call(R"({"action":"send_pin","identifier":"07700900456"})", "ocp_no_longer_known");
  EXPECT_EQ(reply.status, 200);
}

} // namespace
