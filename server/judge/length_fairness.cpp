#include "judge/length_fairness.h"

int length_fair_weight(int weight, size_t message_bytes) {
  if (message_bytes <= kFullWeightBytes) return weight;
  if (message_bytes >= 2 * kFullWeightBytes) return (weight + 1) / 2;
  // Between the two: in proportion, rounded to the nearest whole point.
  return static_cast<int>((static_cast<double>(weight) * kFullWeightBytes) / message_bytes + 0.5);
}
