// Police, court or HMRC impersonation that threatens arrest unless you pay
// now, and courier fraud, where a "police officer" or "bank" sends someone
// to collect your card, PIN or cash.
#include "judge/family_rules.h"

namespace {

enum { kAuthority, kThreat, kPayNow, kCharge };

const char* const kAuthorities[] = {"police",      "detective",   "sergeant",     "constable",
                                    "officer",     "fraud squad", "crime agency", "hmrc",
                                    "court",       "magistrates", "bailiff",      "bailiffs",
                                    "enforcement", "home office", "council tax",  nullptr};
const char* const kThreats[] = {"arrest",
                                "arrested",
                                "warrant",
                                "prosecution",
                                "deportation",
                                "seize",
                                "goods being removed",
                                "attend your home",
                                "attend your address",
                                "sent to your house",
                                "arrive at your address",
                                "legal action",
                                "lawsuit",
                                "criminal case",
                                "taken to court",
                                "has been filed",
                                "been suspended",
                                "judgment",
                                "in arrears",
                                "will arrive",
                                nullptr};
const char* const kPayNows[] = {
    "pay today",      "today",           "immediately", "call",     "press 1",   "settle",
    "pay \xC2\xA3",   "is paid today",   "itunes",      "vouchers", "gift card", "the codes",
    "<phone number>", "pay the balance", "pay by",      nullptr};
const char* const kCharges[] = {
    "tax evasion",   "tax fraud",   "you owe", "unpaid", "error in your", "money laundering",
    "failed to pay", "unpaid debt", "penalty", "fine",   "owed",          nullptr};

const CueGroup kThreatGroups[] = {
    {15, kAuthorities, true},
    {30, kThreats, true},
    {20, kPayNows, true},
    {10, kCharges, true},
};

enum { kCourier, kCardOrCash, kStory, kSecrecy };

const char* const kCouriers[] = {
    "courier",           "officer will come",  "call round",   "send an officer",
    "collect your card", "collect it",         "to collect",   "hand it to",
    "give it to",        "come to your house", "to your door", "from your door",
    "from your home",    "for safekeeping",    "collect your", nullptr};
const char* const kCardsAndCash[] = {"your card", "bank card", "pin",     "withdraw", "in cash",
                                     "cash",      "buy gold",  "savings", "envelope", nullptr};
const char* const kStories[] = {
    "cloned",           "compromised", "corrupt",  "investigation",    "evidence",    "catch them",
    "cashier",          "gang",        "arrested", "police",           "fraud squad", "fraud team",
    "fraud department", "fraud unit",  "stealing", "money laundering", nullptr};
const char* const kSecrecies[] = {
    "do not tell", "don't tell",   "tell nobody",          "keep this confidential",
    "tell no one", "nobody about", "do not tell the bank", nullptr};

const CueGroup kCourierGroups[] = {
    {30, kCouriers, true},
    {20, kCardsAndCash, true},
    {15, kStories, true},
    {15, kSecrecies, false},
};

} // namespace

extern const FamilyRule kArrestThreatFamily = {
    "arrest_threat",
    kThreatGroups,
    sizeof(kThreatGroups) / sizeof(kThreatGroups[0]),
    (1u << kAuthority) | (1u << kThreat),
    1u << kPayNow,
    3,
    85,
    false,
    "It claims to be the police, a court or another authority and threatens arrest, court or "
    "bailiffs unless you act at once: an impersonation scam.",
    "The police, courts and HMRC never demand payment by phone or text under threat of arrest. "
    "Hang up and check with them on a number you find yourself.",
    0,
    false};

extern const FamilyRule kCourierFamily = {
    "courier_fraud",
    kCourierGroups,
    sizeof(kCourierGroups) / sizeof(kCourierGroups[0]),
    (1u << kCourier) | (1u << kCardOrCash),
    0,
    2,
    85,
    false,
    "It wants your card, PIN or cash handed to a courier or \"officer\" at your door: courier "
    "fraud. The police and banks never collect cards or cash.",
    "Do not hand anything over. Hang up, wait five minutes (or use another phone) and call 159 or "
    "the police on 101.",
    0,
    false};
