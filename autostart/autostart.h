#pragma once
#include <windows.h>

// Ticks the start-up checkbox when the sign-in start value is present and Windows' Startup apps
// switch lets it start.
void sync_startup_checkbox(void);
// Reads the Startup apps switch (at start and with each heartbeat): switched off, a linked
// computer tells the family once per change; the checkbox shows what Windows will do.
void check_startup_switch(void);
// Checkbox 1010: installs and registers, or unregisters, the sign-in start.
void toggle_start_with_windows(HWND hwnd);
