#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "store/check_tally.h"
#include "base/secret_digest.h"
#include "support/service_harness.h"
#include "store/sql_sqlite.h"
#include "store/store_pool.h"
#include "store/store_protection.h"
#include "store/store_silence.h"

namespace {

SecretKey test_key(unsigned char fill) {
  SecretKey key;
  for (unsigned char& b : key.bytes)
    b = fill;
  return key;
}

class StoreTest : public ::testing::Test {
protected:
  void SetUp() override { open(); }
  void TearDown() override { close(); }

  void open(unsigned char key_fill = 7) {
    StoreOptions options;
    options.sqlite_file = file();
    options.database_url = database_.url();
    options.key = test_key(key_fill);
    options.connections = 2;
    std::string error;
    pool_ = store_pool_open(options, &error);
    ASSERT_NE(pool_, nullptr) << error;
    lease_.reset(new StoreLease(pool_));
    store_ = lease_->get();
    ASSERT_NE(store_, nullptr);
  }
  void close() {
    lease_.reset();
    store_pool_free(pool_);
    pool_ = nullptr;
  }
  std::string file() const { return dir_.path + "/service.db"; }

  TestDatabase database_;
  TempDir dir_;
  StorePool* pool_ = nullptr;
  std::unique_ptr<StoreLease> lease_;
  ServiceStore* store_ = nullptr;
};

// Of all instances that find a silence due, or its end, one takes it: each is alerted once.
// A computer that is not on is not watched at all.
TEST_F(StoreTest, ASilenceAndItsEndAreEachTakenOnceAndOnlyWhileOn) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "jo@example.com", 1000, &account));
  ASSERT_TRUE(store_add_token(store_, "ocp_s", account.id, 1000, 1010));
  DeviceLink device;
  ASSERT_EQ(store_find_device(store_, "ocp_s", &device), Lookup::kFound);
  std::vector<DeviceLink> due;
  ASSERT_TRUE(store_due_silences(store_, 1009, 10, &due));
  EXPECT_TRUE(due.empty());
  ASSERT_TRUE(store_due_silences(store_, 1010, 10, &due));
  ASSERT_EQ(due.size(), 1u);
  bool taken = false;
  ASSERT_TRUE(store_take_silence(store_, device.link_id, 1010, &taken));
  EXPECT_TRUE(taken);
  ASSERT_TRUE(store_take_silence(store_, device.link_id, 1011, &taken));
  EXPECT_FALSE(taken) << "a second instance took the same silence";
  ASSERT_TRUE(store_end_silence(store_, device.link_id, &taken));
  EXPECT_TRUE(taken);
  ASSERT_TRUE(store_end_silence(store_, device.link_id, &taken));
  EXPECT_FALSE(taken) << "its end was taken twice";

  ASSERT_TRUE(store_note_device_seen(store_, device, "PC", 1100, 60, 1200, false));
  ASSERT_TRUE(store_due_silences(store_, 1200, 10, &due));
  EXPECT_EQ(due.size(), 1u) << "heard from, and watched again";
  ASSERT_TRUE(store_note_protection(store_, device.link_id, "shutdown", 1101, 1300));
  ASSERT_TRUE(store_due_silences(store_, 5000, 10, &due));
  EXPECT_TRUE(due.empty()) << "shut down: not watched";
  ASSERT_TRUE(store_note_device_seen(store_, device, "PC2", 1200, 60, 1400, true));
  ASSERT_TRUE(store_due_silences(store_, 5000, 10, &due));
  EXPECT_TRUE(due.empty()) << "a call does not watch a computer that is not on";
}

TEST_F(StoreTest, NewAccountIsOnTheFreePlanAndFoundAgain) {
  Account created;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 1000, &created));
  EXPECT_EQ(created.plan_label, "Free plan");
  EXPECT_FALSE(created.entitled);
  EXPECT_TRUE(created.guardian_pin_digest.empty());
  Account again;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 2000, &again));
  EXPECT_EQ(again.id, created.id);
  Account missing;
  EXPECT_EQ(store_find_account(store_, "07700900999", &missing), Lookup::kMissing);
}

