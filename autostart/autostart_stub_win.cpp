// Placeholder until start-with-Windows lands.
#include "autostart/autostart.h"

void sync_startup_checkbox(void) {}
void toggle_start_with_windows(HWND) {}
