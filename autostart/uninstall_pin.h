#pragma once
// The Guardian lock at `--uninstall`: the family asked that removing Callwarden needs the PIN.
#include <cstddef>

// The lock the service last gave this linked computer.
bool uninstall_is_locked(void);
// Asks for the Guardian PIN and checks it with the service: true only when it accepted it, with
// the PIN in `accepted` (at least 8 bytes), for the running program to check again. A cancelled
// box, a wrong PIN or no service leaves Callwarden installed.
bool uninstall_pin_accepted(char* accepted, size_t capacity);

#define UNINSTALL_PIN_CAPTION L"Olvex Callwarden \u2014 Guardian Lock"
#define UNINSTALL_PIN_TEXT                                                                         \
  L"Your family has locked Callwarden: removing it needs the Guardian PIN.\r\n\r\nType the "       \
  L"4-digit Guardian PIN. NEVER do this for someone on the phone!"
