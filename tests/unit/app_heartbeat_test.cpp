#include <gtest/gtest.h>

#include "app/heartbeat.h"

namespace {

// Every minute for the hour after a tool was ended, every five minutes otherwise.
TEST(Heartbeat, QuickensForTheHourAfterAToolWasEnded) {
  const unsigned usual = HEARTBEAT_INTERVAL_MS;
  const unsigned quick = HEARTBEAT_AFTER_TOOL_MS;
  EXPECT_EQ(heartbeat_wait_ms(5000, 0, usual, quick, 0), usual) << "no tool ended yet";
  EXPECT_EQ(heartbeat_wait_ms(5000, 5000, usual, quick, 0), quick);
  EXPECT_EQ(heartbeat_wait_ms(5000 + HEARTBEAT_AFTER_TOOL_FOR_MS - 1, 5000, usual, quick, 0),
            quick);
  EXPECT_EQ(heartbeat_wait_ms(5000 + HEARTBEAT_AFTER_TOOL_FOR_MS, 5000, usual, quick, 0), usual);
  EXPECT_EQ(heartbeat_wait_ms(4000, 5000, usual, quick, 0), usual) << "a tick from before";
  EXPECT_EQ(heartbeat_wait_ms(5000, 5000, 1000, quick, 0), 1000u) << "never slower than usual";
}

// A program started again within the service's hour after a blocked tool is told to beat sooner.
TEST(Heartbeat, TakesTheServicesShorterAskButNeverBelowASecond) {
  EXPECT_EQ(heartbeat_wait_ms(5000, 0, HEARTBEAT_INTERVAL_MS, HEARTBEAT_AFTER_TOOL_MS, 60000),
            60000u);
  EXPECT_EQ(heartbeat_wait_ms(5000, 5000, HEARTBEAT_INTERVAL_MS, HEARTBEAT_AFTER_TOOL_MS, 300000),
            HEARTBEAT_AFTER_TOOL_MS)
      << "a longer ask does not slow the hour after a tool";
  EXPECT_EQ(heartbeat_wait_ms(5000, 0, HEARTBEAT_INTERVAL_MS, HEARTBEAT_AFTER_TOOL_MS, 1), 1000u);
}

} // namespace
