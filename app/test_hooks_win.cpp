#include "app/test_hooks.h"

#include "app/heartbeat.h"
#include "app/ids.h"
#include "service/request_worker.h"

#ifdef CALLWARDEN_TEST_HOOKS
static DWORD read_test_dword(const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, CALLWARDEN_TEST_KEY, name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return fallback;
  }
  return value;
}

UINT blocker_interval_ms(void) {
  const DWORD ms = read_test_dword(L"BlockerIntervalMs", BLOCKER_INTERVAL_MS);
  return ms == 0 ? 1 : ms;
}

UINT heartbeat_interval_ms(void) {
  const DWORD ms = read_test_dword(L"HeartbeatIntervalMs", HEARTBEAT_INTERVAL_MS);
  return ms == 0 ? 1 : ms;
}

LRESULT on_test_request(WPARAM kind, LPARAM count) {
  static const char* text = "Royal Mail: your parcel is held, pay the 1.99 GBP fee at "
                            "http://royalmail-redelivery.top/pay or call 07700 900123";
  if (count < 1) count = 1;
  if (count > 100) count = 100;
  for (LPARAM i = 0; i < count; i++) {
    start_service_request(static_cast<RequestKind>(kind), text, "123456");
  }
  return 0;
}
#else
UINT blocker_interval_ms(void) { return BLOCKER_INTERVAL_MS; }
UINT heartbeat_interval_ms(void) { return HEARTBEAT_INTERVAL_MS; }

LRESULT on_test_request(WPARAM, LPARAM) { return 0; }
#endif
