#pragma once
// Counts for GET /metrics, in the Prometheus text format: requests by action and status, how
// long they took, verdicts by kind and refusals by limit, texts by outcome. Counted per instance,
// in memory.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

// Upper bounds of the latency buckets, in seconds.
const double kLatencyBuckets[] = {0.001, 0.002, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5};
const int kLatencyBucketCount = sizeof(kLatencyBuckets) / sizeof(kLatencyBuckets[0]);

struct ServiceMetrics {
  std::mutex lock;
  std::map<std::pair<std::string, int>, uint64_t> requests; // (action, status)
  uint64_t latency_buckets[kLatencyBucketCount] = {};
  uint64_t latency_count = 0;
  double latency_sum = 0;
  std::map<std::string, uint64_t> verdicts;
  std::map<std::string, uint64_t> limits_hit;
  std::map<std::string, uint64_t> texts; // "sent", "delivered", "failed"
};

void metrics_note_request(ServiceMetrics* metrics, const std::string& action, int status,
                          double seconds);
void metrics_note_verdict(ServiceMetrics* metrics, const std::string& verdict);
void metrics_note_limit(ServiceMetrics* metrics, const std::string& limit);
// A text the gateway took ("sent"), or a delivery report that said "delivered" or "failed".
void metrics_note_text(ServiceMetrics* metrics, const std::string& outcome);

std::string metrics_text(ServiceMetrics* metrics);
