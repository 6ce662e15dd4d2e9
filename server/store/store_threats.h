#pragma once
// The public lists of scam websites: for each source (urlhaus, openphish, phishtank) its list's
// date and entries. import-threats replaces a source's list whole, in one transaction; every
// instance reads them back (core/threat_lists.h).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/service_store.h"

struct ThreatListRow {
  std::string source;
  int64_t updated_at = 0; // when the list says it was made, seconds since 1970
  int64_t entries = 0;
  int64_t generation = 0; // one more at each import: instances reload when it moves
};

struct ThreatEntryRow {
  std::string source;
  std::string address; // judge/threat_lookup.h's form
  std::string host;
  bool whole_host = false;
};

int store_threat_lists(ServiceStore* store, std::vector<ThreatListRow>* lists);

// Up to `limit` entries with an id after `*after_id`, in id order; `*after_id` moves on to the
// last one read.
int store_threat_entries(ServiceStore* store, int64_t* after_id, size_t limit,
                         std::vector<ThreatEntryRow>* entries);

// Replaces `source`'s list in one transaction. `next` fills the next batch of entries (their
// source is set here) and returns 1 while there are more, 0 after the last, -1 to refuse the
// list: then nothing changes. `*updated_at` is read after the last batch. 0 with `*error` on a
// refusal or a database failure; `*stored` is the number of entries the list now has.
int store_replace_threat_list(ServiceStore* store, const std::string& source,
                              const std::function<int(std::vector<ThreatEntryRow>*)>& next,
                              const int64_t* updated_at, int64_t now, int64_t* stored,
                              std::string* error);
