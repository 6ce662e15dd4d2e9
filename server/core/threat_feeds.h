#pragma once
// The public lists of scam websites that import-threats reads, each in its own file format:
//   urlhaus    CSV, "#" comment lines first ("# Last updated: 2026-12-10 13:05:02 (UTC)"), then
//              "id","dateadded","url","url_status","last_online","threat","tags",...
//   openphish  one address a line
//   phishtank  CSV with the header phish_id,url,phish_detail_url,submission_time,verified,
//              verification_time,online,target
// A list is read a line at a time and refused whole (nothing imported) when it is not in its
// format, is empty, or has a line longer than kMaxFeedLineBytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "store/store_threats.h"

struct ThreatFeed {
  const char* format;    // as --format names it: "urlhaus"
  const char* source;    // as the store keeps it: "urlhaus"
  const char* list_name; // as a reason names it: "URLhaus"
};

// Null for an unknown name.
const ThreatFeed* threat_feed_by_format(const std::string& format);
const ThreatFeed* threat_feed_by_source(const std::string& source);
const char* threat_feed_formats(); // "urlhaus, openphish or phishtank"

const size_t kMaxFeedLineBytes = 8192;
// A list of more is refused: each instance holds every entry in memory.
const size_t kMaxFeedEntries = 5000000;

struct FeedReader {
  const ThreatFeed* feed = nullptr;
  int64_t now = 0;
  size_t line = 0;        // lines read so far
  size_t entries = 0;     // addresses taken
  size_t unreadable = 0;  // entries whose address is no web address, left out
  int64_t updated_at = 0; // the list's own date, or `now` (never later)
  std::string error;      // why the list is refused
};

// Reads one line (without its line break). 1 with `*has_entry` set when it gave an address,
// 0 with `reader->error` when the list must be refused.
int feed_read_line(FeedReader* reader, const std::string& line, ThreatEntryRow* entry,
                   bool* has_entry);
// After the last line: 0 with `reader->error` when the list as a whole is refused (nothing in
// it, or more than one entry in a hundred unreadable).
int feed_finish(FeedReader* reader);

// "10 December": the day a list was updated, in the UK.
std::string threat_list_day(int64_t updated_at);
