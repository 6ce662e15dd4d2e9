#pragma once
// What the account line and the sign-in boxes say, and which answers link the device,
// decided without the platform.
#include <cstddef>

#include "service/service_types.h"

#define ACCOUNT_LINE_CAPACITY 256 // as AppState::account_text
#define ACCOUNT_NAME_CAPACITY 160
#define ACCOUNT_PLAN_CAPACITY 180
#define ACCOUNT_MASKED_CAPACITY 128
#define ACCOUNT_FAILURE_CAPACITY 512
#define ACCOUNT_TOKEN_UNITS 320
#define ACCOUNT_IDENTIFIER_CAPACITY 220
#define ACCOUNT_IDENTIFIER_READ_LIMIT 210 // units offered to GetWindowTextW
#define ACCOUNT_IDENTIFIER_UTF8_CAPACITY 240

#define ACCOUNT_NOT_LINKED                                                                         \
  L"Sign in with your Email or UK Mobile (07...) to link Family Guardian alerts:"
#define ACCOUNT_PIN_CUE_BANNER L"Enter 6-digit PIN code..."
#define ACCOUNT_LINKED_CONFIRMATION L"Your computer is now linked to your Olvex Callwarden account!"
#define ACCOUNT_BOX_CAPTION L"Olvex Callwarden"
#define ACCOUNT_SIGN_IN_CAPTION L"Olvex Callwarden Sign-In"
#define ACCOUNT_NOT_STARTED                                                                        \
  L"Could not contact the Olvex Callwarden service right now. Please try again in a moment."

#define ACCOUNT_TOKEN_KEY L"Software\\Olvex\\Callwarden"
#define ACCOUNT_TOKEN_VALUE L"AuthToken"

// AppStatus: linked when the service says both "ok" and "authenticated".
int status_answer_links(const ServiceResult* result);
// AppStatus: the service's own "not linked", a 200 that says "authenticated": false. Only this
// lifts the Guardian lock and drops the kept reports: a 5xx, no answer, or an answer that
// cannot be read says nothing about the link.
int status_answer_unlinks(const ServiceResult* result);
// SendPin: a code went out when "ok" is set and a challenge came back.
int send_pin_answer_sent(const ServiceResult* result);
// VerifyPin: the code was right when "ok" is set and a token came back.
int verify_pin_answer_linked(const ServiceResult* result);

// The service's count when it is higher; the shown count never goes down.
int raised_blocked_count(int current, int reported);

// UTF-8 sources of the linked line, with the defaults of the answer's kind
// (AppStatus: "Linked Account"; VerifyPin: "Callwarden Linked").
const char* customer_name_or_default(const char* customer_name);
const char* plan_label_or_default(const char* plan_label, RequestKind kind);

// The service's error text, or the default of the request's kind.
const char* sign_in_failure_text(const ServiceResult* result);

// The box for a press of the PIN button with nothing typed, by the current step.
const wchar_t* empty_identifier_prompt(int pin_sent);

// "Signed in: <name>  •  <plan>", cut at capacity - 1 units.
void compose_linked_line(const wchar_t* name, const wchar_t* plan, wchar_t* out, size_t capacity);
// "Sent 6-digit code to <target> — enter it below and click Verify:".
void compose_pin_sent_line(const wchar_t* masked_target, wchar_t* out, size_t capacity);
