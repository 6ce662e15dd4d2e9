#include "core/threat_feeds.h"

#include <vector>

#include "base/uk_time.h"
#include "judge/threat_lookup.h"

namespace {

const ThreatFeed kFeeds[] = {
    {"urlhaus", "urlhaus", "URLhaus"},
    {"openphish", "openphish", "OpenPhish"},
    {"phishtank", "phishtank", "PhishTank"},
};

const char* const kPhishtankHeader =
    "phish_id,url,phish_detail_url,submission_time,verified,verification_time,online,target";
const char* const kUrlhausUpdated = "# Last updated: ";

int refuse(FeedReader* reader, const std::string& why) {
  reader->error = std::string("This is not a list in ") + reader->feed->list_name +
                  "'s format: line " + std::to_string(reader->line) + " " + why + ".";
  return 0;
}

// Splits one CSV line; fields may be in double quotes, with "" for a quote inside. False
// when a quote is left open.
bool csv_fields(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  std::string field;
  bool quoted = false;
  bool was_quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field.push_back(c);
      }
    } else if (c == '"' && field.empty() && !was_quoted) {
      quoted = true;
      was_quoted = true;
    } else if (c == ',') {
      fields->push_back(field);
      field.clear();
      was_quoted = false;
    } else {
      field.push_back(c);
    }
  }
  fields->push_back(field);
  return !quoted;
}

bool all_digits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// "2026-12-10..." as the start of that day in UTC; 0 when it is no date.
int64_t date_of(const std::string& text) {
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return 0;
  if (!all_digits(text.substr(0, 4)) || !all_digits(text.substr(5, 2)) ||
      !all_digits(text.substr(8, 2)))
    return 0;
  int64_t y = std::stoll(text.substr(0, 4));
  int64_t m = std::stoll(text.substr(5, 2));
  int64_t d = std::stoll(text.substr(8, 2));
  if (y < 1990 || m < 1 || m > 12 || d < 1 || d > 31) return 0;
  // Noon, so that the day is the same in the UK whatever the season.
  return days_from_civil(y, m, d) * 86400 + 12 * 3600;
}

void note_date(FeedReader* reader, const std::string& text) {
  int64_t date = date_of(text);
  if (date > reader->updated_at && date <= reader->now) reader->updated_at = date;
}

int take_address(FeedReader* reader, const std::string& url, ThreatEntryRow* entry,
                 bool* has_entry) {
  std::string address;
  std::string host;
  if (!threat_address(url, &address, &host)) {
    ++reader->unreadable;
    return 1;
  }
  if (++reader->entries > kMaxFeedEntries)
    return refuse(reader,
                  "is past the " + std::to_string(kMaxFeedEntries) + " addresses a list may have");
  entry->address = address;
  entry->host = host;
  entry->whole_host = threat_address_is_whole_host(address);
  *has_entry = true;
  return 1;
}

int read_urlhaus(FeedReader* reader, const std::string& line, ThreatEntryRow* entry,
                 bool* has_entry) {
  if (line[0] == '#') {
    if (line.compare(0, std::string(kUrlhausUpdated).size(), kUrlhausUpdated) == 0)
      note_date(reader, line.substr(std::string(kUrlhausUpdated).size()));
    return 1;
  }
  std::vector<std::string> fields;
  if (line[0] != '"' || !csv_fields(line, &fields) || fields.size() < 8 || !all_digits(fields[0]))
    return refuse(reader, "is not a row of quoted fields: \"id\",\"dateadded\",\"url\",...");
  return take_address(reader, fields[2], entry, has_entry);
}

int read_openphish(FeedReader* reader, const std::string& line, ThreatEntryRow* entry,
                   bool* has_entry) {
  if (line.compare(0, 7, "http://") != 0 && line.compare(0, 8, "https://") != 0)
    return refuse(reader, "is not a web address");
  return take_address(reader, line, entry, has_entry);
}

int read_phishtank(FeedReader* reader, const std::string& line, ThreatEntryRow* entry,
                   bool* has_entry) {
  if (reader->line == 1)
    return line == kPhishtankHeader
               ? 1
               : refuse(reader, std::string("is not the header ") + kPhishtankHeader);
  std::vector<std::string> fields;
  if (!csv_fields(line, &fields) || fields.size() != 8 || !all_digits(fields[0]))
    return refuse(reader, "is not a row of the eight columns of the header");
  note_date(reader, fields[5]);
  return take_address(reader, fields[1], entry, has_entry);
}

} // namespace

const ThreatFeed* threat_feed_by_format(const std::string& format) {
  for (const ThreatFeed& feed : kFeeds) {
    if (format == feed.format) return &feed;
  }
  return nullptr;
}

const ThreatFeed* threat_feed_by_source(const std::string& source) {
  for (const ThreatFeed& feed : kFeeds) {
    if (source == feed.source) return &feed;
  }
  return nullptr;
}

const char* threat_feed_formats() { return "urlhaus, openphish or phishtank"; }

int feed_read_line(FeedReader* reader, const std::string& line, ThreatEntryRow* entry,
                   bool* has_entry) {
  *has_entry = false;
  ++reader->line;
  if (line.size() > kMaxFeedLineBytes)
    return refuse(reader, "is longer than " + std::to_string(kMaxFeedLineBytes) + " bytes");
  if (line.empty() && reader->feed != threat_feed_by_format("phishtank")) return 1;
  if (line.empty()) return reader->line == 1 ? refuse(reader, "is empty") : 1;
  const std::string format = reader->feed->format;
  if (format == "urlhaus") return read_urlhaus(reader, line, entry, has_entry);
  if (format == "openphish") return read_openphish(reader, line, entry, has_entry);
  return read_phishtank(reader, line, entry, has_entry);
}

int feed_finish(FeedReader* reader) {
  if (reader->entries == 0) {
    reader->error = std::string("The ") + reader->feed->list_name +
                    " list holds no web addresses: nothing was imported.";
    return 0;
  }
  if (reader->unreadable * 100 > reader->entries + reader->unreadable) {
    reader->error = std::to_string(reader->unreadable) + " of its " +
                    std::to_string(reader->entries + reader->unreadable) +
                    " addresses are no web address: this is not a " + reader->feed->list_name +
                    " list.";
    return 0;
  }
  if (reader->updated_at == 0) reader->updated_at = reader->now;
  return 1;
}

std::string threat_list_day(int64_t updated_at) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  UkTime day = uk_time(updated_at);
  return std::to_string(day.day) + " " + kMonths[day.month - 1];
}
