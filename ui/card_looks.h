#pragma once
// The colours and headline of the two cards whose look follows the state.
#include <cstdint>

#include "ui/colours.h"

enum ProtectionState { PROTECTION_PAUSED = 0, PROTECTION_OVERRIDE = 1, PROTECTION_ARMED = 2 };

// `now` and `override_until` are GetTickCount64 milliseconds, compared unsigned. An override
// shows only while `now` is still below its end, even before the blocker tick clears it.
ProtectionState choose_protection_state(int blocker_enabled, uint64_t override_until, uint64_t now);

struct ProtectionLook {
  Colour fill;
  Colour border;
  Colour headline_colour;
  const wchar_t* headline;
};

ProtectionLook protection_look(ProtectionState state);

struct VerdictLook {
  Colour fill;
  Colour border;
  Colour status_colour;
};

// Takes the stored number as it is: anything but Safe, Caution, Scam or Checking (1..4)
// gets the Idle colours.
VerdictLook verdict_look(int verdict_state);
