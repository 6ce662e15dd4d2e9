#pragma once
#include <windows.h>

#include <cstdint>

// WM_PAINT: draws the whole client area off-screen and copies it in one BitBlt.
void paint_main_window(HWND hwnd);

// Draws the whole client area (width x height) into `dc` from g_app, with `now` as the
// current GetTickCount64 tick. Leaves nothing selected that it made.
void paint_client_area(HDC dc, int width, int height, uint64_t now);

// One rounded card: a one-pixel border at every DPI around a solid fill.
void draw_card(HDC dc, const RECT& rect, COLORREF fill, COLORREF border);
