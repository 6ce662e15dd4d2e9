#pragma once
#include <windows.h>

// Button 1009: counts and, where the browser is closed, blocks notification grants.
void clean_browser_popups(HWND hwnd);

// True when a running process has exactly this executable name, in any letter case.
// A process list that cannot be had counts as "not running".
bool is_process_running(const wchar_t* exe_name);
