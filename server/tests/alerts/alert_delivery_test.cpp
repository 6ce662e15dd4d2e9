// Delivering queued alerts: once only when two instances look at the queue, put back with a
// later try when the mail server fails, and by email through a real SMTP receiver.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "alerts/alert_raise.h"
#include "api/abuse_limits.h"
#include "alerts/alert_sender.h"
#include "support/service_harness.h"
#include "alerts/smtp_mail.h"

namespace {

class AlertDelivery : public ::testing::Test {
protected:
  void SetUp() override {
    first_.reset(new DataStore(dir_.path));
    second_.reset(new DataStore(dir_.path));
    ASSERT_NE(first_->get(), nullptr);
    Account account;
    ASSERT_TRUE(store_ensure_account(first_->get(), "jane@example.com", 1000, &account));
    account_ = account.id;
    delivery_.outbox_file = dir_.path + "/outbox.txt";
    delivery_.mail_from = "alerts@olvex.example";
  }

  std::string outbox() {
    std::ifstream file(delivery_.outbox_file);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  TestDatabase database_; // before the stores, which open it
  TempDir dir_;
  std::unique_ptr<DataStore> first_;
  std::unique_ptr<DataStore> second_;
  int64_t account_ = 0;
  ::AlertDelivery delivery_;
};

TEST_F(AlertDelivery, TwoInstancesClaimEachAlertOnce) {
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(store_queue_alert(first_->get(), account_, "jane@example.com",
                                  "alert " + std::to_string(i), 1000));
  std::vector<int64_t> claimed[2];
  auto claim_all = [](ServiceStore* store, std::vector<int64_t>* ids) {
    QueuedAlert alert;
    for (int misses = 0; misses < 50;) {
      if (store_claim_alert(store, 1000, kAlertLeaseSeconds, &alert)) {
        ids->push_back(alert.id);
      } else {
        ++misses;
      }
    }
  };
  std::thread a(claim_all, first_->get(), &claimed[0]);
  std::thread b(claim_all, second_->get(), &claimed[1]);
  a.join();
  b.join();
  std::vector<int64_t> all = claimed[0];
  all.insert(all.end(), claimed[1].begin(), claimed[1].end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all.size(), 20u);
  EXPECT_EQ(std::unique(all.begin(), all.end()), all.end()) << "an alert claimed twice";
  // A claim that is never finished (the instance died) is taken again once its lease is over.
  QueuedAlert alert;
  EXPECT_FALSE(store_claim_alert(first_->get(), 1000 + kAlertLeaseSeconds - 1, 60, &alert));
  EXPECT_TRUE(store_claim_alert(first_->get(), 1000 + kAlertLeaseSeconds, 60, &alert));
  EXPECT_EQ(alert.tries, 2);
}

TEST_F(AlertDelivery, AFailedEmailIsTriedAgainLaterWithoutASecondOutboxLine) {
  delivery_.smtp_url = "smtp://127.0.0.1:9"; // nothing listens there
  ASSERT_TRUE(
      store_queue_alert(first_->get(), account_, "jane@example.com", "Callwarden stopped", 1000));
  QueuedAlert alert;
  ASSERT_TRUE(store_claim_alert(first_->get(), 1000, kAlertLeaseSeconds, &alert));
  std::string error;
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, alert, 1000, &error), 0);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(store_claim_alert(first_->get(), 1009, kAlertLeaseSeconds, &alert))
      << "not before 10 s";
  ASSERT_TRUE(store_claim_alert(first_->get(), 1010, kAlertLeaseSeconds, &alert));
  EXPECT_TRUE(alert.outbox_written);
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, alert, 1010, &error), 0);
  const std::string lines = outbox();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
  EXPECT_NE(outbox().find("\"kind\":\"alert\",\"identifier\":\"jane@example.com\""),
            std::string::npos);
  EXPECT_EQ(alert_retry_delay(1), 10);
  EXPECT_EQ(alert_retry_delay(2), 30);
  EXPECT_EQ(alert_retry_delay(20), 1800);
  // After the last try it is given up, not tried for ever.
  SqlRows rows;
  first_->get()->sql->run("UPDATE alert_queue SET tries = 7, next_try_at = 0", {}, &rows);
  ASSERT_TRUE(store_claim_alert(first_->get(), 2000, kAlertLeaseSeconds, &alert));
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, alert, 2000, &error), 0);
  std::map<std::string, int> states;
  ASSERT_TRUE(store_alert_states(first_->get(), &states));
  EXPECT_EQ(states["failed"], 1);
}

