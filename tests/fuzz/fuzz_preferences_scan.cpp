// Feeds arbitrary bytes to the Preferences scanner. Whatever the input, blocking may only
// turn '1' bytes into '2', exactly one per counted site, and counting alone changes nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "popup_cleaner/preferences_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the block the file reader makes: the bytes and one NUL, so any overrun is caught.
  char* counted = static_cast<char*>(malloc(size + 1));
  char* applied = static_cast<char*>(malloc(size + 1));
  if (counted == nullptr || applied == nullptr) abort();
  memcpy(counted, data, size);
  memcpy(applied, data, size);
  counted[size] = '\0';
  applied[size] = '\0';

  const int count = scan_preferences_text(counted, false);
  if (memcmp(counted, data, size) != 0) abort();
  if (scan_preferences_text(applied, true) != count) abort();
  if (count < 0) abort();

  int changed = 0;
  for (size_t i = 0; i < size; i++) {
    if (applied[i] == static_cast<char>(data[i])) continue;
    if (data[i] != '1' || applied[i] != '2') abort();
    changed++;
  }
  if (changed != count) abort();
  if (applied[size] != '\0') abort();

  free(counted);
  free(applied);
  return 0;
}
