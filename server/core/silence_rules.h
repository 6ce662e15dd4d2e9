#pragma once
// When a linked computer whose protection is on counts as gone quiet: not heard from within
// `after` seconds, or within `after_threat` seconds during the hour after it reported a
// blocked tool (a program ended straight after a remote tool is the scam's own pattern).
#include <cstdint>

struct SilenceLimits {
  int64_t after = 20 * 60;       // serve --silent-after
  int64_t after_threat = 3 * 60; // serve --silent-after-threat
};

// The hour after a blocked-tool report in which the shorter limit holds.
const int64_t kThreatWindowSeconds = 60 * 60;
// Each limit takes any value in this range (tests shorten them to seconds).
const int64_t kMinSilenceSeconds = 1;
const int64_t kMaxSilenceSeconds = 7 * 24 * 60 * 60;

// The first moment a computer last heard at `heard_at` counts as silent: the short limit
// applies only while the threat hour (from `threat_at`, 0 for none) still covers that
// moment, since a program past the hour has gone back to its slower heartbeat.
int64_t silence_deadline(const SilenceLimits& limits, int64_t heard_at, int64_t threat_at);

// How often the computer should call, told in every status answer ("heartbeat_seconds"): a
// third of the limit in force now, at least 1 s and at most 5 minutes. A program started
// again within the hour after a blocked tool learns so from the service, not from itself.
int64_t heartbeat_seconds(const SilenceLimits& limits, int64_t now, int64_t threat_at);

// How often a computer's "heard from" time is written at most: often enough that the time kept
// never lags the shorter limit by more than a quarter of it, and at most once a minute.
int64_t heard_write_seconds(const SilenceLimits& limits);