TEST_F(AlertDelivery, EmailReachesARealSmtpReceiverAndMobilesOnlyTheOutbox) {
  if (access("/usr/bin/python3", X_OK) != 0 ||
      std::system("/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null") != 0)
    GTEST_SKIP() << "needs Debian's python3-aiosmtpd";
  const std::string log = dir_.path + "/smtp.log";
  const int port = 20000 + getpid() % 20000;
  pid_t receiver = fork();
  if (receiver == 0) {
    freopen(log.c_str(), "w", stdout);
    execl("/usr/bin/python3", "python3", "-u", "-m", "aiosmtpd", "-n", "-l",
          ("127.0.0.1:" + std::to_string(port)).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  delivery_.smtp_url = "smtp://127.0.0.1:" + std::to_string(port);
  ASSERT_TRUE(store_queue_alert(first_->get(), account_, "jane@example.com",
                                "Callwarden stopped AnyDesk on DESKTOP-1234 at 14:02.", 1000));
  ASSERT_TRUE(
      store_queue_alert(first_->get(), account_, "07700900456", "Callwarden stopped", 1000));
  std::string error;
  QueuedAlert alert;
  bool mailed = false;
  for (int i = 0; i < 50 && !mailed; ++i) { // the receiver takes a moment to listen
    SqlRows rows;
    first_->get()->sql->run("UPDATE alert_queue SET next_try_at = 0, state = 'waiting' WHERE "
                            "recipient = 'jane@example.com' AND state <> 'sent'",
                            {}, &rows);
    if (store_claim_alert(first_->get(), 1000, kAlertLeaseSeconds, &alert) &&
        alert.recipient == "jane@example.com")
      mailed = deliver_alert(first_->get(), delivery_, alert, 1000, &error) == 1;
    if (!mailed) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(mailed) << error;
  ASSERT_TRUE(store_claim_alert(first_->get(), 1000, kAlertLeaseSeconds, &alert));
  EXPECT_EQ(alert.recipient, "07700900456");
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, alert, 1000, &error), 1) << "outbox only";
  kill(receiver, SIGTERM);
  waitpid(receiver, nullptr, 0);
  std::ifstream file(log);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("To: <jane@example.com>"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("Callwarden stopped AnyDesk on DESKTOP-1234 at 14:02."),
            std::string::npos);
  EXPECT_EQ(text.str().find("07700900456"), std::string::npos);
}

TEST(MailText, HeadersStayOnTheirLinesAndLinesEndInCrLf) {
  MailMessage message{"alerts@olvex.example", "jane@example.com\r\nBcc: x@example.com",
                      "Alert\nBcc: y@example.com", "one\ntwo\n", 1767276120};
  std::string text = mail_text(message);
  EXPECT_NE(text.find("Date: Thu, 01 Jan 2026 14:02:00 +0000\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n\r\none\r\ntwo\r\n"), std::string::npos);
}

int queued_alerts(DataStore* store) {
  return static_cast<int>(store->number("SELECT COUNT(*) FROM alert_queue"));
}

std::string last_queued_text(DataStore* store) {
  SqlRows rows;
  if (!store->get()->sql->run("SELECT body FROM alert_queue ORDER BY id DESC LIMIT 1", {}, &rows) ||
      rows.rows.empty())
    return std::string();
  return sql_cell(rows, 0, 0);
}

// Ten alerts an hour for an account, from any instance; what comes beyond is told in one alert
// once the hour has room again, by one instance only.
TEST_F(AlertDelivery, AnHoursAlertsAreCappedAndTheRestSummedUpOnce) {
  ServiceContext context;
  const int64_t start = 1767276000;
  for (int i = 0; i < 17; ++i) {
    AlertFacts facts{kAlertToolStopped, "PC", "", "tool" + std::to_string(i) + ".exe",
                     start + i * 60};
    facts.device_key = "link1";
    DataStore* instance = i % 2 ? second_.get() : first_.get();
    ASSERT_TRUE(raise_alert(&context, instance->get(), account_, facts));
  }
  EXPECT_EQ(queued_alerts(first_.get()), 10);
  int queued = 0;
  // Within the hour of the first ten, nothing is summed up yet.
  ASSERT_TRUE(send_alert_summaries(first_->get(), start + 30 * 60, &queued));
  EXPECT_EQ(queued, 0);
  const int64_t later = start + 60 * 60 + 5 * 60;
  std::thread other([&] {
    int ignored = 0;
    send_alert_summaries(second_->get(), later, &ignored);
  });
  ASSERT_TRUE(send_alert_summaries(first_->get(), later, &queued));
  other.join();
  EXPECT_EQ(queued_alerts(first_.get()), 11) << "one summary, whichever instance sent it";
  EXPECT_NE(last_queued_text(first_.get()).find("and 7 more events: see the family page"),
            std::string::npos)
      << last_queued_text(first_.get());
  ASSERT_TRUE(send_alert_summaries(first_->get(), later + 60, &queued));
  EXPECT_EQ(queued, 0);
  EXPECT_EQ(queued_alerts(first_.get()), 11);
}

// A computer's alerts that its protection is off have a budget of their own: a full hour of
// tool alerts holds none of them back, and beyond their own 20 they are summed up too.
TEST_F(AlertDelivery, ProtectionOffAlertsHaveABudgetPerComputerApartFromToolAlerts) {
  ServiceContext context;
  const int64_t start = 1767276000;
  first_->number(("INSERT INTO device_tokens (token_digest, account_id, created_at, link_id, "
                  "device_label) VALUES ('d1', " +
                  std::to_string(account_) + ", 0, 'link1', 'PC')")
                     .c_str());
  auto raise = [&](AlertKind kind, const char* link, int i) {
    AlertFacts facts{kind, "PC", "", "tool" + std::to_string(i) + ".exe", start + i};
    facts.device_key = link;
    bool queued = false;
    EXPECT_TRUE(raise_alert(&context, first_->get(), account_, facts, &queued));
    return queued;
  };
  for (int i = 0; i < 12; ++i)
    raise(kAlertToolStopped, "link1", i);
  EXPECT_EQ(queued_alerts(first_.get()), 10);
  int silent = 0;
  for (int i = 0; i < 21; ++i)
    silent += raise(kAlertSilent, "link1", 100 + i);
  EXPECT_EQ(silent, 20) << "the tool alerts used none of these";
  EXPECT_TRUE(raise(kAlertUnlinked, "link2", 200)) << "another computer has its own";
  EXPECT_FALSE(raise(kAlertBackOn, "link1", 201)) << "back on counts with the account's";
  int queued = 0;
  ASSERT_TRUE(send_alert_summaries(first_->get(), start + 60 * 60 + 120, &queued));
  EXPECT_EQ(queued, 2) << "one summary for the account's, one for the computer's";
  EXPECT_NE(last_queued_text(first_.get())
                .find("that protection on PC was off or in doubt, and 1 "
                      "more event"),
            std::string::npos)
      << last_queued_text(first_.get());
}

// Makes the store refuse a statement, as a full disk or a dropped connection would: `what` is
// "INSERT" into the queue, or "UPDATE OF outbox_written" on it.
void refuse_in_queue(DataStore* store, const std::string& what, bool on) {
  SqlRows rows;
  const std::string name = what == "INSERT" ? "refuse_insert" : "refuse_mark";
  std::string statement;
  if (testing_postgres()) {
    ASSERT_TRUE(store->get()->sql->run(
        "CREATE OR REPLACE FUNCTION refuse() RETURNS trigger AS $f$ BEGIN RAISE EXCEPTION "
        "'refused'; END $f$ LANGUAGE plpgsql",
        {}, &rows));
    statement = on ? "CREATE TRIGGER " + name + " BEFORE " + what +
                         " ON alert_queue FOR EACH ROW EXECUTE FUNCTION refuse()"
                   : "DROP TRIGGER " + name + " ON alert_queue";
  } else {
    statement = on ? "CREATE TRIGGER " + name + " BEFORE " + what +
                         " ON alert_queue BEGIN SELECT RAISE(ABORT, 'refused'); END"
                   : "DROP TRIGGER " + name;
  }
  ASSERT_TRUE(store->get()->sql->run(statement.c_str(), {}, &rows)) << statement;
}

int outbox_lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// An alert whose queueing failed holds nothing back: the same alert raised again, from another
// instance, is queued.
TEST_F(AlertDelivery, AFailedQueueHoldsBackNoRepeat) {
  ServiceContext context;
  AlertFacts facts{kAlertToolStopped, "PC", "", "AnyDesk.exe", 1000};
  facts.device_key = "link1";
  refuse_in_queue(first_.get(), "INSERT", true);
  EXPECT_EQ(raise_alert(&context, first_->get(), account_, facts), 0);
  refuse_in_queue(first_.get(), "INSERT", false);
  facts.at = 1001;
  EXPECT_EQ(raise_alert(&context, second_->get(), account_, facts), 1);
  EXPECT_EQ(queued_alerts(first_.get()), 1);
  facts.at = 1002;
  EXPECT_EQ(raise_alert(&context, first_->get(), account_, facts), 1);
  EXPECT_EQ(queued_alerts(first_.get()), 1) << "a repeat of a queued alert is held back";
}

// A sender stalled past its lease, whose alert another instance has claimed and sent since,
// neither writes it again nor puts it back.
TEST_F(AlertDelivery, ASenderThatLostItsClaimChangesNothing) {
  ASSERT_TRUE(
      store_queue_alert(first_->get(), account_, "07700900123", "Callwarden stopped", 1000));
  QueuedAlert stalled;
  ASSERT_TRUE(store_claim_alert(first_->get(), 1000, kAlertLeaseSeconds, &stalled));
  QueuedAlert taken;
  ASSERT_TRUE(
      store_claim_alert(second_->get(), 1000 + kAlertLeaseSeconds, kAlertLeaseSeconds, &taken));
  std::string error;
  EXPECT_EQ(deliver_alert(second_->get(), delivery_, taken, 1000 + kAlertLeaseSeconds, &error), 1)
      << error;
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, stalled, 1000 + kAlertLeaseSeconds + 5, &error),
            0);
  EXPECT_EQ(outbox_lines(outbox()), 1) << outbox();
  EXPECT_FALSE(store_alert_failed(first_->get(), stalled, 2000, false));
  std::map<std::string, int> states;
  ASSERT_TRUE(store_alert_states(first_->get(), &states));
  EXPECT_EQ(states["sent"], 1);
  EXPECT_EQ(states["waiting"], 0);
}

