// Placeholder until the remote-tool protection subsystem lands.
#include "protection/protection.h"

void blocker_tick(void) {}
void toggle_blocker(HWND) {}
void request_override(HWND) {}
void on_override_pin_result(const ServiceResult*) {}
