#include "api/silence_control.h"

#include <nlohmann/json.hpp>

int parse_silence_control(const std::string& json_text, SilenceLimits* limits, std::string* error) {
  const nlohmann::json body = nlohmann::json::parse(json_text, nullptr, false);
  if (!body.is_object()) {
    *error = "The silence limits must be a JSON object.";
    return 0;
  }
  SilenceLimits read = *limits;
  const struct {
    const char* name;
    int64_t* value;
  } kMembers[] = {{"silent_after", &read.after}, {"silent_after_threat", &read.after_threat}};
  for (const auto& member : kMembers) {
    auto it = body.find(member.name);
    if (it == body.end()) continue;
    if (!it->is_number_integer() || it->get<int64_t>() < kMinSilenceSeconds ||
        it->get<int64_t>() > kMaxSilenceSeconds) {
      *error = std::string("\"") + member.name + "\" must be a whole number of seconds from " +
               std::to_string(kMinSilenceSeconds) + " to " + std::to_string(kMaxSilenceSeconds) +
               ".";
      return 0;
    }
    *member.value = it->get<int64_t>();
  }
  *limits = read;
  return 1;
}
