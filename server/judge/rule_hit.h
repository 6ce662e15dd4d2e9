#pragma once
#include <string>

// One rule that matched a message.
struct RuleHit {
  std::string id;
  int weight;
  std::string reason;
  std::string advice;
};
