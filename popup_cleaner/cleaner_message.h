#pragma once
// The one message box the pop-up cleaner shows after scanning both browsers.
#include <cstddef>

#define CLEANER_MESSAGE_CAPACITY 800

// What one browser's scan came to.
struct BrowserScan {
  int count;    // untrusted grants found in its Preferences file
  bool blocked; // those grants are now blocked in the file (false when only counted)
};

enum CleanerIcon { CLEANER_ICON_INFORMATION = 0, CLEANER_ICON_WARNING = 1 };

struct CleanerMessage {
  wchar_t text[CLEANER_MESSAGE_CAPACITY];
  const wchar_t* caption;
  CleanerIcon icon;
};

// Nothing found, all blocked, or "please close ..." for the browsers whose grants were found
// but are not blocked yet. A browser with no grants is never asked to close.
void compose_cleaner_message(BrowserScan chrome, BrowserScan edge, CleanerMessage* out);
