#include <gtest/gtest.h>

#include "base/identifier.h"

namespace {

std::string normalised(const std::string& typed) {
  std::string out;
  return normalise_identifier(typed, &out) ? out : "<refused>";
}

TEST(IdentifierMobile, UkSpellingsBecomeOneForm) {
  EXPECT_EQ(normalised("07700 900123"), "07700900123");
  EXPECT_EQ(normalised("07700900123"), "07700900123");
  EXPECT_EQ(normalised("+447700900123"), "07700900123");
  EXPECT_EQ(normalised("+44 7700 900123"), "07700900123");
  EXPECT_EQ(normalised("+44 (0)7700 900123"), "07700900123");
  EXPECT_EQ(normalised("0044 7700 900123"), "07700900123");
  EXPECT_EQ(normalised("447700900123"), "07700900123");
  EXPECT_EQ(normalised(" 07700-900-123\r\n"), "07700900123");
}

TEST(IdentifierMobile, OtherNumbersAreRefused) {
  EXPECT_EQ(normalised("0191 498 0123"), "<refused>");
  EXPECT_EQ(normalised("+1 7700 900123"), "<refused>");
  EXPECT_EQ(normalised("0770090012"), "<refused>");
  EXPECT_EQ(normalised("077009001234"), "<refused>");
  EXPECT_EQ(normalised("07700 90012x"), "<refused>");
  EXPECT_EQ(normalised("0+7700900123"), "<refused>");
  EXPECT_EQ(normalised(""), "<refused>");
  EXPECT_EQ(normalised("   "), "<refused>");
}

TEST(IdentifierEmail, LowerCasedAndChecked) {
  EXPECT_EQ(normalised(" Jane.Doe+news@Example.CO.UK "), "jane.doe+news@example.co.uk");
  EXPECT_EQ(normalised("jane@localhost"), "<refused>");
  EXPECT_EQ(normalised("@example.com"), "<refused>");
  EXPECT_EQ(normalised("jane@@example.com"), "<refused>");
  EXPECT_EQ(normalised("jane doe@example.com"), "<refused>");
  EXPECT_EQ(normalised("jane@example..com"), "<refused>");
  EXPECT_EQ(normalised("jane@ex_ample.com"), "<refused>");
  EXPECT_EQ(normalised(std::string(65, 'a') + "@example.com"), "<refused>");
  EXPECT_EQ(normalised("j\xC3\xA9@example.com"), "<refused>");
}

TEST(IdentifierMask, ShowsOnlyEnoughToRecognise) {
  EXPECT_EQ(mask_identifier("jane@example.com"), "j***@example.com");
  EXPECT_EQ(mask_identifier("07700900123"), "07*** ***123");
}

} // namespace
