// What the pop-up cleaner's scanner costs beside a full JSON parser: Chrome-shaped Preferences
// files of 1, 4 and 16 MiB, generated here, scanned in count mode, and the same bytes parsed
// and walked with nlohmann-json to the same count. Prints figures only; a native benchmark
// (the program itself never uses nlohmann-json).
//
//   bench_preferences_scan [--seconds S]   time spent on each figure, at least 3 runs (default 1)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "popup_cleaner/preferences_scan.h"

namespace {

// One site's entry in a content-settings category, as Chrome writes it.
std::string site_entry(const std::string& origin, const std::string& setting) {
  return "\"" + origin +
         ",*\":{\"expiration\":\"0\",\"last_modified\":\"13350123456789012\","
         "\"model\":0,\"setting\":" +
         setting + "}";
}

// A Preferences file of about `target` bytes: the usual top-level members, then categories of
// site exceptions (most of the bytes of a long-used profile) before and after the
// notifications, with a notification for one site in 16 (one in 5 of them blocked already)
// and one site in 64 on a trusted domain.
std::string chrome_preferences(size_t target) {
  std::string hints; // sorted before "notifications", as Chrome writes the keys
  std::string notifications;
  std::string engagement;
  std::string media;
  int grants = 0;
  for (int site = 0;
       hints.size() + notifications.size() + engagement.size() + media.size() + 2048 < target;
       site++) {
    const std::string origin = "https://site-" + std::to_string(site) +
                               (site % 64 == 0 ? ".google.co.uk" : ".example") + ":443";
    if (!engagement.empty()) engagement += ",";
    engagement += site_entry(origin, "{\"lastEngagementTime\":1.3350123456789e+16,"
                                     "\"lastShortcutLaunchTime\":0.0,\"pointsAddedToday\":4.5,"
                                     "\"rawScore\":12.75}");
    if (!hints.empty()) hints += ",";
    hints += site_entry(origin, "{\"client_hints\":[9,10,11,13,14,16,23,25,29]}");
    if (site % 3 == 0) {
      if (!media.empty()) media += ",";
      media += site_entry(origin, "{\"hasHighScore\":false,\"lastMediaPlaybackTime\":0.0,"
                                  "\"mediaPlaybacks\":1,\"visits\":3}");
    }
    if (site % 16 == 0) {
      if (!notifications.empty()) notifications += ",";
      notifications += site_entry(origin, (grants++ % 5 == 4) ? "2" : "1");
    }
  }
  return "{\"account_info\":[],\"browser\":{\"has_seen_welcome_page\":true,\"window_placement\":{"
         "\"bottom\":1050,\"left\":10,\"maximized\":false,\"right\":1210,\"top\":10}},\"profile\":{"
         "\"avatar_index\":26,\"content_settings\":{\"exceptions\":{\"app_banner\":{},"
         "\"client_hints\":{" +
         hints + "},\"media_engagement\":{" + media + "},\"notifications\":{" + notifications +
         "},\"popups\":{},\"site_engagement\":{" + engagement +
         "}},\"pref_version\":1},\"default_content_setting_values\":{\"notifications\":1},"
         "\"exit_type\":\"Normal\",\"name\":\"Person 1\"}}";
}

bool trusted(const std::string& site) {
  std::string lower = site;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (size_t d = 0; trusted_domains[d][0] != '\0'; d++) {
    if (lower.find(trusted_domains[d]) != std::string::npos) return true;
  }
  return false;
}

// The same count as the scanner's, from a full parse: granted (1) and untrusted.
int parse_and_count(const std::string& text) {
  const nlohmann::json root = nlohmann::json::parse(text);
  const auto& notifications =
      root.at("profile").at("content_settings").at("exceptions").at("notifications");
  int n = 0;
  for (auto it = notifications.begin(); it != notifications.end(); ++it) {
    const auto setting = it.value().find("setting");
    if (setting != it.value().end() && *setting == 1 && !trusted(it.key())) n++;
  }
  return n;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Median seconds of one run of `run`, over at least three runs and `budget` seconds.
template <typename Run> double median_seconds(double budget, Run run) {
  std::vector<double> samples;
  const auto start = std::chrono::steady_clock::now();
  while (samples.size() < 3 || seconds_since(start) < budget) {
    const auto t = std::chrono::steady_clock::now();
    run();
    samples.push_back(seconds_since(t));
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  double budget = 1.0;
  for (int i = 1; i + 1 < argc; i++) {
    if (std::strcmp(argv[i], "--seconds") == 0) budget = std::atof(argv[i + 1]);
  }
  if (budget <= 0 || budget > 60) budget = 1.0;
  std::printf("Pop-up cleaner scanner (count mode) beside nlohmann-json %d.%d.%d parse + walk, on "
              "generated Chrome Preferences; median of runs over %.1f s each\n",
              NLOHMANN_JSON_VERSION_MAJOR, NLOHMANN_JSON_VERSION_MINOR, NLOHMANN_JSON_VERSION_PATCH,
              budget);
  std::printf("  %8s %8s %12s %12s %8s\n", "MiB", "grants", "scanner MB/s", "json MB/s", "ratio");
  int status = 0;
  for (size_t mib : {1u, 4u, 16u}) {
    // 16 MiB is the largest file the cleaner reads.
    const size_t target = std::min<size_t>(mib * 1024 * 1024, PREFERENCES_MAX_SIZE);
    const std::string text = chrome_preferences(target);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    int scanned = -1;
    int parsed = -1;
    const double scan =
        median_seconds(budget, [&] { scanned = scan_preferences_text(buffer.data(), false); });
    const double json = median_seconds(budget, [&] { parsed = parse_and_count(text); });
    const double mb = static_cast<double>(text.size()) / 1e6;
    std::printf("  %8.2f %8d %12.1f %12.1f %7.1fx\n", static_cast<double>(text.size()) / 1048576.0,
                scanned, mb / scan, mb / json, json / scan);
    if (scanned != parsed) {
      std::printf("  the scanner counted %d, the parser %d: the figures are not comparable\n",
                  scanned, parsed);
      status = 1;
    }
  }
  return status;
}
