#pragma once
// What makes a Guardian PIN: four ASCII digits. Some are guessed first by anyone trying, so the
// family page warns about them before it takes one.
#include <cstdint>
#include <string>

bool is_four_digits(const std::string& pin);

// How long the PIN is locked after five wrong ones in a row, given how many lock-outs the
// account had in the day before: 15 minutes, then 1 hour, 4 hours, and 24 hours from the fourth.
int64_t guardian_lock_seconds(int earlier_lockouts);

// Empty when the PIN is not an obvious guess; otherwise why it is, in a few plain words
// ("all four digits are the same").
std::string weak_pin_reason(const std::string& pin);
