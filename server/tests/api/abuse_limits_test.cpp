// The abuse limits: the arithmetic of a window, then each limit as a client meets it, through
// the dispatcher with a clock the test sets, and requests sent at once.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "api/abuse_limits.h"
#include "api/api_dispatch.h"
#include "api/guardian_pin_rules.h"
#include "support/service_harness.h"

namespace {

TEST(LimitWindowArithmetic, WaitsUntilTheOldestEventsLeaveTheWindow) {
  const LimitWindow three_in_15_minutes = {3, 900};
  EXPECT_EQ(limit_wait_seconds({}, three_in_15_minutes, 1000), 0);
  EXPECT_EQ(limit_wait_seconds({100, 200}, three_in_15_minutes, 1000), 0);
  // Three in the window: room again when the oldest leaves it, at 100 + 900.
  EXPECT_EQ(limit_wait_seconds({100, 200, 300}, three_in_15_minutes, 999), 1);
  EXPECT_EQ(limit_wait_seconds({100, 200, 300}, three_in_15_minutes, 500), 500);
  // The event at 100 has left the window at 1000 (it covers 101..1000).
  EXPECT_EQ(limit_wait_seconds({100, 200, 300}, three_in_15_minutes, 1000), 0);
  // Five in the window: three must leave before a fourth fits, so the third oldest decides.
  EXPECT_EQ(limit_wait_seconds({300, 100, 500, 200, 400}, three_in_15_minutes, 600), 600);
  // Never less than a second, so Retry-After is never 0 on a refusal.
  EXPECT_EQ(limit_wait_seconds({1000, 1000, 1000}, {3, 1}, 1000), 1);
}

TEST(LimitWindowArithmetic, WaitsAreSaidInWholeMinutesOrSeconds) {
  EXPECT_EQ(wait_in_words(1), "1 second");
  EXPECT_EQ(wait_in_words(59), "59 seconds");
  EXPECT_EQ(wait_in_words(60), "1 minute");
  EXPECT_EQ(wait_in_words(61), "2 minutes");
  EXPECT_EQ(wait_in_words(900), "15 minutes");
}

class LimitsTest : public ::testing::Test {
protected:
  void SetUp() override { open(); }
  void TearDown() override { service_context_close(&context_); }

  void open() {
    ContextOptions options;
    options.data_dir = dir_.path;
    options.database_url = database_.url();
    options.suffix_file = PUBLIC_SUFFIX_DEFAULT_FILE;
    std::string error;
    ASSERT_TRUE(service_context_open(&context_, options, &error)) << error;
  }

  ApiAnswer call(const std::string& body, int64_t now, const std::string& client = "192.0.2.1") {
    ApiRequest request{"application/json", false, std::string(), body, client};
    return handle_api_request(&context_, request, now);
  }
  ApiAnswer send_pin(const std::string& identifier, int64_t now,
                     const std::string& client = "192.0.2.1") {
    return call(R"({"action":"send_pin","identifier":")" + identifier + "\"}", now, client);
  }
  ApiAnswer verify(const std::string& challenge, const std::string& code, int64_t now) {
    return call(R"({"action":"verify_pin","challenge_id":")" + challenge + R"(","pin_code":")" +
                    code + "\"}",
                now);
  }
  static std::string member(const ApiAnswer& answer, const char* key) {
    nlohmann::json body = nlohmann::json::parse(answer.body, nullptr, false);
    return body.is_object() && body[key].is_string() ? body[key].get<std::string>() : "";
  }
  std::string code_of(const std::string& challenge) {
    std::ifstream outbox(dir_.path + "/outbox.txt");
    std::string line;
    std::string code;
    while (std::getline(outbox, line)) {
      nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
      if (entry.is_object() && entry["challenge_id"] == challenge) code = entry["code"];
    }
    return code;
  }

  TestDatabase database_;
  TempDir dir_;
  ServiceContext context_;
};

const int64_t kNow = 1800000000;

