#include "api/guardian_pin_rules.h"

bool is_four_digits(const std::string& pin) {
  if (pin.size() != 4) return false;
  for (char c : pin) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int64_t guardian_lock_seconds(int earlier_lockouts) {
  static const int64_t kLadder[] = {15 * 60, 60 * 60, 4 * 60 * 60, 24 * 60 * 60};
  if (earlier_lockouts < 0) earlier_lockouts = 0;
  if (earlier_lockouts > 3) earlier_lockouts = 3;
  return kLadder[earlier_lockouts];
}

std::string weak_pin_reason(const std::string& pin) {
  if (!is_four_digits(pin)) return std::string();
  int d[4];
  for (int i = 0; i < 4; ++i)
    d[i] = pin[i] - '0';
  if (d[0] == d[1] && d[1] == d[2] && d[2] == d[3]) return "all four digits are the same";
  bool up = true;
  bool down = true;
  for (int i = 1; i < 4; ++i) {
    up = up && d[i] == (d[i - 1] + 1) % 10;
    down = down && d[i] == (d[i - 1] + 9) % 10;
  }
  if (up || down) return "the digits run in order";
  if (d[0] == d[2] && d[1] == d[3]) return "it is one pair of digits twice";
  if (d[0] == d[1] && d[2] == d[3]) return "it is two doubled digits";
  // Straight down the middle of a keypad, either way.
  if (pin == "2580" || pin == "0852") return "it is a straight line on the keypad";
  const int year = d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3];
  if (year >= 1920 && year <= 2039) return "it could be a year, such as a birth year";
  return std::string();
}
