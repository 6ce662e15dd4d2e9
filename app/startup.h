#pragma once
#include <windows.h>

// The program's entry after the runtime: returns the process exit code.
int app_main(HINSTANCE instance, const wchar_t* command_tail, int show_command);

// A REG_SZ or REG_EXPAND_SZ value (taken unexpanded) as UTF-8; false when absent,
// empty, of another type or longer than 638 bytes.
bool read_registry_string(HKEY root, const wchar_t* subkey, const wchar_t* value_name, char* out,
                          size_t out_capacity);

// Segoe UI at `size` pixels (at 96 DPI, scaled), or null.
HFONT create_ui_font(int size, int weight);
