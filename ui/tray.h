#pragma once
#include <windows.h>
#include <shellapi.h>

// Adds (add = 1) or updates the tray icon; a balloon when both texts are given.
BOOL update_tray_icon(int add, const wchar_t* title, const wchar_t* text);
LRESULT show_main_window(HWND hwnd);
LRESULT show_tray_menu(HWND hwnd);
LRESULT hide_to_tray(HWND hwnd);
LRESULT confirm_exit(HWND hwnd);
void remove_tray_icon(void);

// The record every tray call sends: the tooltip for the blocker state and, when both texts
// are given, a balloon. Each text is cut to fit its field.
void build_tray_record(NOTIFYICONDATAW* record, const wchar_t* title, const wchar_t* text);
// The five-item tray menu, or null; the caller destroys it.
HMENU create_tray_menu(void);
