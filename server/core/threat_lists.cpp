#include "core/threat_lists.h"

#include <openssl/sha.h>

#include <cstring>

#include "core/threat_feeds.h"
#include "store/store_threats.h"

namespace {

// Addresses and hosts are told apart before they are digested; SHA-256 so that no one can
// make an address of their own collide with a listed one.
uint64_t digest_of(char kind, const std::string& text) {
  std::string keyed = std::string(1, kind) + ":" + text;
  unsigned char hash[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(keyed.data()), keyed.size(), hash);
  uint64_t digest = 0;
  std::memcpy(&digest, hash, sizeof(digest));
  return digest == 0 ? 1 : digest;
}

size_t slots_for(size_t entries) {
  size_t slots = 64;
  while (slots < entries * 2)
    slots *= 2;
  return slots;
}

const size_t kLoadPage = 20000;

} // namespace

ThreatSet::ThreatSet(size_t entries) : digests_(slots_for(entries), 0), lists_(digests_.size()) {}

void ThreatSet::add(uint64_t digest, uint8_t list) {
  const size_t mask = digests_.size() - 1;
  size_t slot = digest & mask;
  while (digests_[slot] != 0) {
    if (digests_[slot] == digest) return; // on two lists: the first keeps it
    slot = (slot + 1) & mask;
  }
  if ((entries_ + 1) * 2 > digests_.size()) return; // full: the caller sized it wrong
  digests_[slot] = digest;
  lists_[slot] = list;
  ++entries_;
}

void ThreatSet::add_address(const std::string& address, uint8_t list) {
  add(digest_of('a', address), list);
}

void ThreatSet::add_host(const std::string& host, uint8_t list) { add(digest_of('h', host), list); }

const ThreatListing* ThreatSet::lookup(uint64_t digest) const {
  const size_t mask = digests_.size() - 1;
  for (size_t slot = digest & mask; digests_[slot] != 0; slot = (slot + 1) & mask) {
    if (digests_[slot] == digest) return &listings[lists_[slot]];
  }
  return nullptr;
}

bool ThreatSet::find(const std::string& address, const std::string& host,
                     ThreatListing* out) const {
  if (entries_ == 0) return false;
  const ThreatListing* listed = lookup(digest_of('a', address));
  if (!listed) listed = lookup(digest_of('h', host));
  if (!listed) return false;
  *out = *listed;
  return true;
}

size_t ThreatSet::bytes() const {
  return digests_.size() * sizeof(uint64_t) + lists_.size() * sizeof(uint8_t);
}

std::shared_ptr<const ThreatSet> threat_lists_now(ThreatLists* lists) {
  std::lock_guard<std::mutex> hold(lists->lock);
  return lists->current;
}

namespace {

std::string version_of(const std::vector<ThreatListRow>& rows) {
  std::string version;
  for (const ThreatListRow& row : rows)
    version += row.source + ":" + std::to_string(row.generation) + ";";
  return version;
}

} // namespace

int threat_set_load(ServiceStore* store, std::shared_ptr<const ThreatSet>* out,
                    std::string* version) {
  std::vector<ThreatListRow> rows;
  if (!store_threat_lists(store, &rows)) return 0;
  int64_t total = 0;
  for (const ThreatListRow& row : rows)
    total += row.entries;
  auto set = std::make_shared<ThreatSet>(static_cast<size_t>(total));
  for (const ThreatListRow& row : rows) {
    const ThreatFeed* feed = threat_feed_by_source(row.source);
    set->listings.push_back(
        ThreatListing{feed ? feed->list_name : row.source, threat_list_day(row.updated_at)});
  }
  std::vector<ThreatEntryRow> page;
  int64_t after = 0;
  do {
    if (!store_threat_entries(store, &after, kLoadPage, &page)) return 0;
    for (const ThreatEntryRow& entry : page) {
      uint8_t list = 0;
      while (list < rows.size() && rows[list].source != entry.source)
        ++list;
      if (list == rows.size()) continue; // a list replaced while this one was read
      if (entry.whole_host) {
        set->add_host(entry.host, list);
      } else {
        set->add_address(entry.address, list);
      }
    }
  } while (page.size() == kLoadPage);
  *version = version_of(rows);
  *out = set;
  return 1;
}

int threat_lists_refresh(ThreatLists* lists, ServiceStore* store) {
  std::vector<ThreatListRow> rows;
  if (!store || !store_threat_lists(store, &rows)) return 0;
  {
    std::lock_guard<std::mutex> hold(lists->lock);
    if (version_of(rows) == lists->version) return 1;
  }
  std::shared_ptr<const ThreatSet> loaded;
  std::string version;
  if (!threat_set_load(store, &loaded, &version)) return 0;
  // An import that landed while the entries were read makes the next refresh load again.
  std::lock_guard<std::mutex> hold(lists->lock);
  lists->current = loaded;
  lists->version = version;
  return 1;
}
