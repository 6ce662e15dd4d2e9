#include "edge/threat_import.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "core/service_context.h"
#include "store/store_threats.h"

namespace {

const size_t kBatch = 5000;

// Lines of a file, never holding more of one than the feed reader needs to refuse it.
class LineReader {
public:
  explicit LineReader(FILE* file) : file_(file) {}
  // False at the end of the file.
  bool next(std::string* line) {
    line->clear();
    bool any = false;
    for (;;) {
      if (at_ == got_) {
        got_ = std::fread(buffer_, 1, sizeof(buffer_), file_);
        at_ = 0;
        if (got_ == 0) return any;
      }
      any = true;
      char c = buffer_[at_++];
      if (c == '\n') break;
      if (line->size() <= kMaxFeedLineBytes) line->push_back(c);
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
  }

private:
  FILE* file_;
  char buffer_[65536] = {};
  size_t at_ = 0;
  size_t got_ = 0;
};

std::string with_commas(int64_t number) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

} // namespace

int import_threat_file(ServiceStore* store, const ThreatFeed& feed, const std::string& file,
                       int64_t now, std::string* report, std::string* error) {
  std::unique_ptr<FILE, int (*)(FILE*)> opened(std::fopen(file.c_str(), "rb"), std::fclose);
  if (!opened) {
    *error = "Cannot read the list " + file + ".";
    return 0;
  }
  LineReader lines(opened.get());
  FeedReader reader;
  reader.feed = &feed;
  reader.now = now;
  bool refused = false;
  auto next = [&](std::vector<ThreatEntryRow>* batch) {
    std::string line;
    ThreatEntryRow entry;
    bool has_entry = false;
    while (batch->size() < kBatch) {
      if (!lines.next(&line)) {
        if (feed_finish(&reader)) return 0;
        refused = true;
        return -1;
      }
      if (!feed_read_line(&reader, line, &entry, &has_entry)) {
        refused = true;
        return -1;
      }
      if (has_entry) batch->push_back(entry);
    }
    return 1;
  };
  int64_t stored = 0;
  std::string store_error;
  if (!store_replace_threat_list(store, feed.source, next, &reader.updated_at, now, &stored,
                                 &store_error)) {
    *error = refused ? reader.error + " The list in the store is unchanged."
                     : store_error + " The list in the store is unchanged.";
    return 0;
  }
  *report = "Imported " + with_commas(stored) + (stored == 1 ? " address" : " addresses") +
            " from " + feed.list_name + ", updated " + threat_list_day(reader.updated_at) + ".";
  if (reader.unreadable)
    *report += " " + with_commas(static_cast<int64_t>(reader.unreadable)) +
               " entries that are no web address were left out.";
  return 1;
}

int run_import_threats(const CommandLine& command) {
  const ThreatFeed* feed = threat_feed_by_format(command.threat_format);
  ServiceContext context;
  ContextOptions options;
  options.data_dir = command.data_dir;
  options.database_url = command.database_url;
  options.secret_key_file = command.secret_key_file;
  options.db_connections = 1;
  std::string error;
  if (!service_context_open(&context, options, &error)) {
    std::fprintf(stderr, "olvex-service: %s\n", error.c_str());
    return 1;
  }
  int code = 0;
  {
    StoreLease lease(context.store);
    std::string report;
    if (!lease.get()) {
      std::fprintf(stderr, "olvex-service: Could not reach the database.\n");
      code = 1;
    } else if (!import_threat_file(lease.get(), *feed, command.values[0],
                                   static_cast<int64_t>(std::time(nullptr)), &report, &error)) {
      std::fprintf(stderr, "olvex-service: %s\n", error.c_str());
      code = 2;
    } else {
      std::printf("%s\n", report.c_str());
    }
  }
  service_context_close(&context);
  return code;
}