TEST_F(StoreTest, EverythingSurvivesClosingAndOpening) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "jo@example.com", 1000, &account));
  ASSERT_TRUE(store_set_plan(store_, account.id, "Family plan", true));
  ASSERT_TRUE(store_set_customer_name(store_, account.id, "Jo"));
  ASSERT_TRUE(store_set_guardian_pin(store_, account.id, "4821"));
  ASSERT_TRUE(store_add_token(store_, "ocp_1", account.id, 1000));
  ASSERT_TRUE(
      store_add_challenge(store_, Challenge{"ch_1", account.id, "", 1600, 5, false}, "123456"));
  int used = 0;
  ASSERT_TRUE(store_count_check(store_, "PC", "2025-03-01", &used));
  close();
  open();

  Account read;
  ASSERT_EQ(store_find_account(store_, "jo@example.com", &read), Lookup::kFound);
  EXPECT_EQ(read.plan_label, "Family plan");
  EXPECT_TRUE(read.entitled);
  EXPECT_EQ(read.customer_name, "Jo");
  EXPECT_TRUE(store_guardian_pin_matches(store_, read, "4821"));
  EXPECT_FALSE(store_guardian_pin_matches(store_, read, "4822"));
  int64_t owner = 0;
  ASSERT_EQ(store_find_token(store_, "ocp_1", &owner), Lookup::kFound);
  EXPECT_EQ(owner, account.id);
  Challenge challenge;
  ASSERT_EQ(store_find_challenge(store_, "ch_1", &challenge), Lookup::kFound);
  EXPECT_TRUE(store_code_matches(store_, challenge, "123456"));
  EXPECT_FALSE(store_code_matches(store_, challenge, "123457"));
  EXPECT_EQ(challenge.tries_left, 5);
  ASSERT_TRUE(store_checks_used(store_, "PC", "2025-03-01", &used));
  EXPECT_EQ(used, 1);
}

TEST_F(StoreTest, SecretsAreKeptOnlyAsDigests) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "jo@example.com", 1000, &account));
  ASSERT_TRUE(store_set_guardian_pin(store_, account.id, "4821"));
  ASSERT_TRUE(store_add_token(store_, "ocp_0123456789abcdef0123456789abcdef", account.id, 1000));
  ASSERT_TRUE(
      store_add_challenge(store_, Challenge{"ch_1", account.id, "", 1600, 5, false}, "654321"));
  // Every cell of every table, as a copy of the database would show them.
  std::string all;
  SqlRows tables;
  ASSERT_TRUE(store_->sql->run(testing_postgres()
                                   ? "SELECT table_name FROM information_schema.tables WHERE "
                                     "table_schema = current_schema()"
                                   : "SELECT name FROM sqlite_master WHERE type = 'table'",
                               {}, &tables));
  for (const auto& table : tables.rows) {
    SqlRows rows;
    ASSERT_TRUE(store_->sql->run(("SELECT * FROM " + table[0]).c_str(), {}, &rows));
    for (const auto& row : rows.rows)
      for (const std::string& cell : row)
        all += cell + "\n";
  }
  if (!testing_postgres()) { // and the file's own bytes
    close();
    for (const std::string& name : {file(), file() + "-wal"}) {
      std::ifstream in(name, std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      all += bytes.str();
    }
    open();
  }
  ASSERT_NE(all.find("jo@example.com"), std::string::npos) << "the tables were read";
  EXPECT_EQ(all.find("0123456789abcdef0123456789abcdef"), std::string::npos);
  EXPECT_EQ(all.find("4821"), std::string::npos);
  EXPECT_EQ(all.find("654321"), std::string::npos);
}

TEST_F(StoreTest, AnotherKeyIsRefusedRatherThanRefusingEveryPin) {
  close();
  StoreOptions options;
  options.sqlite_file = file();
  options.database_url = database_.url();
  options.key = test_key(8);
  std::string error;
  StorePool* other = store_pool_open(options, &error);
  EXPECT_EQ(other, nullptr);
  EXPECT_NE(error.find("secret key"), std::string::npos) << error;
  store_pool_free(other);
  open();
}

