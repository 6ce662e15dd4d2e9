#include "core/service_metrics.h"

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

namespace {

// One counter family with a single label, in Prometheus text format.
void append_counters(std::string* out, const char* name, const char* help, const char* label,
                     const std::map<std::string, uint64_t>& counts) {
  *out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " counter\n";
  for (const auto& entry : counts) {
    *out += std::string(name) + "{" + label + "=\"" + entry.first + "\"} " +
            std::to_string(entry.second) + "\n";
  }
}

} // namespace

void metrics_note_text(ServiceMetrics* metrics, const std::string& outcome) {
  std::lock_guard<std::mutex> hold(metrics->lock);
  ++metrics->texts[outcome];
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
  append_counters(&out, "olvex_verdicts_total", "Messages judged, by verdict.", "verdict",
                  metrics->verdicts);
  append_counters(&out, "olvex_limits_hit_total", "Requests refused by an abuse limit, by limit.",
                  "limit", metrics->limits_hit);
  std::map<std::string, uint64_t> texts = metrics->texts;
  texts["sent"] += 0; // each outcome shows, at 0 until it happens
  texts["delivered"] += 0;
  texts["failed"] += 0;
  append_counters(&out, "olvex_texts_total",
                  "Texts to mobiles: taken by the SMS gateway (sent), and reported delivered or "
                  "failed.",
                  "outcome", texts);
  return out;
}
