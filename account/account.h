#pragma once
#include <windows.h>

#include "service/service_types.h"

void on_pin_button(HWND hwnd);
void open_pricing_page(HWND hwnd);
void on_app_status_result(const ServiceResult* result);
// The 15-minute AppStatus: handled as the start-up one, unless no answer came.
void on_heartbeat_result(const ServiceResult* result);
void on_send_pin_result(const ServiceResult* result);
void on_verify_pin_result(const ServiceResult* result);
