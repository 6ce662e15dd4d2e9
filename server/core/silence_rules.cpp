#include "core/silence_rules.h"

#include <algorithm>

int64_t silence_deadline(const SilenceLimits& limits, int64_t heard_at, int64_t threat_at) {
  const int64_t usual = heard_at + limits.after;
  const int64_t threatened = heard_at + limits.after_threat;
  if (threat_at > 0 && threatened <= threat_at + kThreatWindowSeconds)
    return std::min(usual, threatened);
  return usual;
}

int64_t heartbeat_seconds(const SilenceLimits& limits, int64_t now, int64_t threat_at) {
  const bool threatened = threat_at > 0 && now < threat_at + kThreatWindowSeconds;
  const int64_t limit = threatened ? std::min(limits.after, limits.after_threat) : limits.after;
  return std::max<int64_t>(1, std::min<int64_t>(5 * 60, limit / 3));
}

int64_t heard_write_seconds(const SilenceLimits& limits) {
  const int64_t shorter = std::min(limits.after, limits.after_threat);
  return std::max<int64_t>(1, std::min<int64_t>(60, shorter / 4));
}
