// Romance and "stuck abroad" requests, and sextortion emails: an affection
// or a threat built up so that a stranger's request for money is not checked.
#include "judge/family_rules.h"

namespace {

enum { kAffection, kTrouble, kMoney, kChannel, kTravel };

const char* const kAffections[] = {"my love",
                                   "darling",
                                   "sweetheart",
                                   "baby",
                                   "my dear",
                                   "dearest",
                                   "honey",
                                   "i love you",
                                   "love you so much",
                                   "our love",
                                   "together forever",
                                   "be together",
                                   "hold you",
                                   "my everything",
                                   "my only hope",
                                   "all i have",
                                   "only one i can trust",
                                   "only person i trust",
                                   "only one i can turn to",
                                   "only person i can trust",
                                   "my sweet",
                                   "handsome",
                                   "dating site",
                                   "we met on",
                                   "your profile",
                                   "never met in person",
                                   "known you forever",
                                   "never felt like this",
                                   "never felt this way",
                                   "brought us together",
                                   "my only",
                                   "you met on",
                                   "met on facebook",
                                   nullptr};
const char* const kTroubles[] = {"stuck",          "stranded",
                                 "mugged",         "robbed",
                                 "stolen",         "lost my passport",
                                 "lost my wallet", "airport",
                                 "customs",        "hospital",
                                 "surgery",        "operation",
                                 "medicine",       "visa",
                                 "flight",         "ticket",
                                 "hotel bill",     "my bill",
                                 "embassy",        "oil rig",
                                 "army",           "deployed",
                                 "soldier",        "contract",
                                 "frozen",         "access my bank",
                                 "cannot touch",   "cards do not work",
                                 "accident",       "leave application",
                                 "sick",           "conference",
                                 "mission",        nullptr};
const char* const kMoneys[] = {
    "send the money",    "send it to",       "send me money",  "loan me",
    "lend me",           "could you loan",   "can you send",   "please send",
    "please help me",    "help me with",     "need \xC2\xA3",  "need $",
    "pay you back",      "return it",        "repay you",      "refund you",
    "send it back",      "western union",    "moneygram",      "gift cards",
    "gift card",         "bank transfer",    "my agent",       "manager's account",
    "lawyer's account",  "friend's account", "nurse's name",   "buy some",
    "send me the codes", "the codes",        "wants \xC2\xA3", "costs \xC2\xA3",
    "costs $",           "please pay",       "needs \xC2\xA3", nullptr};
const char* const kChannels[] = {"don't tell",          "do not tell",       "do not call",
                                 "can't take calls",    "cannot take calls", "this email only",
                                 "only use this email", "can't talk",        "cannot talk",
                                 "phone was stolen",    "phone were stolen", "stolen too",
                                 "not understand",      "won't understand",  nullptr};
const char* const kTravels[] = {
    "abroad",           "overseas",      "travelling",     "fly to you", "come to you",
    "come and see you", "come home",     "come and visit", "to the uk",  "in england",
    "when i land",      "when i'm home", "back home",      nullptr};

const CueGroup kRomanceGroups[] = {
    {20, kAffections, true}, {15, kTroubles, true}, {25, kMoneys, true},
    {15, kChannels, false},  {10, kTravels, true},
};

enum { kRecorded, kPay, kExpose, kDeadline };

const char* const kRecordings[] = {"recorded you",
                                   "i recorded",
                                   "recording of you",
                                   "video of you",
                                   "your video",
                                   "have video",
                                   "webcam",
                                   "your camera",
                                   "pictures you sent",
                                   "pictures from your",
                                   "intimate",
                                   "adult site",
                                   "adult sites",
                                   "adult websites",
                                   "adult website",
                                   "watching videos",
                                   "hacked your",
                                   "access to your device",
                                   "access to your operating system",
                                   "i am a hacker",
                                   "know your password",
                                   "malware",
                                   "browsing history",
                                   "your gallery",
                                   "the recording",
                                   "a hacker",
                                   nullptr};
const char* const kPays[] = {
    "bitcoin",   "btc",          "wallet",        "crypto",     "gift cards",
    "gift card", "pay \xC2\xA3", "send \xC2\xA3", "transfer $", "transfer the amount",
    "pay $",     "send $",       "pay",           nullptr};
const char* const kExposures[] = {
    "send the video",  "send this video",    "share it with", "your contacts", "contact list",
    "your family",     "friends and family", "colleagues",    "employer",      "publish",
    "goes public",     "see everything",     "post them",     "your wife",     "your husband",
    "social networks", "facebook friends",   "workmates",     nullptr};
const char* const kDeadlines[] = {
    "48 hours",     "24 hours",    "72 hours",           "2 days",
    "timer",        "the police",  "not negotiable",     "i will know",
    "we will know", "ignore this", "hear from me again", nullptr};

const CueGroup kSextortionGroups[] = {
    {30, kRecordings, true},
    {25, kPays, true},
    {20, kExposures, true},
    {15, kDeadlines, false},
};

} // namespace

extern const FamilyRule kRomanceFamily = {
    "romance_money",
    kRomanceGroups,
    sizeof(kRomanceGroups) / sizeof(kRomanceGroups[0]),
    1u << kMoney,
    (1u << kAffection) | (1u << kTrouble),
    3,
    85,
    false,
    "Someone you know only by message, a sweetheart or a friend \"stuck abroad\", asks you for "
    "money for an emergency: a romance or stranded-traveller scam.",
    "Never send money to someone you have not met in person, or to a friend you cannot reach on "
    "a number you know. Talk to family first.",
    0,
    false};

extern const FamilyRule kSextortionFamily = {
    "sextortion",
    kSextortionGroups,
    sizeof(kSextortionGroups) / sizeof(kSextortionGroups[0]),
    1u << kRecorded,
    (1u << kPay) | (1u << kExpose),
    2,
    90,
    false,
    "It claims to have recorded you or hacked your device and demands payment to keep it quiet: "
    "a sextortion threat.",
    "Do not pay or reply: these threats are almost always bluffs sent to thousands. Change any "
    "password it mentions and report it to Action Fraud.",
    0,
    false};
