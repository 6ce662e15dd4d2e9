#pragma once
// Every text the remote-tool protection shows, in one place.
#include "app/vendor.h"

#define BLOCKER_ALERT_CAPTION L"Olvex Callwarden \u2014 Remote Scam Blocked"
#define BLOCKER_ALERT_BEFORE_NAME L"STOP - Olvex Callwarden Blocked a Remote Control App! ("
#define BLOCKER_ALERT_AFTER_NAME                                                                   \
  L")\r\n\r\nIf someone on the phone from 'BT', 'Microsoft', 'Amazon', 'HMRC' or your 'Bank' "     \
  L"asked you to open this, HANG UP NOW.\r\n\r\nGenuine organisations will NEVER ask to "          \
  L"remote-control your PC.\r\n"
// Last line: someone to talk to in person, with no line break after it.
#define BLOCKER_ALERT_HELP_LINE L"Need help? Call the Callwarden helpline free on 0808 157 0456."

#define PAUSE_CONFIRM_TEXT                                                                         \
  L"Are you sure you want to pause Live Remote-Scam Protection?\r\n\r\nNEVER pause protection if " \
  L"someone on the phone asked you to!"
#define PAUSE_CONFIRM_CAPTION L"Olvex Callwarden"

#define OVERRIDE_CONFIRM_TEXT                                                                      \
  L"Pause the Remote-Scam Blocker for 1 hour?\r\n\r\nWARNING: NEVER pause this if someone who "    \
  L"phoned you from 'BT', 'Microsoft', 'Amazon' or your 'Bank' asked you to!\r\n\r\nClick Yes "    \
  L"ONLY if you are initiating a genuine session yourself."
#define OVERRIDE_CONFIRM_CAPTION L"Olvex Callwarden \u2014 Confirm 1-Hour Override"

#define OVERRIDE_PIN_PROMPT_TEXT                                                                   \
  L"To unlock a 1-hour Family Guardian Override, type your 4-digit Guardian Override PIN into "    \
  L"the text box below and click '1-Hr Override (PIN)' again.\r\n\r\n(Your Family Guardian sets "  \
  L"this 4-digit PIN on our website at " CALLWARDEN_WEB_HOST_W L"/callwarden.)"
#define OVERRIDE_PIN_PROMPT_CAPTION L"Olvex Callwarden \u2014 Enter 4-Digit Guardian PIN"

#define OVERRIDE_PIN_REFUSED_DEFAULT "Invalid 4-digit Override PIN."
#define OVERRIDE_PIN_REFUSED_CAPTION L"Olvex Callwarden Override"
#define OVERRIDE_PIN_ACCEPTED_TEXT                                                                 \
  L"Guardian PIN verified. Remote-tool blocker is paused for 1 hour."
#define OVERRIDE_PIN_ACCEPTED_CAPTION L"Olvex Callwarden"

// The Guardian lock: the family asked for the Guardian PIN before protection is switched off.
#define LOCK_PIN_PAUSE_TEXT                                                                        \
  L"Your family has locked Callwarden: pausing it needs the Guardian PIN.\r\n\r\nType the "        \
  L"4-digit Guardian PIN into the text box below and click 'Pause Blocker' again.\r\n\r\nNEVER "   \
  L"do this for someone on the phone!"
#define LOCK_PIN_EXIT_TEXT                                                                         \
  L"Your family has locked Callwarden: closing it needs the Guardian PIN.\r\n\r\nType the "        \
  L"4-digit "                                                                                      \
  L"Guardian PIN into the text box below and choose 'Exit Callwarden Completely' again.\r\n\r\n"   \
  L"NEVER do this for someone on the phone!"
#define LOCK_UNREACHABLE_TEXT                                                                      \
  L"Callwarden could not reach the Olvex service to check the Guardian PIN, so protection stays "  \
  L"on.\r\n\r\nIf you really need it switched off, please call your family."
#define LOCK_CAPTION L"Olvex Callwarden \u2014 Guardian Lock"