TEST_F(StoreTest, ChecksAreCountedPerDeviceAndDayAndGivenBack) {
  int used = 0;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(store_count_check(store_, "PC", "2025-03-01", &used));
    EXPECT_EQ(used, i);
  }
  ASSERT_TRUE(store_uncount_check(store_, "PC", "2025-03-01"));
  ASSERT_TRUE(store_count_check(store_, "PC", "2025-03-02", &used));
  ASSERT_TRUE(store_checks_used(store_, "PC", "2025-03-01", &used));
  EXPECT_EQ(used, 2);
  ASSERT_TRUE(store_checks_used(store_, "PC", "2025-03-02", &used));
  EXPECT_EQ(used, 1);
  ASSERT_TRUE(store_checks_used(store_, "LAPTOP", "2025-03-01", &used));
  EXPECT_EQ(used, 0);
}

TEST_F(StoreTest, ReportCountUsesAccountAndWindowStart) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 0, &account));
  ASSERT_TRUE(store_add_report(store_, account.id, "anydesk.exe", "PC", 100));
  ASSERT_TRUE(store_add_report(store_, account.id, "anydesk.exe", "PC", 200));
  ASSERT_TRUE(store_add_report(store_, 0, "anydesk.exe", "PC", 300));
  int count = -1;
  Account found;
  ASSERT_EQ(store_account_status(store_, account.id, 150, &found, &count), Lookup::kFound);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(found.identifier, "07700900123");
  ASSERT_EQ(store_account_status(store_, account.id, 100, &found, &count), Lookup::kFound);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(store_account_status(store_, account.id + 1, 100, &found, &count), Lookup::kMissing);
}

TEST_F(StoreTest, GuardianTriesStopAtTheLockAndSettingThePinClearsIt) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 0, &account));
  int attempt = -1;
  ASSERT_TRUE(store_start_guardian_try(store_, account.id, 100, &attempt));
  EXPECT_EQ(attempt, 1);
  ASSERT_TRUE(store_start_guardian_try(store_, account.id, 100, &attempt));
  EXPECT_EQ(attempt, 2);
  ASSERT_TRUE(store_set_guardian_failures(store_, account.id, 0, 5000));
  ASSERT_TRUE(store_start_guardian_try(store_, account.id, 4999, &attempt));
  EXPECT_EQ(attempt, 0) << "locked until 5000";
  ASSERT_TRUE(store_set_guardian_pin(store_, account.id, "1111"));
  Account read;
  ASSERT_EQ(store_find_account_by_id(store_, account.id, &read), Lookup::kFound);
  EXPECT_EQ(read.guardian_locked_until, 0);
  EXPECT_EQ(read.guardian_failures, 0);
}

TEST_F(StoreTest, AChallengeTryIsTakenOnlyWhileItIsOpenAndUsedOnce) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 0, &account));
  ASSERT_TRUE(
      store_add_challenge(store_, Challenge{"ch_2", account.id, "", 1000, 2, false}, "111111"));
  Challenge taken;
  EXPECT_FALSE(store_take_challenge_try(store_, "ch_2", 1000, &taken)) << "expired at 1000";
  ASSERT_TRUE(store_take_challenge_try(store_, "ch_2", 999, &taken));
  EXPECT_EQ(taken.tries_left, 1);
  ASSERT_TRUE(store_take_challenge_try(store_, "ch_2", 999, &taken));
  EXPECT_FALSE(store_take_challenge_try(store_, "ch_2", 999, &taken)) << "no tries left";
  EXPECT_TRUE(store_use_challenge(store_, "ch_2"));
  EXPECT_FALSE(store_use_challenge(store_, "ch_2")) << "used once only";
}

