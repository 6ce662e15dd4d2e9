#include <gtest/gtest.h>

#include "judge/text_scan.h"

namespace {

TEST(TextNormalise, LowerCasesAndFoldsTypography) {
  EXPECT_EQ(normalise_for_rules("Don\xE2\x80\x99t  PAY\t\xE2\x80\x94 now"), "don't pay - now");
  EXPECT_EQ(normalise_for_rules("Line one\r\n\r\n  Line two"), "line one\nline two");
  EXPECT_EQ(normalise_for_rules("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(PhraseMatch, RespectsWordBoundaries) {
  EXPECT_TRUE(phrase_present("please send your pin now", "your pin", false));
  EXPECT_FALSE(phrase_present("keep your pinball safe", "your pin", false));
  EXPECT_FALSE(phrase_present("spinning", "pin", false));
  EXPECT_TRUE(phrase_present("pay £1.99 today", "pay £1", false));
}

TEST(PhraseMatch, NegationInSameSentenceCancelsWhenHonoured) {
  std::string text = normalise_for_rules("We will never ask for your PIN. Call us.");
  EXPECT_FALSE(phrase_present(text, "your pin", true));
  EXPECT_TRUE(phrase_present(text, "your pin", false));
}

TEST(PhraseMatch, NegationDoesNotCrossSentences) {
  std::string text = normalise_for_rules("Do not worry. Reply with your PIN to continue.");
  EXPECT_TRUE(phrase_present(text, "your pin", true));
}

TEST(PhraseMatch, NegationFarBackDoesNotCount) {
  std::string text = normalise_for_rules("It is not a problem and we are happy to help you with "
                                         "this and everything else today so please send your pin");
  EXPECT_TRUE(phrase_present(text, "your pin", true));
}

TEST(PhraseMatch, LaterUnnegatedOccurrenceStillCounts) {
  std::string text = normalise_for_rules("Never share your PIN with staff. Now type your PIN here");
  EXPECT_TRUE(phrase_present(text, "your pin", true));
}

TEST(PhraseMatch, ListHelperHandlesNullList) {
  const char* const phrases[] = {"gift card", "bitcoin", nullptr};
  EXPECT_TRUE(any_phrase_present("pay in bitcoin", phrases, true));
  EXPECT_FALSE(any_phrase_present("pay by card", phrases, true));
  EXPECT_FALSE(any_phrase_present("anything", nullptr, true));
}

} // namespace
