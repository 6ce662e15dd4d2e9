// The reports kept while the service cannot be reached, and the unclean-end decision.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protection/protection_reports.h"

namespace {

std::vector<std::string> read_all(const char* queue) {
  std::vector<std::string> out;
  const char* cursor = queue;
  char state[REPORT_STATE_CAPACITY];
  uint64_t at = 0;
  while (report_queue_next(&cursor, state, sizeof(state), &at))
    out.push_back(std::string(state) + "@" + std::to_string(at));
  return out;
}

TEST(ReportQueue, KeepsReportsInOrderWithTheirTimesAndDropsTheOldestAfterSixteen) {
  char queue[REPORT_QUEUE_CAPACITY] = "";
  EXPECT_TRUE(report_queue_add(queue, sizeof(queue), REPORT_CLOSED, 1765000000));
  EXPECT_TRUE(report_queue_add(queue, sizeof(queue), REPORT_ENDED_UNEXPECTEDLY, 4102444800ull));
  EXPECT_EQ(read_all(queue),
            (std::vector<std::string>{"closed@1765000000", "ended_unexpectedly@4102444800"}));
  for (uint64_t i = 0; i < 20; ++i)
    ASSERT_TRUE(report_queue_add(queue, sizeof(queue), REPORT_PAUSED, 100 + i));
  std::vector<std::string> kept = read_all(queue);
  ASSERT_EQ(kept.size(), 16u);
  EXPECT_EQ(kept.front(), "paused@104") << "the oldest went first";
  EXPECT_EQ(kept.back(), "paused@119");
  EXPECT_FALSE(report_queue_add(queue, sizeof(queue), "asleep", 1));
  EXPECT_EQ(read_all(queue).size(), 16u);
}

TEST(ReportQueue, ADamagedValueLosesOnlyItsDamagedLines) {
  char queue[REPORT_QUEUE_CAPACITY] =
      "paused 12\nrubbish\nclosed 1x\nremoved 99999999999999999999999\n\nasleep 5\nresumed 13";
  EXPECT_EQ(read_all(queue), (std::vector<std::string>{"paused@12", "resumed@13"}));
  ASSERT_TRUE(report_queue_add(queue, sizeof(queue), REPORT_AUTOSTART_OFF, 14));
  EXPECT_EQ(std::string(queue), "paused 12\nresumed 13\nautostart_off 14\n");
}

TEST(LastRun, AnEndWithoutExitOrShutdownAndAnEndWhilePausedAreReportedOnlyWhenLinked) {
  EXPECT_STREQ(report_for_last_run(true, RUN_MARKER_RUNNING, true), REPORT_ENDED_UNEXPECTEDLY);
  EXPECT_STREQ(report_for_last_run(true, RUN_MARKER_ENDED_PAUSED, true), REPORT_RESUMED)
      << "a shutdown while paused: this start is armed again";
  EXPECT_EQ(report_for_last_run(false, 0, true), nullptr) << "Exit or a shutdown removed it";
  EXPECT_EQ(report_for_last_run(true, RUN_MARKER_RUNNING, false), nullptr) << "not linked";
  EXPECT_EQ(report_for_last_run(true, RUN_MARKER_ENDED_PAUSED, false), nullptr);
  EXPECT_EQ(report_for_last_run(true, 0, true), nullptr);
  EXPECT_EQ(report_for_last_run(true, 7, true), nullptr) << "a value we never write";
}

} // namespace
