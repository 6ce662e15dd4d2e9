#include "service_metrics.h"

#include <cstdio>

void metrics_note_request(ServiceMetrics* metrics, const std::string& action, int status,
                          double seconds) {
  std::lock_guard<std::mutex> hold(metrics->lock);
  ++metrics->requests[std::make_pair(action, status)];
  for (int i = 0; i < kLatencyBucketCount; ++i) {
    if (seconds <= kLatencyBuckets[i]) ++metrics->latency_buckets[i];
  }
  ++metrics->latency_count;
  metrics->latency_sum += seconds;
}

void metrics_note_verdict(ServiceMetrics* metrics, const std::string& verdict) {
  std::lock_guard<std::mutex> hold(metrics->lock);
  ++metrics->verdicts[verdict];
}

void metrics_note_limit(ServiceMetrics* metrics, const std::string& limit) {
  std::lock_guard<std::mutex> hold(metrics->lock);
  ++metrics->limits_hit[limit];
}

std::string metrics_text(ServiceMetrics* metrics) {
  std::lock_guard<std::mutex> hold(metrics->lock);
  std::string out;
  char line[256];
  out += "# HELP olvex_requests_total Requests answered, by action and HTTP status.\n"
         "# TYPE olvex_requests_total counter\n";
  for (const auto& entry : metrics->requests) {
    std::snprintf(line, sizeof(line), "olvex_requests_total{action=\"%s\",status=\"%d\"} %llu\n",
                  entry.first.first.c_str(), entry.first.second,
                  static_cast<unsigned long long>(entry.second));
    out += line;
  }
  out += "# HELP olvex_request_seconds Time from a request read to its answer ready.\n"
         "# TYPE olvex_request_seconds histogram\n";
  for (int i = 0; i < kLatencyBucketCount; ++i) {
    std::snprintf(line, sizeof(line), "olvex_request_seconds_bucket{le=\"%g\"} %llu\n",
                  kLatencyBuckets[i], static_cast<unsigned long long>(metrics->latency_buckets[i]));
    out += line;
  }
  std::snprintf(line, sizeof(line),
                "olvex_request_seconds_bucket{le=\"+Inf\"} %llu\nolvex_request_seconds_sum %.6f\n"
                "olvex_request_seconds_count %llu\n",
                static_cast<unsigned long long>(metrics->latency_count), metrics->latency_sum,
                static_cast<unsigned long long>(metrics->latency_count));
  out += line;
  out += "# HELP olvex_verdicts_total Messages judged, by verdict.\n"
         "# TYPE olvex_verdicts_total counter\n";
  for (const auto& entry : metrics->verdicts) {
    std::snprintf(line, sizeof(line), "olvex_verdicts_total{verdict=\"%s\"} %llu\n",
                  entry.first.c_str(), static_cast<unsigned long long>(entry.second));
    out += line;
  }
  out += "# HELP olvex_limits_hit_total Requests refused by an abuse limit, by limit.\n"
         "# TYPE olvex_limits_hit_total counter\n";
  for (const auto& entry : metrics->limits_hit) {
    std::snprintf(line, sizeof(line), "olvex_limits_hit_total{limit=\"%s\"} %llu\n",
                  entry.first.c_str(), static_cast<unsigned long long>(entry.second));
    out += line;
  }
  return out;
}
