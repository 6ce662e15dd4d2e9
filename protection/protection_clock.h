#pragma once
// The one clock of the blocker and the override: GetTickCount64 milliseconds.
#include <cstdint>

uint64_t protection_now(void);
