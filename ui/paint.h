#pragma once
#include <windows.h>

// WM_PAINT: draws the whole client area off-screen and copies it in one BitBlt.
void paint_main_window(HWND hwnd);
