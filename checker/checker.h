#pragma once
#include <windows.h>

#include "service/service_types.h"

// Button 1007 and tray item 2002: takes the clipboard text and checks it.
void check_clipboard(HWND hwnd);
// Button 1008: sends the message edit's text to the service.
void start_message_check(void);
void on_check_scam_result(const ServiceResult* result);
