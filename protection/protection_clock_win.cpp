#include "protection/protection_clock.h"

#include <windows.h>

#ifdef CALLWARDEN_TEST_HOOKS
// Test-hook build only: end-to-end tests move this clock forward (to see an override
// run out without waiting an hour) by writing a number of minutes to the registry.
// Read on every call so a test can change it while the program runs.
static uint64_t test_clock_offset_ms(void) {
  DWORD minutes = 0;
  DWORD size = sizeof(minutes);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Olvex\\CallwardenTest", L"ClockOffsetMinutes",
                   RRF_RT_REG_DWORD, nullptr, &minutes, &size) != ERROR_SUCCESS) {
    return 0;
  }
  return static_cast<uint64_t>(minutes) * 60000u;
}
#endif

uint64_t protection_now(void) {
#ifdef CALLWARDEN_TEST_HOOKS
  return GetTickCount64() + test_clock_offset_ms();
#else
  return GetTickCount64();
#endif
}
