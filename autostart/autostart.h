#pragma once
#include <windows.h>

// Ticks the start-up checkbox when the sign-in start value is present.
void sync_startup_checkbox(void);
// Checkbox 1010: installs and registers, or unregisters, the sign-in start.
void toggle_start_with_windows(HWND hwnd);
