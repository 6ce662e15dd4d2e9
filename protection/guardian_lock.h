#pragma once
// The Guardian lock on the program's side: while the service says the family locked this
// computer, Pause and Exit act only after the service accepts the Guardian PIN typed into the
// message box, as the one-hour override does.
#include <windows.h>

#include "service/service_types.h"

enum GuardianPurpose {
  GUARDIAN_NONE = 0,
  GUARDIAN_PAUSE = 1,
  GUARDIAN_CLOSE = 2,
  GUARDIAN_REMOVE = 3
};

// The service said this linked computer is locked (kept from its last answer).
bool guardian_lock_on(void);
// True when the message box holds a 4-digit PIN; otherwise asks for one and puts the focus there.
bool guardian_pin_ready(HWND hwnd, GuardianPurpose purpose);
// Sends the typed PIN to be checked for `purpose` and empties the box; the answer decides.
void verify_guardian_pin(GuardianPurpose purpose);
// Sends a PIN that came from elsewhere (another copy's removal) to be checked for `purpose`.
void verify_guardian_pin_text(const char* pin, GuardianPurpose purpose);
// A wrong PIN, or no service to check it, leaves everything as it was.
void on_guardian_lock_result(const ServiceResult* result);

// What the lock opens, once the PIN is accepted (and at once without a lock).
void pause_blocker_now(void);
void exit_program_now(HWND hwnd);
// The removal another copy asked for: the family hears of it first, unless that copy told them.
void end_for_removal(HWND hwnd, bool removal_reported);
