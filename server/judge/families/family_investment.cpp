// Investment and crypto-doubling offers with guaranteed returns, and
// "recovery" offers to people who have already lost money.
#include "judge/family_rules.h"

namespace {

enum { kReturns, kVehicle, kPressure, kPay, kWithdraw, kSecret };

const char* const kReturnCues[] = {
    "guaranteed",         "guarantees",     "double your",     "back double",   "twice the amount",
    "1 eth back",         "btc back",       "returns of",      "profits",       "profit",
    "capital guaranteed", "capital fully",  "fully protected", "risk-free",     "no risk",
    "turns \xC2\xA3",     "turn \xC2\xA3",  "high-yield",      "high yield",    "expected returns",
    "monthly returns",    "weekly returns", "every day",       "will be worth", "never loses value",
    "made members",       "made \xC2\xA3",  "making \xC2\xA3", "get rich",      "return \xC2\xA3",
    "double your money",  "paying 12%",     "returns",         nullptr};
const char* const kVehicles[] = {"bitcoin",
                                 "btc",
                                 "eth",
                                 "crypto",
                                 "cryptocurrency",
                                 "trading platform",
                                 "trading bot",
                                 "trading robot",
                                 "robot",
                                 "bot",
                                 "forex",
                                 "gold",
                                 "wine",
                                 "carbon credits",
                                 "bond",
                                 "pre-ipo",
                                 "shares",
                                 "token",
                                 "mining",
                                 "investment",
                                 "invest",
                                 "investor",
                                 "investors",
                                 "portfolio",
                                 "property in",
                                 "trader",
                                 "traders",
                                 "trading account",
                                 "signals",
                                 nullptr};
const char* const kPressures[] = {"limited",         "only for",     "selected",      "exclusive",
                                  "private clients", "select group", "first come",    "closes",
                                  "decide today",    "goes public",  "places left",   "only a few",
                                  "hurry",           "tonight",      "ends today",    "first 1,000",
                                  "first 500",       "this week",    "before friday", nullptr};
const char* const kPays[] = {"deposit",
                             "transfer a minimum",
                             "minimum investment",
                             "buy now",
                             "start with",
                             "invest \xC2\xA3",
                             "send any amount",
                             "send between",
                             "send 0.",
                             "send me \xC2\xA3",
                             "transfer your savings",
                             "withdrawal tax",
                             "upgrade to",
                             "account manager",
                             "deposit \xC2\xA3",
                             "join our vip",
                             "register now",
                             "our wallet",
                             "address below",
                             "buy carbon",
                             "reserve your",
                             nullptr};
const char* const kWithdrawals[] = {"withdraw your profits", "withdraw any time",
                                    "withdraw whenever",     "withdraw at any time",
                                    "balance grows",         "profits every day",
                                    "paid monthly",          "proof of payouts",
                                    "withdraw your profit",  nullptr};
const char* const kSecrets[] = {"do not discuss", "don't tell your bank", "don't want you",
                                "secret investment", nullptr};

const CueGroup kInvestmentGroups[] = {
    {25, kReturnCues, true}, {15, kVehicles, true},    {10, kPressures, true},
    {15, kPays, true},       {10, kWithdrawals, true}, {15, kSecrets, false},
};

enum { kRecovery, kLost, kFee, kAuthority };

const char* const kRecoveries[] = {"recover your",
                                   "recover lost",
                                   "recover the money",
                                   "recover millions",
                                   "recovers lost",
                                   "recovery specialists",
                                   "recovery experts",
                                   "recovery unit",
                                   "recovery services",
                                   "recovery bureau",
                                   "asset recovery",
                                   "fund recovery",
                                   "recovered millions",
                                   "have recovered",
                                   "has been located",
                                   "been recovered",
                                   "traced your funds",
                                   "trace the crypto",
                                   "get your money back",
                                   "return your money",
                                   "can recover",
                                   "been traced",
                                   nullptr};
const char* const kLosses[] = {
    "lost money",        "lost to",         "you lost",          "been scammed", "victims",
    "scam victims",      "fake investment", "failed investment", "collapsed",    "your complaint",
    "you invested with", "investment scam", "crypto fraud",      nullptr};
const char* const kFees[] = {"fee",         "legal fee",          "search fee", "release fee",
                             "release tax", "administration fee", "upfront",    "up front",
                             "must pay",    "secures your claim", nullptr};
const char* const kAuthorities[] = {
    "law firm", "financial conduct authority", "fca", "lawyers", "legal", "hackers", nullptr};

const CueGroup kRecoveryGroups[] = {
    {30, kRecoveries, true},
    {20, kLosses, true},
    {30, kFees, true},
    {10, kAuthorities, true},
};

} // namespace

extern const FamilyRule kInvestmentFamily = {
    "investment_returns",
    kInvestmentGroups,
    sizeof(kInvestmentGroups) / sizeof(kInvestmentGroups[0]),
    1u << kReturns,
    0,
    2,
    85,
    false,
    "It promises guaranteed, fast or doubled returns on crypto or another investment: the mark of "
    "an investment scam.",
    "No genuine investment guarantees high returns or doubles your money. Check the firm on the "
    "FCA register before you pay anything.",
    0,
    false};

extern const FamilyRule kRecoveryFamily = {
    "recovery_offer",
    kRecoveryGroups,
    sizeof(kRecoveryGroups) / sizeof(kRecoveryGroups[0]),
    1u << kRecovery,
    0,
    2,
    85,
    true,
    "It offers to get back money you lost to a scam, for a fee first: a \"recovery\" scam aimed at "
    "people who have already been cheated.",
    "No one can charge you up front to recover lost money. Report the first loss to your bank and "
    "Action Fraud instead.",
    0,
    false};
