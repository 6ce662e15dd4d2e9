// Placeholder until the pop-up cleaner lands.
#include "popup_cleaner/popup_cleaner.h"

void clean_browser_popups(HWND) {}
