#pragma once
// Answers the program's message boxes as fast as they come, on a thread of its own, the
// way a user clicks away failures all day. Counts what it answered, by caption.
#include <windows.h>

#include <cstdint>

struct BoxTally {
  int64_t alerts;       // "Olvex Callwarden — Remote Scam Blocked"
  int64_t sign_in;      // "Olvex Callwarden Sign-In"
  int64_t override_pin; // "Olvex Callwarden Override"
  int64_t other;
  int64_t most_open; // the most boxes seen open at once (they nest)
};

void start_box_dismisser(DWORD pid);
void stop_box_dismisser(void);
// While paused the boxes stay open (the exit confirmation must get Yes, not No).
void pause_box_dismisser(bool paused);
void box_tally(BoxTally* out);
// Boxes of the process open right now, and when the last one was seen (GetTickCount64).
int open_boxes(void);
ULONGLONG last_box_seen_at(void);

// Message boxes ("#32770") of `pid`, top of the Z order first, at most `capacity`.
int find_boxes(DWORD pid, HWND* out, int capacity);
// Presses the button with this id; false when the box has none.
bool press_button(HWND box, int id);
