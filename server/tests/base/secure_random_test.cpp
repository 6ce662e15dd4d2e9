#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/secure_random.h"

namespace {

TEST(SecureRandom, HexHasTwoDigitsPerByteAndVaries) {
  std::string first;
  std::string second;
  ASSERT_TRUE(random_hex(16, &first));
  ASSERT_TRUE(random_hex(16, &second));
  EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{32}")));
  EXPECT_NE(first, second);
  EXPECT_FALSE(random_hex(0, &first));
}

TEST(SecureRandom, CodesAreSixDigitsWithLeadingZerosKept) {
  std::set<std::string> seen;
  bool leading_zero = false;
  for (int i = 0; i < 2000; ++i) {
    std::string code;
    ASSERT_TRUE(random_six_digit_code(&code));
    ASSERT_EQ(code.size(), 6u);
    ASSERT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
    leading_zero = leading_zero || code[0] == '0';
    seen.insert(code);
  }
  EXPECT_TRUE(leading_zero); // about 1 in 10 codes; missing in 2000 means they are being dropped
  EXPECT_GT(seen.size(), 1900u);
}

} // namespace
