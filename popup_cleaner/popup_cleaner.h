#pragma once
#include <windows.h>

// Button 1009: counts and, where the browser is closed, blocks notification grants.
void clean_browser_popups(HWND hwnd);
