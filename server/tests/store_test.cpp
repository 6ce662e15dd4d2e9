#include <gtest/gtest.h>

#include "service_harness.h"
#include "service_store.h"

namespace {

class StoreTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(store_open(&store_, file())); }
  void TearDown() override { store_close(&store_); }
  std::string file() const { return dir_.path + "/service.db"; }

  TempDir dir_;
  ServiceStore store_;
};

TEST_F(StoreTest, NewAccountIsOnTheFreePlanAndFoundAgain) {
  Account created;
  ASSERT_TRUE(store_ensure_account(&store_, "07700900123", 1000, &created));
  EXPECT_EQ(created.plan_label, "Free plan");
  EXPECT_FALSE(created.entitled);
  EXPECT_TRUE(created.guardian_pin.empty());
  Account again;
  ASSERT_TRUE(store_ensure_account(&store_, "07700900123", 2000, &again));
  EXPECT_EQ(again.id, created.id);
  Account missing;
  EXPECT_FALSE(store_find_account(&store_, "07700900999", &missing));
}

TEST_F(StoreTest, EverythingSurvivesClosingAndOpening) {
  Account account;
  ASSERT_TRUE(store_ensure_account(&store_, "jo@example.com", 1000, &account));
  ASSERT_TRUE(store_set_plan(&store_, account.id, "Family plan", true));
  ASSERT_TRUE(store_set_customer_name(&store_, account.id, "Jo"));
  ASSERT_TRUE(store_set_guardian_pin(&store_, account.id, "4821"));
  ASSERT_TRUE(store_add_token(&store_, "ocp_1", account.id, 1000));
  ASSERT_TRUE(
      store_add_challenge(&store_, Challenge{"ch_1", account.id, "123456", 1600, 5, false}));
  ASSERT_TRUE(store_count_check(&store_, "PC", "2025-03-01"));
  store_close(&store_);
  ASSERT_TRUE(store_open(&store_, file()));

  Account read;
  ASSERT_TRUE(store_find_account(&store_, "jo@example.com", &read));
  EXPECT_EQ(read.plan_label, "Family plan");
  EXPECT_TRUE(read.entitled);
  EXPECT_EQ(read.customer_name, "Jo");
  EXPECT_EQ(read.guardian_pin, "4821");
  int64_t owner = 0;
  ASSERT_TRUE(store_find_token(&store_, "ocp_1", &owner));
  EXPECT_EQ(owner, account.id);
  Challenge challenge;
  ASSERT_TRUE(store_find_challenge(&store_, "ch_1", &challenge));
  EXPECT_EQ(challenge.code, "123456");
  EXPECT_EQ(challenge.tries_left, 5);
  int used = 0;
  ASSERT_TRUE(store_checks_used(&store_, "PC", "2025-03-01", &used));
  EXPECT_EQ(used, 1);
}

TEST_F(StoreTest, ChecksAreCountedPerDeviceAndDay) {
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(store_count_check(&store_, "PC", "2025-03-01"));
  ASSERT_TRUE(store_count_check(&store_, "PC", "2025-03-02"));
  int used = 0;
  ASSERT_TRUE(store_checks_used(&store_, "PC", "2025-03-01", &used));
  EXPECT_EQ(used, 3);
  ASSERT_TRUE(store_checks_used(&store_, "PC", "2025-03-02", &used));
  EXPECT_EQ(used, 1);
  ASSERT_TRUE(store_checks_used(&store_, "LAPTOP", "2025-03-01", &used));
  EXPECT_EQ(used, 0);
}

TEST_F(StoreTest, ReportCountUsesAccountAndWindowStart) {
  Account account;
  ASSERT_TRUE(store_ensure_account(&store_, "07700900123", 0, &account));
  ASSERT_TRUE(store_add_report(&store_, account.id, "anydesk.exe", "PC", 100));
  ASSERT_TRUE(store_add_report(&store_, account.id, "anydesk.exe", "PC", 200));
  ASSERT_TRUE(store_add_report(&store_, 0, "anydesk.exe", "PC", 300));
  int count = -1;
  ASSERT_TRUE(store_count_reports_since(&store_, account.id, 150, &count));
  EXPECT_EQ(count, 1);
  ASSERT_TRUE(store_count_reports_since(&store_, account.id, 100, &count));
  EXPECT_EQ(count, 2);
}

TEST_F(StoreTest, GuardianLockOutIsClearedBySettingThePin) {
  Account account;
  ASSERT_TRUE(store_ensure_account(&store_, "07700900123", 0, &account));
  ASSERT_TRUE(store_set_guardian_failures(&store_, account.id, 0, 5000));
  ASSERT_TRUE(store_set_guardian_pin(&store_, account.id, "1111"));
  Account read;
  ASSERT_TRUE(store_find_account_by_id(&store_, account.id, &read));
  EXPECT_EQ(read.guardian_locked_until, 0);
  EXPECT_EQ(read.guardian_failures, 0);
}

TEST(StoreOpen, UnwritablePlaceFails) {
  ServiceStore store;
  EXPECT_FALSE(store_open(&store, "/nonexistent/dir/service.db"));
  EXPECT_EQ(store.db, nullptr);
}

} // namespace
