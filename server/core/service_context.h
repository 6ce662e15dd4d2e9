#pragma once
// What every request handler shares: the store, the suffix list, the lists of scam websites,
// the counts for /metrics, where the data folder is and how to wake the alert sender.
#include <atomic>
#include <string>

#include "core/alert_wake.h"
#include "store/check_tally.h"
#include "core/free_checks.h"
#include "judge/public_suffix.h"
#include "core/service_metrics.h"
#include "core/silence_rules.h"
#include "core/threat_lists.h"
#include "store/store_pool.h"

struct ContextOptions {
  std::string data_dir;
  std::string suffix_file;     // empty when no message is judged (the account commands)
  std::string database_url;    // empty: <data>/service.db
  std::string secret_key_file; // empty: <data>/secret.key
  int db_connections = 8;
};

// Codes sent an hour across the service, whoever they are for: a ceiling on what an attack
// spread over many recipients and networks can make the service send.
const int kDefaultCodesPerHour = 1000;
const int kMaxCodesPerHour = 100000;

struct ServiceContext {
  StorePool* store = nullptr;
  PublicSuffixList suffixes;
  std::string data_dir;
  int free_checks_per_day = kDefaultFreeChecksPerDay;
  int codes_per_hour = kDefaultCodesPerHour; // sign-in codes the whole service sends an hour
  int free_checks_per_address = kDefaultFreeChecksPerAddressPerDay;
  ServiceMetrics metrics;
  AlertWake alerts;      // woken when a request queues an alert
  bool texts_on = false; // mobiles get texts through the SMS gateway (serve --sms)
  AlertWake texts;       // woken when a request queues a text
  CheckTally checks;     // verdicts waiting to be written together
  ThreatLists threats;   // the public lists of scam websites, as loaded from the store
  // When a quiet computer is alerted (serve --silent-after, --silent-after-threat); read by
  // every request and the housekeeping, and changed only by the test control.
  std::atomic<int64_t> silent_after{SilenceLimits().after};
  std::atomic<int64_t> silent_after_threat{SilenceLimits().after_threat};
};

SilenceLimits silence_limits(const ServiceContext& context);
void set_silence_limits(ServiceContext* context, const SilenceLimits& limits);

// Creates the data folder if needed, reads or makes the secret key and opens the database.
int service_context_open(ServiceContext* context, const ContextOptions& options,
                         std::string* error);
void service_context_close(ServiceContext* context);

std::string data_file(const ServiceContext& context, const char* name);
