// The public lists of scam websites at full size: a million made-up addresses in OpenPhish's
// format imported into the store (SQLite, and PostgreSQL with --database URL), the time an
// instance takes to load them, the memory the loaded table takes, and the time of one lookup
// with a thousand entries and with a million (constant). Prints figures only.
//   olvex_threat_bench [--entries N] [--database postgresql://...]
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "core/service_context.h"
#include "core/threat_lists.h"
#include "edge/threat_import.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The resident memory of this process, in KiB.
long resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

std::string made_up_address(size_t i) {
  return "https://login-" + std::to_string(i % 50000) + ".account-check-" +
         std::to_string(i / 50000) + ".example/secure/" + std::to_string(i) + "/index.php";
}

// Nanoseconds per lookup of listed and unlisted addresses, over `rounds` lookups.
double lookup_ns(const ThreatSet& set, size_t listed, size_t rounds) {
  ThreatListing found;
  size_t hits = 0;
  Clock::time_point start = Clock::now();
  for (size_t i = 0; i < rounds; ++i) {
    std::string address;
    std::string host;
    threat_address(made_up_address((i * 7919) % (listed * 2)), &address, &host);
    hits += set.find(address, host, &found) ? 1 : 0;
  }
  double ns = seconds_since(start) * 1e9 / static_cast<double>(rounds);
  return hits == rounds + 1 ? 0 : ns;
}

int measure(ServiceStore* store, const std::string& label, const std::string& list,
            size_t entries) {
  std::string report;
  std::string error;
  Clock::time_point start = Clock::now();
  if (!store || !import_threat_file(store, *threat_feed_by_format("openphish"), list,
                                    static_cast<int64_t>(std::time(nullptr)), &report, &error)) {
    std::printf("%s: %s\n", label.c_str(), error.c_str());
    return 1;
  }
  double imported = seconds_since(start);
  long before = resident_kib();
  start = Clock::now();
  std::shared_ptr<const ThreatSet> set;
  std::string version;
  if (!threat_set_load(store, &set, &version)) return 1;
  double loaded = seconds_since(start);
  std::printf("%s: %zu entries imported in %.1f s (goal: under 60 s); an instance loads them in "
              "%.1f s; the table takes %.1f MiB (%.1f bytes an entry), the process grew "
              "%.1f MiB while loading\n",
              label.c_str(), entries, imported, loaded, set->bytes() / 1048576.0,
              static_cast<double>(set->bytes()) / static_cast<double>(entries),
              (resident_kib() - before) / 1024.0);
  std::printf("  one lookup (a link's address and host): %.0f ns with %zu entries\n",
              lookup_ns(*set, entries, 1000000), set->entries());
  return 0;
}

int bench_store(const std::string& label, const std::string& database, const std::string& list,
                size_t entries) {
  char dir[] = "/tmp/olvex-threat-bench.XXXXXX";
  if (!mkdtemp(dir)) return 1;
  ContextOptions options;
  options.data_dir = std::string(dir) + "/data";
  options.database_url = database;
  options.db_connections = 1;
  ServiceContext context;
  std::string error;
  int status = 1;
  if (service_context_open(&context, options, &error)) {
    {
      StoreLease lease(context.store);
      status = measure(lease.get(), label, list, entries);
    }
    service_context_close(&context);
  } else {
    std::printf("%s: %s\n", label.c_str(), error.c_str());
  }
  std::fflush(stdout);
  std::string remove = std::string("rm -rf '") + dir + "'";
  return std::system(remove.c_str()) == 0 ? status : 1;
}

} // namespace

int main(int argc, char** argv) {
  size_t entries = 1000000;
  std::string database;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--entries") entries = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::string(argv[i]) == "--database") database = argv[i + 1];
  }
  char list[] = "/tmp/olvex-threat-list.XXXXXX";
  int fd = mkstemp(list);
  if (fd < 0) return 2;
  close(fd);
  {
    std::ofstream out(list);
    for (size_t i = 0; i < entries; ++i)
      out << made_up_address(i) << "\n";
  }
  std::printf("Public lists of scam websites (a list of %zu made-up addresses)\n", entries);
  // The lookup's cost does not grow with the table: the same lookups against a small one.
  {
    ThreatSet small(1000);
    for (size_t i = 0; i < 1000; ++i) {
      std::string address;
      std::string host;
      threat_address(made_up_address(i), &address, &host);
      small.add_address(address, 0);
    }
    small.listings.push_back(ThreatListing{"OpenPhish", "today"});
    std::printf("  one lookup with 1000 entries: %.0f ns\n", lookup_ns(small, 1000, 1000000));
  }
  int status = bench_store("SQLite", "", list, entries);
  if (!database.empty()) status |= bench_store("PostgreSQL", database, list, entries);
  unlink(list);
  return status == 0 ? 0 : 2;
}
