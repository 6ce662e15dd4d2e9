// Placeholder until account linking lands.
#include "account/account.h"

void on_pin_button(HWND) {}
void open_pricing_page(HWND) {}
void on_app_status_result(const ServiceResult*) {}
void on_send_pin_result(const ServiceResult*) {}
void on_verify_pin_result(const ServiceResult*) {}
