#pragma once
// The Startup apps switch of Windows' Settings and Task Manager: Windows keeps it beside the
// Run entry, as a binary value of the same name under StartupApproved\Run, and starts the
// entry at sign-in only while that value says enabled (or is absent). Read without the platform.
#include <cstddef>

#define STARTUP_APPROVED_KEY                                                                       \
  L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"

// The value as read: its first byte's lowest bit is set when the switch is off (03 00 00 00
// and a time; 02 00 00 00 ... is on). Nothing read, or nothing in it, is on.
bool startup_approved_off(const unsigned char* data, size_t size);

enum StartupSwitchStep {
  STARTUP_SWITCH_NOTHING,
  STARTUP_SWITCH_REPORT, // switched off since it was last reported: tell the family, once
  STARTUP_SWITCH_FORGET, // on again (or no entry): the next switch-off is news again
};

// What to do at a look, from whether the Run entry is there, what the switch says and whether
// its being off was already reported.
StartupSwitchStep startup_switch_step(bool entry_present, bool switched_off, bool reported);
