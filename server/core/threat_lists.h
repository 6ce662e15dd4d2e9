#pragma once
// The public lists of scam websites as each instance holds them: one open-addressed table of
// 64-bit digests (a listed address, or a host listed whole), looked up in constant time. It is
// loaded from the store and loaded again when an import there changes a list; a check in
// flight keeps the table it started with.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "judge/threat_lookup.h"
#include "store/service_store.h"

class ThreatSet : public ThreatLookup {
public:
  // Room for `entries` entries at most half full.
  explicit ThreatSet(size_t entries);
  // `list` is an index into listings.
  void add_address(const std::string& address, uint8_t list);
  void add_host(const std::string& host, uint8_t list);
  bool find(const std::string& address, const std::string& host, ThreatListing* out) const override;

  size_t entries() const { return entries_; }
  size_t bytes() const; // what the table takes in memory
  std::vector<ThreatListing> listings;

private:
  void add(uint64_t digest, uint8_t list);
  const ThreatListing* lookup(uint64_t digest) const;

  std::vector<uint64_t> digests_; // 0 marks an empty slot
  std::vector<uint8_t> lists_;    // beside each digest
  size_t entries_ = 0;
};

struct ThreatLists {
  std::mutex lock;
  std::shared_ptr<const ThreatSet> current = std::make_shared<ThreatSet>(0);
  std::string version; // the store's lists as loaded: source and generation of each
};

// The table to judge with; it stays valid while held, whatever is loaded meanwhile.
std::shared_ptr<const ThreatSet> threat_lists_now(ThreatLists* lists);

// Loads the lists again when the store's differ from those held (another instance or
// import-threats changed them). 1 when the lists held are the store's.
int threat_lists_refresh(ThreatLists* lists, ServiceStore* store);

// Builds a table from the store's lists as they are; 0 on a database failure.
int threat_set_load(ServiceStore* store, std::shared_ptr<const ThreatSet>* out,
                    std::string* version);
