#pragma once
// Hooks that exist only in the test build (CALLWARDEN_TEST_HOOKS), so long-running
// tests can compress a day. The shipped program has none of them.
#include <windows.h>

// WM_APP + 90, test build only: wParam a RequestKind, lParam how many (1..100).
#define WM_APP_TEST_REQUEST (0x8000 + 90)
#define CALLWARDEN_TEST_KEY L"Software\\Olvex\\CallwardenTest"

// The blocker timer's interval: 1500 ms, or in the test build the DWORD
// "BlockerIntervalMs" under CALLWARDEN_TEST_KEY when present (at least 1).
UINT blocker_interval_ms(void);
// The heartbeat's interval: 5 minutes, or in the test build "HeartbeatIntervalMs".
UINT heartbeat_interval_ms(void);

// Test build only: starts `count` requests of `kind` at once.
LRESULT on_test_request(WPARAM kind, LPARAM count);
