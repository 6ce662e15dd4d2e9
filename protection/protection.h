#pragma once
#include <windows.h>

#include "service/service_types.h"

// One look at the running processes (IDT_BLOCKER, every 1500 ms while enabled).
void blocker_tick(void);
// Pause / turn on the blocker, after a confirmation.
void toggle_blocker(HWND hwnd);
// The one-hour override (button 1005 and tray item 2003).
void request_override(HWND hwnd);
void on_override_pin_result(const ServiceResult* result);
