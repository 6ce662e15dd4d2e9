// Placeholder until the message checker lands.
#include "checker/checker.h"

void check_clipboard(HWND) {}
void start_message_check(void) {}
void on_check_scam_result(const ServiceResult*) {}
