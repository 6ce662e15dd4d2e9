#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cwchar>

#include "ui/card_looks.h"

TEST(UiColour, packs_like_a_windows_colorref) {
  EXPECT_EQ(rgb(11, 87, 208), 0x00D0570Bu);
  EXPECT_EQ(rgb(255, 255, 255), 0x00FFFFFFu);
  EXPECT_EQ(rgb(1, 0, 0), 0x1u);
  EXPECT_EQ(rgb(0, 0, 1), 0x10000u);
}

TEST(UiProtectionState, paused_blocker_wins_over_any_override) {
  EXPECT_EQ(choose_protection_state(0, 0, 1000), PROTECTION_PAUSED);
  EXPECT_EQ(choose_protection_state(0, 5000, 1000), PROTECTION_PAUSED);
  EXPECT_EQ(choose_protection_state(0, UINT64_MAX, 0), PROTECTION_PAUSED);
}

TEST(UiProtectionState, override_shows_until_its_end_tick_and_not_at_it) {
  EXPECT_EQ(choose_protection_state(1, 3601000, 1000), PROTECTION_OVERRIDE);
  EXPECT_EQ(choose_protection_state(1, 3601000, 3600999), PROTECTION_OVERRIDE);
  // Just expired: the paint shows Armed before the blocker tick has cleared the end tick.
  EXPECT_EQ(choose_protection_state(1, 3601000, 3601000), PROTECTION_ARMED);
  EXPECT_EQ(choose_protection_state(1, 3601000, 3601001), PROTECTION_ARMED);
}

TEST(UiProtectionState, no_override_means_armed_at_every_tick) {
  EXPECT_EQ(choose_protection_state(1, 0, 0), PROTECTION_ARMED);
  EXPECT_EQ(choose_protection_state(1, 0, 123456), PROTECTION_ARMED);
  EXPECT_EQ(choose_protection_state(1, 0, UINT64_MAX), PROTECTION_ARMED);
  // Any non-zero flag counts as enabled.
  EXPECT_EQ(choose_protection_state(-1, 0, 5), PROTECTION_ARMED);
}

TEST(UiProtectionState, compares_full_unsigned_64_bit_ticks) {
  // Past 2^32 ms (49.7 days of uptime) a 32-bit cut would turn this expired override live.
  const uint64_t now = (uint64_t(1) << 32) + 5;
  EXPECT_EQ(choose_protection_state(1, 10, now), PROTECTION_ARMED);
  EXPECT_EQ(choose_protection_state(1, now + 3600000, now), PROTECTION_OVERRIDE);
  // Above 2^63 a signed comparison would flip.
  const uint64_t high = (uint64_t(1) << 63) + 16;
  EXPECT_EQ(choose_protection_state(1, high, (uint64_t(1) << 63) - 1), PROTECTION_OVERRIDE);
  EXPECT_EQ(choose_protection_state(1, (uint64_t(1) << 63) - 1, high), PROTECTION_ARMED);
  EXPECT_EQ(choose_protection_state(1, UINT64_MAX, UINT64_MAX - 1), PROTECTION_OVERRIDE);
  EXPECT_EQ(choose_protection_state(1, UINT64_MAX, UINT64_MAX), PROTECTION_ARMED);
}

TEST(UiProtectionLook, each_state_has_its_colours_and_headline) {
  const ProtectionLook paused = protection_look(PROTECTION_PAUSED);
  EXPECT_EQ(paused.fill, rgb(254, 242, 242));
  EXPECT_EQ(paused.border, rgb(248, 113, 113));
  EXPECT_EQ(paused.headline_colour, rgb(179, 38, 30));
  EXPECT_STREQ(paused.headline, L"PAUSE: Remote-Scam Blocker is Paused");

  const ProtectionLook override_look = protection_look(PROTECTION_OVERRIDE);
  EXPECT_EQ(override_look.fill, rgb(254, 247, 224));
  EXPECT_EQ(override_look.border, rgb(245, 158, 11));
  EXPECT_EQ(override_look.headline_colour, rgb(146, 64, 14));
  EXPECT_STREQ(override_look.headline, L"1-Hour Guardian Override Active");

  const ProtectionLook armed = protection_look(PROTECTION_ARMED);
  EXPECT_EQ(armed.fill, rgb(236, 253, 245));
  EXPECT_EQ(armed.border, rgb(16, 185, 129));
  EXPECT_EQ(armed.headline_colour, rgb(6, 95, 70));
  EXPECT_STREQ(armed.headline, L"ACTIVE: Live Remote-Scam Blocker Armed");
}

TEST(UiVerdictLook, each_verdict_has_its_colour_set) {
  struct Row {
    int state;
    Colour fill, border, status;
  } rows[] = {
      {0, rgb(248, 250, 252), rgb(203, 213, 225), rgb(30, 41, 59)},
      {1, rgb(230, 244, 234), rgb(52, 168, 83), rgb(20, 108, 46)},
      {2, rgb(254, 247, 224), rgb(251, 188, 4), rgb(146, 64, 14)},
      {3, rgb(252, 232, 230), rgb(217, 48, 37), rgb(179, 38, 30)},
      {4, rgb(239, 246, 255), rgb(59, 130, 246), rgb(11, 87, 208)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.state);
    const VerdictLook look = verdict_look(r.state);
    EXPECT_EQ(look.fill, r.fill);
    EXPECT_EQ(look.border, r.border);
    EXPECT_EQ(look.status_colour, r.status);
  }
}

TEST(UiVerdictLook, any_value_outside_the_five_states_looks_idle) {
  const VerdictLook idle = verdict_look(0);
  for (int state : {-1, 5, 7, 99, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(state);
    const VerdictLook look = verdict_look(state);
    EXPECT_EQ(look.fill, idle.fill);
    EXPECT_EQ(look.border, idle.border);
    EXPECT_EQ(look.status_colour, idle.status_colour);
  }
}