TEST_F(LimitsTest, ThreeCodesToOneIdentifierIn15MinutesAndTenAnHour) {
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(send_pin("07700900123", kNow + i).status, 200);
  ApiAnswer refused = send_pin("07700 900123", kNow + 60);
  EXPECT_EQ(refused.status, 429);
  EXPECT_EQ(refused.retry_after, 900 - 60);
  EXPECT_NE(member(refused, "error").find("Please wait 14 minutes"), std::string::npos)
      << refused.body;
  EXPECT_EQ(send_pin("07700900124", kNow + 60).status, 200) << "another person is not held up";

  // After each quarter of an hour three more, until the hour holds ten.
  int sent = 3;
  for (int64_t t = kNow + 900; sent < 10; t += 1) {
    ASSERT_LT(t, kNow + 3600) << "ten should fit in the hour";
    ApiAnswer answer = send_pin("07700900123", t);
    if (answer.status == 200) ++sent;
    if (answer.status == 429) t += answer.retry_after - 1;
  }
  ApiAnswer hourly = send_pin("07700900123", kNow + 3000);
  EXPECT_EQ(hourly.status, 429);
  EXPECT_EQ(hourly.retry_after, kNow + 3600 - (kNow + 3000)) << "the first of the ten leaves";
}

TEST_F(LimitsTest, ThirtyCodesAnHourFromOneNetworkAndRefusedOnesDoNotCount) {
  const std::string network = "198.51.100.7";
  int sent = 0;
  for (int i = 0; sent < 30; ++i) {
    std::string identifier = "07700900" + std::to_string(200 + i);
    // Five people get three codes each and are then refused twice: those do not count.
    for (int n = 0; n < (i < 5 ? 3 : 1); ++n, ++sent)
      ASSERT_EQ(send_pin(identifier, kNow + i, network).status, 200) << i;
    if (i < 5) {
      EXPECT_EQ(send_pin(identifier, kNow + i, network).status, 429);
      EXPECT_EQ(send_pin(identifier, kNow + i, network).status, 429);
    }
  }
  ApiAnswer refused = send_pin("07700900300", kNow + 100, network);
  EXPECT_EQ(refused.status, 429);
  EXPECT_EQ(refused.retry_after, 3600 - 100);
  EXPECT_NE(member(refused, "error").find("this network"), std::string::npos) << refused.body;
  EXPECT_EQ(send_pin("07700900300", kNow + 100, "198.51.100.8").status, 200);
}

TEST_F(LimitsTest, TenWrongCodesAnHourPerAccountAcrossItsChallengesAndAcrossRestarts) {
  std::vector<std::string> challenges;
  for (int i = 0; i < 3; ++i)
    challenges.push_back(member(send_pin("jo@example.com", kNow + i), "challenge_id"));
  int wrong = 0;
  for (const std::string& challenge : challenges) {
    for (int i = 0; i < 4 && wrong < 10; ++i, ++wrong)
      EXPECT_EQ(
          verify(challenge, code_of(challenge) == "000000" ? "111111" : "000000", kNow + 10).status,
          401);
  }
  service_context_close(&context_);
  open();
  const std::string last = challenges.back();
  ApiAnswer refused = verify(last, code_of(last), kNow + 20);
  EXPECT_EQ(refused.status, 429) << "even the right code, once ten wrong ones were tried";
  EXPECT_EQ(refused.retry_after, 3600 - 10);
  EXPECT_EQ(verify(last, code_of(last), kNow + 3610).status, 401) << "expired by then";
  std::string fresh = member(send_pin("jo@example.com", kNow + 3610), "challenge_id");
  EXPECT_EQ(verify(fresh, code_of(fresh), kNow + 3611).status, 200);
}

TEST_F(LimitsTest, RequestsSentAtOnceGetNoMoreThroughThanTheLimits) {
  std::atomic<int> sent{0};
  std::atomic<int> refused{0};
  std::vector<std::thread> senders;
  for (int i = 0; i < 12; ++i) {
    senders.emplace_back([&] {
      int status = send_pin("07700900555", kNow).status;
      (status == 200 ? sent : refused)++;
    });
  }
  for (std::thread& t : senders)
    t.join();
  EXPECT_LE(sent.load(), 3);
  EXPECT_GE(sent.load(), 1);
  EXPECT_EQ(sent + refused, 12);

  // One code tried by many at once, right and wrong: at most one is let in.
  std::string challenge = member(send_pin("07700900556", kNow), "challenge_id");
  const std::string code = code_of(challenge);
  std::atomic<int> signed_in{0};
  std::vector<std::thread> tries;
  for (int i = 0; i < 12; ++i) {
    tries.emplace_back([&, i] {
      if (verify(challenge, i % 2 ? code : "000000", kNow + 1).status == 200) signed_in++;
    });
  }
  for (std::thread& t : tries)
    t.join();
  EXPECT_LE(signed_in.load(), 1);
}

