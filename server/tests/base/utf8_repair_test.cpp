#include <gtest/gtest.h>

#include "base/utf8_repair.h"

namespace {

const char* const kReplacement = "\xEF\xBF\xBD";

TEST(Utf8Repair, WellFormedTextIsUnchanged) {
  std::string text = "plain caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(repair_utf8(text), text);
}

TEST(Utf8Repair, CharacterCutAtTheEndBecomesReplacement) {
  EXPECT_EQ(repair_utf8("caf\xC3"), std::string("caf") + kReplacement);
  EXPECT_EQ(repair_utf8("\xE2\x82"), std::string(kReplacement) + kReplacement);
}

TEST(Utf8Repair, InvalidSequencesAreReplacedBytewise) {
  EXPECT_EQ(repair_utf8("a\xFF"
                        "b"),
            std::string("a") + kReplacement + "b");
  EXPECT_EQ(repair_utf8("\xC0\xAF"), std::string(kReplacement) + kReplacement); // overlong
  EXPECT_EQ(repair_utf8("\xED\xA0\x80"),
            std::string(kReplacement) + kReplacement + kReplacement); // surrogate
  EXPECT_EQ(repair_utf8("\xF4\x90\x80\x80").size(), 12u);             // beyond U+10FFFF
}

} // namespace
