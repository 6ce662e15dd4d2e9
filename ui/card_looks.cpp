#include "ui/card_looks.h"

ProtectionState choose_protection_state(int blocker_enabled, uint64_t override_until,
                                        uint64_t now) {
  if (blocker_enabled == 0) return PROTECTION_PAUSED;
  if (now < override_until) return PROTECTION_OVERRIDE;
  return PROTECTION_ARMED;
}

ProtectionLook protection_look(ProtectionState state) {
  switch (state) {
  case PROTECTION_PAUSED:
    return {rgb(254, 242, 242), rgb(248, 113, 113), rgb(179, 38, 30),
            L"PAUSE: Remote-Scam Blocker is Paused"};
  case PROTECTION_OVERRIDE:
    return {rgb(254, 247, 224), rgb(245, 158, 11), rgb(146, 64, 14),
            L"1-Hour Guardian Override Active"};
  case PROTECTION_ARMED:
  default:
    return {rgb(236, 253, 245), rgb(16, 185, 129), rgb(6, 95, 70),
            L"ACTIVE: Live Remote-Scam Blocker Armed"};
  }
}

VerdictLook verdict_look(int verdict_state) {
  switch (verdict_state) {
  case 1: return {rgb(230, 244, 234), rgb(52, 168, 83), rgb(20, 108, 46)};   // Safe
  case 2: return {rgb(254, 247, 224), rgb(251, 188, 4), rgb(146, 64, 14)};   // Caution
  case 3: return {rgb(252, 232, 230), rgb(217, 48, 37), rgb(179, 38, 30)};   // Scam
  case 4: return {rgb(239, 246, 255), rgb(59, 130, 246), rgb(11, 87, 208)};  // Checking
  default: return {rgb(248, 250, 252), rgb(203, 213, 225), rgb(30, 41, 59)}; // Idle
  }
}
