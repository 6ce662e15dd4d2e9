// Rental and holiday-let deposits for a place nobody can show you, and
// offers to unlock a pension early.
#include "judge/family_rules.h"

namespace {

enum { kProperty, kAbsent, kDeposit, kTransfer, kPressure };

const char* const kProperties[] = {"flat",     "room",        "house",   "cottage", "villa",
                                   "property", "apartment",   "bedroom", "2 bed",   "rent",
                                   "a month",  "holiday let", "to let",  "rental",  nullptr};
const char* const kAbsences[] = {
    "abroad",      "out of the country", "can't show", "cannot show", "can't meet",
    "cannot meet", "in the usa",         "overseas",   "working in",  "owner is abroad",
    "i'm away",    "not in the country", nullptr};
const char* const kDeposits[] = {"deposit",   "first month", "holding deposit",      "full amount",
                                 "secure it", "to secure",   "confirm your booking", "the keys",
                                 nullptr};
const char* const kTransfers[] = {"bank transfer",
                                  "can't take card",
                                  "cannot take card",
                                  "through the link",
                                  "book through the website",
                                  "post the keys",
                                  "send the keys",
                                  "keys by courier",
                                  "send you the keys",
                                  nullptr};
const char* const kPressures[] = {"lots of interest",
                                  "so much interest",
                                  "people interested",
                                  "several other people",
                                  "be quick",
                                  "as soon as possible",
                                  "today",
                                  "lots of people",
                                  nullptr};

const CueGroup kRentalGroups[] = {
    {10, kProperties, true}, {25, kAbsences, true},  {15, kDeposits, true},
    {25, kTransfers, true},  {10, kPressures, true},
};

enum { kPension, kUnlock, kOffer };

const char* const kPensions[] = {"pension", "pensions", "pension pot", nullptr};
const char* const kUnlocks[] = {"unlock",       "unlocked",   "release",  "access your pension",
                                "before 55",    "age of 55",  "under 55", "whatever your age",
                                "early access", "liberation", "loophole", "cash lump sum",
                                "up to 50%",    nullptr};
const char* const kOffers[] = {"free pension review",
                               "free review",
                               "pension review",
                               "no obligation",
                               "call now",
                               "call our",
                               "reply yes",
                               "call-back",
                               "limited time",
                               "guaranteed",
                               "overseas investment",
                               "call us today",
                               "book your review",
                               nullptr};

const CueGroup kPensionGroups[] = {
    {20, kPensions, true},
    {30, kUnlocks, true},
    {15, kOffers, true},
};

} // namespace

extern const FamilyRule kRentalFamily = {
    "rental_deposit",
    kRentalGroups,
    sizeof(kRentalGroups) / sizeof(kRentalGroups[0]),
    (1u << kProperty) | (1u << kDeposit),
    (1u << kAbsent) | (1u << kTransfer),
    3,
    85,
    false,
    "It asks for a deposit by bank transfer for a home or holiday let that nobody can show you: a "
    "rental scam.",
    "Never pay a deposit before you have viewed the place and checked the landlord or agent. Pay "
    "by card or through the booking site, never by bank transfer.",
    0,
    false};

extern const FamilyRule kPensionFamily = {
    "pension_unlock",
    kPensionGroups,
    sizeof(kPensionGroups) / sizeof(kPensionGroups[0]),
    (1u << kPension) | (1u << kUnlock),
    0,
    2,
    85,
    false,
    "It offers to unlock your pension early or move it for guaranteed returns: a pension scam. "
    "Taking a pension before 55 can cost more than half of it in tax.",
    "Hang up on pension cold calls. Check any firm on the FCA register and get free guidance from "
    "Pension Wise.",
    0,
    false};