TEST(GuardianLockLadder, EachLockOutInADayIsLongerUpToADay) {
  EXPECT_EQ(guardian_lock_seconds(0), 15 * 60);
  EXPECT_EQ(guardian_lock_seconds(1), 60 * 60);
  EXPECT_EQ(guardian_lock_seconds(2), 4 * 60 * 60);
  EXPECT_EQ(guardian_lock_seconds(3), 24 * 60 * 60);
  EXPECT_EQ(guardian_lock_seconds(9), 24 * 60 * 60);
  EXPECT_EQ(guardian_lock_seconds(-1), 15 * 60);
}

// Five wrong Guardian PINs lock the PIN, each time for longer, and tell the family; a computer
// gets no more than 20 wrong PINs compared in a day.
TEST_F(LimitsTest, GuardianPinLockOutsGrowAndTheFamilyIsTold) {
  std::string challenge = member(send_pin("07700900456", kNow), "challenge_id");
  std::string token = member(verify(challenge, code_of(challenge), kNow + 1), "care_auth_token");
  ASSERT_FALSE(token.empty());
  {
    StoreLease lease(context_.store);
    Account account;
    ASSERT_EQ(store_find_account(lease.get(), "07700900456", &account), Lookup::kFound);
    ASSERT_TRUE(store_set_guardian_pin(lease.get(), account.id, "4821"));
  }
  auto pin = [&](const char* typed, int64_t now) {
    ApiRequest request{"application/json", true, "Bearer " + token,
                       std::string(R"({"action":"verify_override_pin","device_label":"PC",)") +
                           R"("override_pin":")" + typed + "\"}",
                       "192.0.2.1"};
    return handle_api_request(&context_, request, now);
  };
  int64_t at = kNow + 10;
  const int64_t ladder[] = {15 * 60, 60 * 60, 4 * 60 * 60};
  for (int64_t lock : ladder) {
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(pin("0000", at).status, 401);
    ApiAnswer locked = pin("0000", at);
    EXPECT_EQ(locked.status, 429);
    EXPECT_EQ(locked.retry_after, lock);
    EXPECT_EQ(pin("4821", at + lock - 1).status, 429) << "even the right PIN while locked";
    at += lock;
  }
  // The fourth lock-out of the day is for a day.
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(pin("0000", at).status, 401);
  ApiAnswer fourth = pin("0000", at);
  EXPECT_EQ(fourth.status, 429);
  EXPECT_EQ(fourth.retry_after, 24 * 60 * 60);
  // Set again from the command line, the PIN is open, but this computer has had its 20 wrong
  // PINs today: not even the right one is compared until the first of them is a day old.
  {
    StoreLease lease(context_.store);
    Account account;
    ASSERT_EQ(store_find_account(lease.get(), "07700900456", &account), Lookup::kFound);
    ASSERT_TRUE(store_set_guardian_pin(lease.get(), account.id, "4821"));
  }
  ApiAnswer computer_day = pin("4821", at + 1);
  EXPECT_EQ(computer_day.status, 429);
  EXPECT_NE(member(computer_day, "error").find("on this computer today"), std::string::npos);
  EXPECT_EQ(computer_day.retry_after, kNow + 10 + 24 * 60 * 60 - (at + 1));
  EXPECT_EQ(pin("4821", kNow + 10 + 24 * 60 * 60).status, 200);

  DataStore store(dir_.path, database_.url());
  EXPECT_EQ(store.number("SELECT COUNT(*) FROM alert_queue WHERE body LIKE '%5 wrong Guardian "
                         "PINs%locked for 15 minutes%'"),
            1);
  EXPECT_EQ(store.number("SELECT COUNT(*) FROM alert_queue WHERE body LIKE '%locked for 24 "
                         "hours%'"),
            1);
}

} // namespace
