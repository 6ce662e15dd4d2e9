#include <gtest/gtest.h>

#include "autostart/startup_approved.h"

namespace {

// Windows' Startup apps switch, as it keeps it beside the Run entry; reported once a change.
TEST(StartupSwitch, OffIsTheFirstBytesLowBitAndIsReportedOncePerChange) {
  const unsigned char on[12] = {0x02};
  const unsigned char off[12] = {0x03, 0, 0, 0, 0x10, 0x20};
  EXPECT_FALSE(startup_approved_off(on, sizeof(on)));
  EXPECT_TRUE(startup_approved_off(off, sizeof(off)));
  EXPECT_FALSE(startup_approved_off(off, 0));
  EXPECT_FALSE(startup_approved_off(nullptr, 12));
  EXPECT_EQ(startup_switch_step(true, true, false), STARTUP_SWITCH_REPORT);
  EXPECT_EQ(startup_switch_step(true, true, true), STARTUP_SWITCH_NOTHING) << "told already";
  EXPECT_EQ(startup_switch_step(true, false, true), STARTUP_SWITCH_FORGET) << "on again";
  EXPECT_EQ(startup_switch_step(false, true, false), STARTUP_SWITCH_NOTHING)
      << "no entry: the box's own untick reports that";
  EXPECT_EQ(startup_switch_step(false, true, true), STARTUP_SWITCH_FORGET);
  EXPECT_EQ(startup_switch_step(true, false, false), STARTUP_SWITCH_NOTHING);
}

} // namespace
