// Lottery, sweepstake and prize claims for draws you never entered, which
// want a fee, your details or a call before they pay.
#include "judge/family_rules.h"

namespace {

enum { kWin, kUnentered, kClaim, kFee, kDetails, kContact, kDeadline };

// A win, a prize or a draw: what the family's reason says the message claims. Being
// "selected" for an "award" is how a benefit letter speaks too, so those only tell how
// you were picked.
const char* const kWins[] = {"you have won",
                             "you've won",
                             "has won",
                             "winner",
                             "winners",
                             "winning",
                             "winnings",
                             "prize",
                             "jackpot",
                             "lottery",
                             "sweepstake",
                             "sweepstakes",
                             "prize draw",
                             "you won",
                             "draw",
                             "cash award",
                             "free holiday",
                             "chosen to receive",
                             "selected to receive",
                             nullptr};
const char* const kUnenteredCues[] = {"email address",
                                      "email id",
                                      "your mobile number",
                                      "your profile",
                                      "your postcode",
                                      "shopper number",
                                      "computer ballot",
                                      "randomly chosen",
                                      "picked at random",
                                      "random",
                                      "online draw",
                                      "international",
                                      "foreign winners",
                                      "promotion",
                                      "selected from",
                                      "drawn from",
                                      "lucky",
                                      "customer survey",
                                      "loyalty draw",
                                      "loyalty reward",
                                      "valued customers",
                                      "spin to win",
                                      "your name was drawn",
                                      "your number was",
                                      "have been selected",
                                      "been chosen",
                                      "award",
                                      "lucky number",
                                      nullptr};
const char* const kClaims[] = {"to claim",
                               "claim your",
                               "claims agent",
                               "claims manager",
                               "claims officer",
                               "claims department",
                               "for claims",
                               "claim before",
                               "to receive your",
                               "to release",
                               "release your",
                               "to process your",
                               "file your claim",
                               "begin the claim",
                               "begin processing",
                               "arrange delivery",
                               "arrange payment",
                               "claim it",
                               "unclaimed",
                               "to confirm your booking",
                               "winners' line",
                               "prize line",
                               nullptr};
const char* const kFees[] = {"fee",
                             "admin charge",
                             "processing and insurance",
                             "tax due",
                             "postage",
                             "shipping",
                             "insurance",
                             "handling",
                             "pay the",
                             "pay a",
                             "gift card",
                             "gift cards",
                             "bank card ready",
                             "transfer charges",
                             nullptr};
const char* const kDetailCues[] = {"bank details",         "card details", "bank account details",
                                   "account number",       "full name",    "date of birth",
                                   "your address",         "passport",     "copy of your id",
                                   "occupation",           "age",          "confirm your identity",
                                   "confirm your details", "bank name",    nullptr};
const char* const kContacts[] = {"call",         "text your",          "reply yes",
                                 "quoting",      "reference number",   "ticket number",
                                 "winning code", "<phone number>",     "contact our",
                                 "message our",  "contact the claims", nullptr};
const char* const kDeadlines[] = {
    "confidential", "before friday", "before sunday", "within 24 hours",   "within 14 days",
    "expires",      "returned",      "runner-up",     "before it expires", nullptr};

const CueGroup kGroups[] = {
    {15, kWins, true},       {15, kUnenteredCues, true}, {10, kClaims, true},    {25, kFees, true},
    {20, kDetailCues, true}, {10, kContacts, true},      {10, kDeadlines, true},
};

} // namespace

extern const FamilyRule kLotteryFamily = {
    "lottery_prize",
    kGroups,
    sizeof(kGroups) / sizeof(kGroups[0]),
    1u << kWin,
    (1u << kFee) | (1u << kDetails) | (1u << kContact),
    2,
    85,
    false,
    "It says you have won a lottery, draw or prize you never entered and wants a fee, your "
    "details or a call to release it: a prize scam.",
    "You cannot win a draw you never entered, and a real prize never costs a fee. Do not pay, "
    "call or send details.",
    0,
    false};
