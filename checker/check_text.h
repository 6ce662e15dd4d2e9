#pragma once
// What the checker card says: the verdict, the status line and the detail, decided
// without the platform. The Windows side only reads controls and copies these out.
#include <cstddef>

#include "app/verdict_state.h"
#include "service/service_types.h"

#define CHECK_STATUS_CAPACITY 160  // as AppState::status_text
#define CHECK_DETAIL_CAPACITY 1400 // as AppState::detail_text
#define CHECK_DETAIL_MAX_UNITS 1398
#define CHECK_COMPOSED_CAPACITY 2600
#define CHECK_MESSAGE_READ_LIMIT 6100 // units offered to GetWindowTextW
#define CHECK_MESSAGE_UTF8_CAPACITY 6400

#define CHECK_STATUS_CHECKING L"Checking with Olvex Callwarden AI..."
#define CHECK_DETAIL_CHECKING                                                                      \
  L"Inspecting links, UK sender domains, and scam language \u2014 one moment please..."
#define CHECK_STATUS_NOTICE L"Notice"
#define CHECK_DETAIL_FAILED "Unable to check message right now."
#define CHECK_EMPTY_MESSAGE                                                                        \
  L"Please paste or type a suspicious text message, email, or web link into the box first (or "    \
  L"click 'Paste Clipboard & Check')."
#define CHECK_CLIPBOARD_LOCKED L"Could not access the Windows Clipboard right now."
#define CHECK_CLIPBOARD_NO_TEXT                                                                    \
  L"Your clipboard does not currently contain text. Copy a suspicious message or web link "        \
  L"first, then click again."
#define CHECK_NOT_STARTED L"The check could not be started. Please try again in a moment."
#define CHECK_BOX_CAPTION L"Olvex Callwarden"

// Exact, case-sensitive: "SCAM" and "CAUTION"; every other verdict (empty too) is safe.
VerdictState verdict_state_for(const char* verdict);

// The status line of an answered check: the format of `state` with the score as "%d".
void format_check_status(VerdictState state, int risk_score, wchar_t* out, size_t capacity);

// headline, then the reason lines after a line break, then "Advice: " and the advice
// after another; the breaks only where the part after them is present.
void compose_check_detail(const char* headline, const char* reasons, const char* advice, char* out,
                          size_t capacity);

// The message from its first byte that is not HT, LF, CR or SP.
const char* skip_leading_blanks(const char* text);

// The card after an answer. `detail` is UTF-8, still to be fitted onto the screen.
struct CheckCard {
  VerdictState state;
  wchar_t status[CHECK_STATUS_CAPACITY];
  char detail[CHECK_COMPOSED_CAPACITY];
};

void decide_check_card(const ServiceResult* result, CheckCard* card);

// The clipboard's text when the CF_UNICODETEXT block of `units` units holds its NUL;
// null when it does not, since another program filled the block.
const wchar_t* terminated_clipboard_text(const wchar_t* block, size_t units);