// A database as the service wrote it before secrets were hashed: every account, token, PIN
// and open challenge keeps working after the conversion, and no secret is left in clear.
TEST(StoreConversion, ADatabaseWithSecretsInClearIsConvertedAndKeepsWorking) {
  TempDir dir;
  const std::string file = dir.path + "/service.db";
  {
    std::ifstream in(LS_TEST_DATA_DIR "/store/fixtures/service-db-before-hashing.sql");
    std::stringstream dump;
    dump << in.rdbuf();
    ASSERT_FALSE(dump.str().empty());
    std::string error;
    std::unique_ptr<SqlConnection> old = sqlite_connect(file, &error);
    ASSERT_TRUE(old && old->run_script(dump.str())) << error;
  }
  StoreOptions options;
  options.sqlite_file = file;
  options.key = test_key(3);
  std::string error;
  StorePool* pool = store_pool_open(options, &error);
  ASSERT_NE(pool, nullptr) << error;
  {
    StoreLease lease(pool);
    ServiceStore* store = lease.get();
    int64_t account_id = 0;
    ASSERT_EQ(store_find_token(store, "ocp_fc6a4d76e19c9fd20ef6bf2c3ea76bee", &account_id),
              Lookup::kFound);
    Account mobile;
    ASSERT_EQ(store_find_account_by_id(store, account_id, &mobile), Lookup::kFound);
    EXPECT_EQ(mobile.identifier, "07700900123");
    EXPECT_EQ(mobile.customer_name, "Jane Smith");
    EXPECT_TRUE(mobile.entitled);
    EXPECT_TRUE(store_guardian_pin_matches(store, mobile, "4321"));
    Account email;
    ASSERT_EQ(store_find_account(store, "jane@example.com", &email), Lookup::kFound);
    EXPECT_TRUE(store_guardian_pin_matches(store, email, "1234"));
    EXPECT_FALSE(store_guardian_pin_matches(store, email, "4321"));
    Challenge open;
    ASSERT_TRUE(store_take_challenge_try(store, "ch_9abcc50a741821986480f5c7", 1796843000, &open));
    EXPECT_TRUE(store_code_matches(store, open, "760498"));
    int reports = 0;
    Account owner;
    ASSERT_EQ(store_account_status(store, account_id, 0, &owner, &reports), Lookup::kFound);
    EXPECT_EQ(reports, 1);
    int used = 0;
    ASSERT_TRUE(store_checks_used(store, "DESKTOP-9", "2026-12-09", &used));
    EXPECT_EQ(used, 1);
    SqlRows rows;
    ASSERT_TRUE(store->sql->run("SELECT sql FROM sqlite_master", {}, &rows));
    for (const auto& row : rows.rows) {
      EXPECT_EQ(row[0].find("guardian_pin "), std::string::npos) << row[0];
      EXPECT_EQ(row[0].find(" code "), std::string::npos) << row[0];
    }
  }
  store_pool_free(pool);
}

TEST(StoreOpen, UnwritablePlaceFails) {
  StoreOptions options;
  options.sqlite_file = "/nonexistent/dir/service.db";
  options.key = test_key(1);
  std::string error;
  EXPECT_EQ(store_pool_open(options, &error), nullptr);
  EXPECT_FALSE(error.empty());
}

// Verdicts that cannot be written wait for the next try, within a bound, and none is lost.
TEST_F(StoreTest, WaitingVerdictsSurviveAFailedWriteAndStayBounded) {
  Account account;
  ASSERT_TRUE(store_ensure_account(store_, "07700900123", 1000, &account));
  CheckTally tally;
  for (int i = 0; i < 3; ++i)
    check_tally_add(&tally, CheckVerdict{account.id, i ? "SAFE" : "SCAM", "PC", 1000 + i});
  EXPECT_EQ(check_tally_flush(&tally, nullptr), 0) << "no connection";
  EXPECT_EQ(tally.pending.size(), 3u);
  check_tally_add(&tally, CheckVerdict{account.id + 1000, "SAFE", "PC", 1003});
  EXPECT_EQ(check_tally_flush(&tally, store_), 0) << "an unknown account fails the batch";
  tally.pending.pop_back();
  EXPECT_EQ(check_tally_flush(&tally, store_), 1);
  EXPECT_TRUE(tally.pending.empty());
  std::map<std::string, int> counts;
  ASSERT_TRUE(store_verdict_counts(store_, account.id, 0, &counts));
  EXPECT_EQ(counts["SCAM"], 1);
  EXPECT_EQ(counts["SAFE"], 2);

  for (size_t i = 0; i < kCheckTallyMax + 5; ++i)
    check_tally_add(&tally, CheckVerdict{account.id, "SAFE", "PC", 2000});
  EXPECT_EQ(tally.pending.size(), kCheckTallyMax);
  EXPECT_EQ(tally.dropped, 5);
}

} // namespace
