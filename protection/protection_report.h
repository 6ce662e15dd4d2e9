#pragma once
// Telling the family what happens to protection on a linked computer (one with a stored
// sign-in token): each report goes on a worker thread of its own; one that cannot be sent is
// kept under the program's registry key and sent once the service links the computer again.
// An unlinked computer sends and keeps nothing.
#include <windows.h>

// Sends `state` (protection_reports.h) as of now, never holding up the window.
void report_protection(const char* state);
// Sends `state` and waits at most `wait_ms` for the answer: Exit and the uninstall end the
// process next. False when it was kept for later instead.
bool report_protection_and_wait(const char* state, DWORD wait_ms);
// After an AppStatus answer that links the computer: the kept reports go out.
void send_kept_reports(void);
// The service does not know the token: kept reports would be refused.
void forget_kept_reports(void);

// At start: keeps an ended_unexpectedly report when the last run ended without being closed,
// then marks this run as going on.
void note_run_started(void);
// A shutdown called off: the run goes on, and an end from now on is noticed again.
void note_run_going_on(void);
// Exit, the uninstall's close and a Windows shutdown or sign-out: the run ended cleanly, with
// the blocker `paused` or not.
void note_clean_end(int paused);

// The Guardian lock as the service last said (kept, so a start without network still holds it).
int read_guardian_lock(void);
void save_guardian_lock(int on);

#define REPORT_WAIT_ON_EXIT_MS 2000
