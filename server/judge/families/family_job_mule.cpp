// Fake jobs and money mules: "receive payments into your account and
// forward them", cheques to pass on, fees to start, task apps on WhatsApp.
#include "judge/family_rules.h"

namespace {

enum { kJob, kMule, kUpfront, kChat, kEasy };

const char* const kJobs[] = {"job",
                             "position",
                             "role",
                             "recruiter",
                             "recruitment",
                             "hiring",
                             "hired",
                             "vacancy",
                             "assignment",
                             "mystery shopper",
                             "agent",
                             "assistant",
                             "coordinator",
                             "clerk",
                             "wanted",
                             "work from home",
                             "work-from-home",
                             "part-time",
                             "part time",
                             "online job",
                             "salary",
                             "commission",
                             "candidate",
                             "applicant",
                             "shortlisted",
                             "product testers",
                             "data entry",
                             "representative",
                             "employer",
                             "earn",
                             "your pay",
                             "your fee",
                             nullptr};
const char* const kMules[] = {"receive payments",
                              "receive money",
                              "receive a transfer",
                              "into your account",
                              "into your bank account",
                              "into your own bank",
                              "into your personal account",
                              "into your bank",
                              "use your bank account",
                              "use their bank account",
                              "use my bank account",
                              "let us use your",
                              "forward them",
                              "forward the money",
                              "send it on",
                              "send the rest",
                              "pass it on",
                              "withdraw it",
                              "withdraw the money",
                              "payment processing",
                              "payment coordinator",
                              "transfer agent",
                              "local representative",
                              "client payments",
                              "handling some payments",
                              "money transfer services",
                              "reship",
                              "reshipping",
                              "repack",
                              "receive parcels",
                              "receive packages",
                              "send them on",
                              "forward them to",
                              "send you a cheque",
                              "cheque for",
                              "deposit it",
                              "pay it into your bank",
                              "use my company",
                              "company use their bank",
                              nullptr};
const char* const kUpfronts[] = {"registration fee",
                                 "starter kit",
                                 "training materials",
                                 "software licence",
                                 "training",
                                 "work permit",
                                 "top up",
                                 "buy your equipment",
                                 "approved vendor",
                                 "must pay",
                                 "refundable",
                                 "be refunded",
                                 "pay \xC2\xA3",
                                 "buy gift cards",
                                 "gift cards",
                                 "with your first",
                                 "fee",
                                 nullptr};
const char* const kChats[] = {"whatsapp",   "telegram", "instagram", "dm me",
                              "message me", "add me",   nullptr};
const char* const kEasies[] = {
    "no experience", "no work needed", "doing nothing", "zero effort",
    "easy money",    "quick cash",     "simple tasks",  "a few hours",
    "like videos",   "liking videos",  "rate products", "rating products",
    "5-star review", "orders a day",   "paid daily",    "earn up to",
    "no interview",  "flexible hours", "a day, paid",   "per day",
    "a day",         nullptr};

const CueGroup kGroups[] = {
    {10, kJobs, true},  {35, kMules, true},  {25, kUpfronts, true},
    {15, kChats, true}, {15, kEasies, true},
};

} // namespace

extern const FamilyRule kJobMuleFamily = {
    "job_mule", kGroups, sizeof(kGroups) / sizeof(kGroups[0]), 0,
    (1u << kMule) | (1u << kUpfront) | (1u << kChat), 2, 85, false,
    "It offers easy pay for a job that means passing money through your account, paying to start "
    "or signing up on a chat app: a fake job or money-mule scam.",
    "Never let anyone move money through your account: it is a crime, even if you keep none of "
    "it. Genuine employers never ask you to pay to start.",
    // A job, money to pass on or a chat app: a fee and a day rate alone are a price list.
    (1u << kJob) | (1u << kMule) | (1u << kChat), false};
