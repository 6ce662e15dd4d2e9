#pragma once
// The byte scanner behind the pop-up cleaner: finds granted notification permissions in the
// text of a browser Preferences file and, when asked, turns each one into a block in place.
// No platform calls, so the same code runs in the program, the unit tests and the fuzzer.
#include <cstddef>
#include <cstdint>

#define TRUSTED_DOMAIN_COUNT 9

// Lower-case domains whose notification grants are never counted or changed, ending with
// an empty entry. Entry 0 is the vendor's own domain.
extern const char* const trusted_domains[TRUSTED_DOMAIN_COUNT + 1];

#define PREFERENCES_MIN_SIZE 17u
#define PREFERENCES_MAX_SIZE 16777216u

// True for a file size the scanner will read: 17 bytes to 16 MiB inclusive.
bool preferences_size_acceptable(uint64_t size);

// Counts the untrusted sites with a granted notification permission in `text`, which ends at
// its first NUL. With `apply` set, each counted grant's '1' becomes '2' in the buffer; no other
// byte is touched, so the text keeps its length.
int scan_preferences_text(char* text, bool apply);
