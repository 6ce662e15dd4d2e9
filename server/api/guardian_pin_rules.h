#pragma once
// What makes a Guardian PIN: four ASCII digits. Some are guessed first by anyone trying, so the
// family page warns about them before it takes one.
#include <string>

bool is_four_digits(const std::string& pin);

// Empty when the PIN is not an obvious guess; otherwise why it is, in a few plain words
// ("all four digits are the same").
std::string weak_pin_reason(const std::string& pin);