// The outbox line is written only after the mark that stops a second one: a mark that cannot
// be written leaves no line, and the later try writes it once.
TEST_F(AlertDelivery, AnOutboxMarkThatFailsWritesNoLineTwice) {
  ASSERT_TRUE(
      store_queue_alert(first_->get(), account_, "07700900123", "Callwarden stopped", 1000));
  QueuedAlert alert;
  ASSERT_TRUE(store_claim_alert(first_->get(), 1000, kAlertLeaseSeconds, &alert));
  refuse_in_queue(first_.get(), "UPDATE OF outbox_written", true);
  std::string error;
  EXPECT_EQ(deliver_alert(first_->get(), delivery_, alert, 1000, &error), 0);
  EXPECT_EQ(outbox_lines(outbox()), 0);
  refuse_in_queue(first_.get(), "UPDATE OF outbox_written", false);
  ASSERT_TRUE(store_claim_alert(second_->get(), 1010, kAlertLeaseSeconds, &alert));
  EXPECT_EQ(deliver_alert(second_->get(), delivery_, alert, 1010, &error), 1) << error;
  EXPECT_EQ(outbox_lines(outbox()), 1);
}

// An instance whose clock runs behind still counts what one running ahead wrote.
TEST_F(AlertDelivery, LimitsCountEventsFromAnInstanceWhoseClockRunsAhead) {
  int64_t event = 0;
  int64_t wait = 0;
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(limit_take(first_->get(), kSendPinPerIdentifier, "send_pin:identifier:x", 5000 + i,
                         &event, &wait),
              kLimitAllowed);
  EXPECT_EQ(limit_take(second_->get(), kSendPinPerIdentifier, "send_pin:identifier:x", 4990, &event,
                       &wait),
            kLimitRefused);
  EXPECT_GT(wait, 900);
}

} // namespace
