#pragma once
// What a text (SMS) says: the codes and the alerts, each within one text of 160 GSM-7
// characters where it can be. Only names are shortened to fit, never the advice.
#include <cstdint>
#include <string>

#include "alerts/alert_text.h"

const size_t kOneTextSeptets = 160;

// The text with every character the GSM 7-bit alphabet lacks replaced: accents it does not
// have dropped ("ë" -> "e"), typographic quotes and dashes made plain, anything else "?".
// Still UTF-8; the gateway converts it.
std::string gsm7_fold(const std::string& utf8);

// Septets a folded text takes: 1 a character, 2 for those of the extension table ("€", "[").
size_t gsm7_length(const std::string& folded);

// "123456 is your Olvex sign-in code. It expires in 10 minutes. Olvex will never phone you to
// ask for it.", and the same for the other purposes (kCodeForPinChange, kCodeForContact,
// kCodeForUnlink, which names the computer `about`).
std::string code_text(const std::string& code, const std::string& purpose, int64_t lifetime,
                      const std::string& about = std::string());

// The alert's text (alert_text.h) folded, with the computer's, the person's and the tool's
// names cut shorter until it fits in one text.
std::string sms_alert_text(const AlertFacts& facts);
