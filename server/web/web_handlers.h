#pragma once
// The handlers the web route table names (web_routes.cpp), one per route.
#include "web/web_call.h"

WebAnswer get_pricing(WebCall* call);
WebAnswer get_stylesheet(WebCall* call);
WebAnswer get_family(WebCall* call);
WebAnswer post_send_code(WebCall* call);
WebAnswer post_sign_in(WebCall* call);
WebAnswer post_sign_out(WebCall* call);
WebAnswer post_pin_code(WebCall* call);
WebAnswer post_pin(WebCall* call);
WebAnswer post_contact_add(WebCall* call);
WebAnswer post_contact_confirm(WebCall* call);
WebAnswer post_contact_remove(WebCall* call);
WebAnswer post_computer_name(WebCall* call);
WebAnswer get_unlink(WebCall* call);
WebAnswer post_unlink_code(WebCall* call);
WebAnswer post_computer_unlink(WebCall* call);
WebAnswer post_scam_alerts(WebCall* call);
WebAnswer post_lock_on(WebCall* call);
WebAnswer post_lock_code(WebCall* call);
WebAnswer post_lock_off(WebCall* call);
