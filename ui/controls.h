#pragma once
#include <windows.h>

// Creates the ten child controls, their fonts and the first cue banner (WM_CREATE).
void create_controls(HWND hwnd);
// Moves every control to its place for the client width and DPI.
void layout_controls(HWND hwnd);
// Re-applies the account and blocker state to the controls, the tray tooltip and the window.
void refresh_controls(void);
// The answer to WM_CTLCOLORSTATIC: colours on `dc`, returns the static brush.
HBRUSH on_ctl_color_static(HDC dc);
