#pragma once
// Where the program installs itself for the sign-in start, and the start entry's text.
#include <cstddef>

#define INSTALL_PATH_CAPACITY 260
#define START_ENTRY_CAPACITY 292

struct InstallPaths {
  wchar_t vendor_folder[INSTALL_PATH_CAPACITY];  // <local app data>\Olvex
  wchar_t product_folder[INSTALL_PATH_CAPACITY]; // <local app data>\Olvex\Callwarden
  wchar_t executable[INSTALL_PATH_CAPACITY];     // ...\Olvex\Callwarden\Olvex-Callwarden.exe
};

// Fills all three from the local app data folder. False when any of them would not fit:
// a cut path would install and register a file of another name.
bool make_install_paths(const wchar_t* local_app_data, InstallPaths* out);

// "\"<program>\" --tray" into `out`, cut to `capacity` - 1 units.
void format_start_entry(wchar_t* out, size_t capacity, const wchar_t* program);
