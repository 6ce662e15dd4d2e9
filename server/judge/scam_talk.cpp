#include "judge/scam_talk.h"

namespace {

const char* const kNaming[] = {"scam",
                               "scams",
                               "scammer",
                               "scammers",
                               "fraudster",
                               "fraudsters",
                               "con artists",
                               "conmen",
                               "advance-fee fraud",
                               "advance-fee frauds",
                               "romance fraud",
                               "courier fraud",
                               "money muling",
                               "phishing",
                               "fake listings",
                               "fake profiles",
                               "fake competitions",
                               "fake emails",
                               "fake job adverts",
                               "claiming to be",
                               "pretending to be",
                               "pretend to be",
                               "posing as",
                               "impersonating",
                               "fake",
                               "sextortion",
                               "money mule",
                               "money mules",
                               "warning signs",
                               nullptr};

const char* const kTalk[] = {
    // Reporting it.
    "was jailed", "were jailed", "jailed", "sentenced", "pleaded guilty", "court heard",
    "told the court", "the judge", "crown court", "trading standards", "spokesperson",
    "police said", "police say", "is warning", "are warning", "warned", "warns", "have warned",
    "victim", "victims", "reports of", "lost more than", "lost an average", "defendant",
    "the trial",
    // Advising against it.
    "action fraud", "7726", "call 159", "on 159", "report it", "how to spot", "out of the blue",
    "is a crime", "it's a crime", "be careful", "be very careful", "we will never", "we'll never",
    "we never ask", "never send money", "never pay", "do not pay", "don't pay", "do not reply",
    "don't reply", "delete it", "hang up", "beware", "be wary", "stay safe", "if in doubt",
    "if you're unsure", "fca register", "pension wise", "too good to be true, it probably is",
    "you were right to check", nullptr};

} // namespace

const char* const* scam_naming_phrases() { return kNaming; }
const char* const* scam_talk_phrases() { return kTalk; }
