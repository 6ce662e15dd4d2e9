#include <ctime>

#include "support/service_harness.h"
#include "store/service_store.h"

namespace {

class AccountService : public ServiceTest {
protected:
  ServiceReply status(const std::string& token) {
    return call(R"({"action":"app_status","device_label":"KITCHEN-PC"})", token);
  }

  ServiceReply report(const std::string& token, const char* tool = "anydesk.exe") {
    return call(std::string(R"({"action":"report_blocked_tool","tool_name":")") + tool +
                    R"(","device_label":"KITCHEN-PC"})",
                token);
  }

  ServiceReply override_pin(const std::string& token, const std::string& pin) {
    return call(R"({"action":"verify_override_pin","override_pin":")" + pin +
                    R"(","device_label":"KITCHEN-PC"})",
                token);
  }

  int stored_reports() {
    return static_cast<int>(DataStore(data_.path + "/data").number("SELECT COUNT(*) FROM reports"));
  }
};

TEST_F(AccountService, StatusWithoutValidTokenIsNotAuthenticated) {
  for (const std::string& token :
       {std::string(), std::string("ocp_00000000000000000000000000000000")}) {
    ServiceReply reply = status(token);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.json["ok"], true);
    EXPECT_EQ(reply.json["authenticated"], false);
    EXPECT_EQ(reply.json["entitled"], false);
  }
}

TEST_F(AccountService, StatusShowsPlanAndNameSetFromCommandLine) {
  std::string token = sign_in("jane@example.com");
  ASSERT_FALSE(token.empty());
  EXPECT_EQ(admin({"set-plan", "JANE@example.com", "Family plan", "--entitled", "1"}), 0);
  EXPECT_EQ(admin({"set-name", "jane@example.com", "Jane Smith"}), 0);
  ServiceReply reply = status(token);
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.json["authenticated"], true);
  EXPECT_EQ(reply.json["entitled"], true);
  EXPECT_EQ(reply.json["customer_name"], "Jane Smith");
  EXPECT_EQ(reply.json["plan_label"], "Family plan");
  EXPECT_EQ(reply.json["recent_blocked_count"], 0);
}

TEST_F(AccountService, RecentBlockedCountCoversThisAccountsLastThirtyDays) {
  std::string token = sign_in("07700900123");
  std::string other = sign_in("07700900124");
  EXPECT_EQ(report(token).status, 200);
  EXPECT_EQ(report(token, "TeamViewer.exe").status, 200);
  EXPECT_EQ(report(other).status, 200);
  // Without a token there is no family to tell: refused, not kept.
  EXPECT_EQ(report("").status, 401);
  {
    DataStore store(data_.path + "/data");
    ASSERT_NE(store.get(), nullptr);
    int64_t account = 0;
    ASSERT_EQ(store_find_token(store.get(), token, &account), Lookup::kFound);
    int64_t now = static_cast<int64_t>(std::time(nullptr));
    ASSERT_TRUE(
        store_add_report(store.get(), account, "old.exe", "KITCHEN-PC", now - 31 * 24 * 3600));
  }
  EXPECT_EQ(status(token).json["recent_blocked_count"], 2);
  EXPECT_EQ(stored_reports(), 4);
}

TEST_F(AccountService, RefusedReportsAreNotStored) {
  ServiceReply unknown = report("ocp_ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(unknown.status, 401);
  EXPECT_EQ(unknown.json["ok"], false);
  EXPECT_FALSE(unknown.json["error"].get<std::string>().empty());
  ServiceReply malformed = report("has space");
  EXPECT_EQ(malformed.status, 401);
  const std::string token = sign_in("07700900125");
  ServiceReply blank_tool =
      call(R"({"action":"report_blocked_tool","tool_name":"  ","device_label":"X"})", token);
  EXPECT_EQ(blank_tool.status, 400);
  std::string long_label = std::string(256, 'L');
  ServiceReply too_long =
      call(R"({"action":"report_blocked_tool","tool_name":"anydesk.exe","device_label":")" +
               long_label + "\"}",
           token);
  EXPECT_EQ(too_long.status, 400);
  EXPECT_EQ(too_long.json["error"], "The computer's name is too long.");
  EXPECT_EQ(stored_reports(), 0);
}

TEST_F(AccountService, GuardianPinNeedsLinkedDevice) {
  ServiceReply reply = override_pin("", "1234");
  EXPECT_EQ(reply.status, 401);
  EXPECT_EQ(reply.json["ok"], false);
  EXPECT_NE(reply.json["error"].get<std::string>().find("not linked"), std::string::npos);
}

TEST_F(AccountService, GuardianPinRightWrongAndUnset) {
  std::string token = sign_in("07700900123");
  ServiceReply unset = override_pin(token, "1234");
  EXPECT_EQ(unset.status, 403);
  EXPECT_NE(unset.json["error"].get<std::string>().find("No Guardian PIN"), std::string::npos);
  ASSERT_EQ(admin({"set-guardian-pin", "07700 900123", "4821"}), 0);
  ServiceReply wrong = override_pin(token, "1234");
  EXPECT_EQ(wrong.status, 401);
  EXPECT_EQ(wrong.json["error"], "That Guardian PIN is not right. Please try again.");
  ServiceReply right = override_pin(token, "4821");
  EXPECT_EQ(right.status, 200);
  EXPECT_EQ(right.json["ok"], true);
  EXPECT_EQ(override_pin(token, "482").status, 400);
  EXPECT_EQ(override_pin(token, "48211").status, 400);
}

TEST_F(AccountService, FiveWrongGuardianPinsLockOutEvenTheRightOne) {
  std::string token = sign_in("07700900123");
  ASSERT_EQ(admin({"set-guardian-pin", "07700900123", "4821"}), 0);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(override_pin(token, "0000").status, 401);
  EXPECT_EQ(override_pin(token, "0000").status, 429);
  ServiceReply locked = override_pin(token, "4821");
  EXPECT_EQ(locked.status, 429);
  EXPECT_EQ(locked.json["ok"], false);
  // Setting the PIN again from the command line lifts the lock.
  ASSERT_EQ(admin({"set-guardian-pin", "07700900123", "4821"}), 0);
  EXPECT_EQ(override_pin(token, "4821").status, 200);
}

TEST_F(AccountService, AdminCommandsRefuseBadValues) {
  EXPECT_EQ(admin({"set-guardian-pin", "07700900123", "12a4"}), 2);
  EXPECT_EQ(admin({"set-guardian-pin", "not an id", "1234"}), 2);
  EXPECT_EQ(admin({"set-plan", "07700900123", "", "--entitled", "1"}), 2);
}

TEST_F(AccountService, AccountsAndTokensSurviveARestart) {
  std::string token = sign_in("07700900123");
  ASSERT_EQ(admin({"set-plan", "07700900123", "Family plan", "--entitled", "1"}), 0);
  EXPECT_EQ(report(token).status, 200);
  stop_service();
  start_service(true);
  ServiceReply reply = status(token);
  EXPECT_EQ(reply.json["authenticated"], true);
  EXPECT_EQ(reply.json["plan_label"], "Family plan");
  EXPECT_EQ(reply.json["recent_blocked_count"], 1);
}

} // namespace
