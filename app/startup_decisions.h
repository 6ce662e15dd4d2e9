#pragma once
// Start-up decisions with no platform calls.
#include <cstddef>
#include <cstdint>

// Registry roots as plain numbers so this file needs no Windows header.
enum RegistryRoot { REGISTRY_CURRENT_USER = 1, REGISTRY_LOCAL_MACHINE = 2 };

struct TokenLocation {
  RegistryRoot root;
  const wchar_t* subkey;
  const wchar_t* value_name;
  int accepts_ocp;  // "ocp_"
  int accepts_ocld; // "ocld_"
};

#define TOKEN_LOCATION_COUNT 4
extern const TokenLocation token_locations[TOKEN_LOCATION_COUNT];

// True when the tail holds "--tray" or "/tray" anywhere (case-sensitive); null gives false.
bool has_tray_flag(const wchar_t* command_tail);

// The screen's logical DPI when it lies in 96..384, else 96.
int pick_screen_dpi(int logical_pixels_x);

// "Windows PC" for no name or an empty one, else the name as UTF-8 cut to fit
// `capacity` bytes at a whole character, always terminated.
void pick_device_label(const wchar_t* name, char* out, size_t capacity);

// Reads one registry value as UTF-8 into `out` (capacity 320); false when absent.
typedef bool (*RegistryReader)(void* context, RegistryRoot root, const wchar_t* subkey,
                               const wchar_t* value_name, char* out, size_t capacity);

// Walks token_locations in order; the first value with an accepted prefix wins.
// `out` (capacity at least 320) stays empty when none does.
void discover_auth_token(RegistryReader read, void* context, char* out, size_t capacity);

struct WindowPosition {
  int x;
  int y;
};

// Centres a window of the given outer size in the work area (signed, truncating).
WindowPosition centre_in_work_area(int work_left, int work_top, int work_right, int work_bottom,
                                   int width, int height);

// The part of a command line after the program name and the blanks that follow it.
const wchar_t* command_tail_of(const wchar_t* command_line);

// UTF-16 to UTF-8 without the platform; unpaired surrogates become U+FFFD. Cuts at a
// whole character so the output (always terminated) fits `capacity`. Returns bytes written.
size_t utf16_to_utf8(const wchar_t* text, char* out, size_t capacity);
