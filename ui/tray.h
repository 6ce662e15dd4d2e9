#pragma once
#include <windows.h>

// Adds (add = 1) or updates the tray icon; a balloon when both texts are given.
BOOL update_tray_icon(int add, const wchar_t* title, const wchar_t* text);
LRESULT show_main_window(HWND hwnd);
LRESULT show_tray_menu(HWND hwnd);
LRESULT hide_to_tray(HWND hwnd);
LRESULT confirm_exit(HWND hwnd);
void remove_tray_icon(void);
