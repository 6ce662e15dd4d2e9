#include "autostart/startup_approved.h"

bool startup_approved_off(const unsigned char* data, size_t size) {
  return data != nullptr && size > 0 && (data[0] & 1u) != 0;
}

StartupSwitchStep startup_switch_step(bool entry_present, bool switched_off, bool reported) {
  const bool off = entry_present && switched_off;
  if (off && !reported) return STARTUP_SWITCH_REPORT;
  if (!off && reported) return STARTUP_SWITCH_FORGET;
  return STARTUP_SWITCH_NOTHING;
}
