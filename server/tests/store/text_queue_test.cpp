// The queue of texts in the store: a code's words go once it is sent, a delivery report's final
// word stands, and the family page says plainly what became of the last alert to a number.
#include <gtest/gtest.h>

#include "alerts/text_sender.h"
#include "store/store_texts.h"
#include "support/service_harness.h"
#include "web/web_family_page.h"
#include "web/web_text_status.h"

namespace {

class TextQueue : public ::testing::Test {
protected:
  void SetUp() override {
    store_.reset(new DataStore(dir_.path));
    ASSERT_NE(store_->get(), nullptr);
    Account account;
    ASSERT_TRUE(store_ensure_account(store_->get(), "07700900123", 1000, &account));
    account_ = account.id;
  }

  TestDatabase database_;
  TempDir dir_;
  std::unique_ptr<DataStore> store_;
  int64_t account_ = 0;
};

TEST_F(TextQueue, ACodeIsHeldByItsClaimForgottenOnceSentAndGivenUpWhenItRunsOut) {
  ServiceStore* store = store_->get();
  ASSERT_TRUE(store_queue_text(store, account_, "447700900123", "123456 is your code", kTextForCode,
                               1600, 1000));
  QueuedText text;
  ASSERT_TRUE(store_claim_text(store, 1000, 60, &text));
  EXPECT_EQ(text.body, "123456 is your code");
  EXPECT_EQ(text.report_id.size(), 32u);
  EXPECT_EQ(text.tries, 1);
  EXPECT_FALSE(store_claim_text(store, 1001, 60, &text)); // held by its claim
  ASSERT_TRUE(store_text_failed(store, text.id, 1010, false));
  EXPECT_FALSE(store_claim_text(store, 1009, 60, &text));
  ASSERT_TRUE(store_claim_text(store, 1010, 60, &text));
  EXPECT_EQ(text.tries, 2);
  ASSERT_TRUE(store_text_sent(store, text.id, 1010));
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue WHERE body <> ''"), 0);
  EXPECT_FALSE(store_claim_text(store, 5000, 60, &text));
  // A code the gateway could not take before it ran out is never sent late.
  ASSERT_TRUE(store_queue_text(store, account_, "447700900123", "654321 is your code", kTextForCode,
                               1600, 1000));
  ASSERT_TRUE(store_claim_text(store, 1600, 60, &text));
  std::string error;
  EXPECT_FALSE(deliver_text(store, SmsGateway(), text, 1600, &error));
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue WHERE state = 'given_up' AND "
                           "body = ''"),
            1);
}

TEST_F(TextQueue, SentCodesGoAfterADayAndAlertsStayForTheFamilyPage) {
  ServiceStore* store = store_->get();
  const int64_t kDay = 24 * 60 * 60;
  ASSERT_TRUE(store_queue_text(store, account_, "447700900123", "1", kTextForCode, 0, 1000));
  ASSERT_TRUE(store_queue_text(store, account_, "447700900123", "2", kTextForAlert, 0, 1000));
  ASSERT_TRUE(store_queue_text(store, account_, "447700900124", "3", kTextForAlert, 0, 1000));
  QueuedText text;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(store_claim_text(store, 1000, 60, &text));
    ASSERT_TRUE(store_text_sent(store, text.id, 1000));
  }
  ASSERT_TRUE(store_forget_old(store, 1000 + 2 * kDay));
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue WHERE kind = 'code'"), 0);
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue WHERE kind = 'alert'"), 2);
  ASSERT_TRUE(store_forget_old(store, 1000 + 91 * kDay));
  // The one still waiting is never dropped unsent.
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue"), 1);
  EXPECT_EQ(store_->number("SELECT COUNT(*) FROM text_queue WHERE state = 'waiting'"), 1);
}

TEST_F(TextQueue, ALateAcceptedReportDoesNotUndoDelivered) {
  ServiceStore* store = store_->get();
  std::string report_id;
  ASSERT_TRUE(store_queue_text(store, account_, "447700900123", "alert", kTextForAlert, 0, 1000,
                               &report_id));
  bool changed = false;
  ASSERT_TRUE(store_text_report(store, report_id, "accepted", 1001, &changed));
  EXPECT_TRUE(changed);
  ASSERT_TRUE(store_text_report(store, report_id, "delivered", 1002, &changed));
  EXPECT_TRUE(changed);
  ASSERT_TRUE(store_text_report(store, report_id, "accepted", 1003, &changed));
  EXPECT_FALSE(changed);
  ASSERT_TRUE(store_text_report(store, report_id, "delivered", 1004, &changed));
  EXPECT_FALSE(changed); // counted once
  EXPECT_FALSE(
      store_text_report(store, "0123456789abcdef0123456789abcdef", "failed", 1005, &changed));
  std::map<std::string, TextStatus> last;
  ASSERT_TRUE(store_last_alert_texts(store, account_, &last));
  EXPECT_EQ(last["447700900123"].report, "delivered");
  EXPECT_EQ(last["447700900123"].report_at, 1002);
}

TEST_F(TextQueue, TheFamilyPageSaysWhatBecameOfTheLastAlertToEachNumber) {
  ServiceStore* store = store_->get();
  const int64_t at = 1781010120; // 9 June 2026 at 14:02 in the UK
  std::string first;
  std::string second;
  ASSERT_TRUE(
      store_queue_text(store, account_, "447700900123", "a", kTextForAlert, 0, at - 60, &first));
  ASSERT_TRUE(
      store_queue_text(store, account_, "447700900123", "b", kTextForAlert, 0, at, &second));
  ASSERT_TRUE(store_queue_text(store, account_, "447700900999", "c", kTextForCode, 0, at));
  bool changed = false;
  ASSERT_TRUE(store_text_report(store, first, "delivered", at, &changed));
  ASSERT_TRUE(store_text_report(store, second, "failed", at + 5, &changed));
  FamilyView view;
  ASSERT_EQ(store_find_account(store, "07700900123", &view.account), Lookup::kFound);
  ASSERT_TRUE(store_last_alert_texts(store, account_, &view.alert_texts));
  // The newest alert counts, and a code is no alert.
  EXPECT_EQ(text_status_line(view.alert_texts, "07700900123"),
            "The last alert (9 June 2026 at 14:02) could not be delivered to this number.");
  EXPECT_EQ(text_status_line(view.alert_texts, "07700900999"), "");
  EXPECT_EQ(text_status_line(view.alert_texts, "jane@example.com"), "");
  WebAnswer page = family_page(200, view, "csrf");
  EXPECT_NE(page.body.find("could not be delivered to this number"), std::string::npos);
  TextStatus delivered{"sent", "delivered", at - 60, at};
  TextStatus waiting{"waiting", "", at, 0};
  TextStatus unconfirmed{"sent", "accepted", at, at + 1};
  EXPECT_EQ(text_status_line({{"447700900123", delivered}}, "07700900123"),
            "Last alert delivered 9 June 2026 at 14:02.");
  EXPECT_EQ(text_status_line({{"447700900123", waiting}}, "07700900123"),
            "The last alert (9 June 2026 at 14:02) is still being sent.");
  EXPECT_EQ(text_status_line({{"447700900123", unconfirmed}}, "07700900123"),
            "Last alert sent 9 June 2026 at 14:02; not yet confirmed delivered.");
}

} // namespace
