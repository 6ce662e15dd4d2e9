#pragma once
// What every request handler shares: the store, the suffix list and where
// the data folder is.
#include <mutex>
#include <string>

#include "free_checks.h"
#include "public_suffix.h"
#include "service_store.h"

struct ServiceContext {
  ServiceStore store;
  PublicSuffixList suffixes;
  std::string data_dir;
  int free_checks_per_day = kDefaultFreeChecksPerDay;
  // One action at a time, so that reading a count and raising it, or
  // checking a code and using it up, cannot interleave.
  std::mutex lock;
};

// Creates the data folder if needed and opens <data>/service.db.
int service_context_open(ServiceContext* context, const std::string& data_dir,
                         const std::string& suffix_file, std::string* error);
void service_context_close(ServiceContext* context);

std::string data_file(const ServiceContext& context, const char* name);
