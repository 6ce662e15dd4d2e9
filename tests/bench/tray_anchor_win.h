#pragma once
// A placeholder notification icon held by the start-up benchmark for its whole run.
//
// Wine without a desktop shows the notification area as a window of its own and hides it
// when its last icon goes. With no window manager to confirm the hiding (Xvfb), the
// desktop's thread, which keeps the area, then waits about two seconds, and a program
// starting meanwhile stalls behind it. Ending each timed copy takes its icon away, so
// without a placeholder every other start would carry that wait. A real desktop's
// notification area is never empty; the placeholder makes this one the same.

// Adds the placeholder; false when the notification area refused it.
bool tray_anchor_add(void);
void tray_anchor_remove(void);

// Icons in Wine's notification area window now, or -1 when there is no such window.
int tray_icon_count(void);
// Waits (up to `limit_ms`) until the area holds at most `count` icons and the desktop's
// thread has finished what it was doing, so the next start does not queue behind the
// clean-up of an ended copy's icon.
void wait_for_tray(int count, unsigned limit_ms);
