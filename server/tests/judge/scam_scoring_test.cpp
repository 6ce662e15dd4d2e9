// The scoring rules that are easy to get wrong: negation, quoting, messages
// that talk about scams, length, and how close a family's cues must be.
#include <gtest/gtest.h>

#include <string>

#include "judge/engine_test_support.h"
#include "judge/family_rules.h"
#include "judge/length_fairness.h"
#include "judge/scam_engine.h"

namespace {

ScamAssessment judge(const std::string& message) {
  return assess_message(message, test_suffix_list());
}

int weight_of(const ScamAssessment& result, const char* id) {
  for (const RuleHit& hit : result.hits)
    if (hit.id == id) return hit.weight;
  return 0;
}

const char* const kAdvanceFee =
    "I am a bank auditor. A deceased customer left US$25 million in a dormant account with no "
    "next of kin. I will present you as the beneficiary and you keep 30%. Keep this strictly "
    "confidential and reply with your full name and private phone number.";

// Ordinary filler: a long genuine email's worth of words that trip no rule.
std::string filler(size_t bytes) {
  const std::string line = "The allotment society met on Tuesday to plan the summer show and "
                           "agreed the new path along the top plots. ";
  std::string text;
  while (text.size() < bytes)
    text += line;
  return text;
}

TEST(ScamNegation, ConditionalNotDoesNotCancelTheRequestAfterTheComma) {
  EXPECT_TRUE(assessment_has_rule(judge("Your Norton plan was renewed for £299.99. If this was not "
                                        "you, call our billing desk on 0808 157 0277."),
                                  "invoice_callback"));
  // Without "if", the negation still covers the rest of the sentence.
  EXPECT_FALSE(assessment_has_rule(judge("We will never ask for your card details, PIN or "
                                         "password."),
                                   "card_details"));
}

TEST(ScamNegation, WarningsWorkLikeNegations) {
  ScamAssessment warned = judge("Beware of anyone offering to unlock your pension early.");
  ScamAssessment offered = judge("We can unlock your pension early. Call now for a free review.");
  EXPECT_FALSE(assessment_has_rule(warned, "pension_unlock"));
  EXPECT_FALSE(assessment_has_rule(judge("If anyone offers to unlock your pension early, hang up."),
                                   "pension_unlock"));
  EXPECT_TRUE(assessment_has_rule(offered, "pension_unlock"));
}

TEST(ScamQuoting, QuotedWordsAndReplyQuotesDoNotCount) {
  EXPECT_EQ(judge(kAdvanceFee).verdict, SCAM_VERDICT);
  ScamAssessment quoted = judge(std::string("Did anyone else get this? \"") + kAdvanceFee + "\"");
  EXPECT_FALSE(assessment_has_rule(quoted, "advance_fee"));
  ScamAssessment replied = judge(std::string("Delete it, Derek.\n> ") + kAdvanceFee);
  EXPECT_EQ(replied.verdict, SAFE_VERDICT);
  // A quote mark that is never closed does not hide the rest of the letter.
  EXPECT_EQ(judge(std::string("He said \"read this. ") + kAdvanceFee).verdict, SCAM_VERDICT);
}

TEST(ScamTalk, ANewsReportAboutTheFraudIsSoftenedButTheFraudIsNot) {
  std::string report = std::string("Three men were jailed at Crown Court for an advance-fee "
                                   "fraud. Victims got letters like this: ") +
                       kAdvanceFee + " Police said: never reply, and report it to Action Fraud.";
  ScamAssessment news = judge(report);
  EXPECT_EQ(news.verdict, SAFE_VERDICT);
  EXPECT_GT(weight_of(news, "advance_fee"), 0);
  EXPECT_LE(weight_of(news, "advance_fee"), weight_of(judge(kAdvanceFee), "advance_fee") / 4);
}

TEST(ScamTalk, SomeTalkKeepsAFraudBelowScamButStillCautions) {
  // Two points of talk ("fraudsters"): softened to half, and never SCAM.
  ScamAssessment result = judge(std::string(kAdvanceFee) + " Fraudsters are everywhere.");
  EXPECT_EQ(result.verdict, CAUTION_VERDICT);
}

TEST(ScamTalk, RecoveryOffersSpeakOfScamsAndAreNotSoftenedForIt) {
  ScamAssessment result =
      judge("Lost money to an investment scam? Our recovery experts have "
            "traced your funds. Pay the £400 legal fee to get your money back.");
  EXPECT_TRUE(assessment_has_rule(result, "recovery_offer"));
  EXPECT_EQ(result.verdict, SCAM_VERDICT);
}

TEST(ScamLength, SinglePhraseRulesCountLessInLongMessages) {
  EXPECT_EQ(length_fair_weight(30, 400), 30);
  EXPECT_EQ(length_fair_weight(30, kFullWeightBytes), 30);
  EXPECT_EQ(length_fair_weight(30, kFullWeightBytes * 3 / 2), 20);
  EXPECT_EQ(length_fair_weight(30, 6000), 15);
  EXPECT_EQ(length_fair_weight(35, 6000), 18);

  const std::string ask = "Please pay the fine in Google Play cards. ";
  EXPECT_EQ(weight_of(judge(ask), "gift_cards_crypto"), 35);
  EXPECT_EQ(weight_of(judge(ask + filler(5000)), "gift_cards_crypto"), 18);
}

TEST(ScamLength, AFraudLetterInsideALongEmailIsNotDiluted) {
  int alone = weight_of(judge(kAdvanceFee), "advance_fee");
  ScamAssessment padded = judge(filler(2500) + kAdvanceFee + filler(2500));
  EXPECT_EQ(weight_of(padded, "advance_fee"), alone);
  EXPECT_EQ(padded.verdict, SCAM_VERDICT);
}

TEST(ScamLength, CuesFarApartInALongEmailDoNotMakeAFamily) {
  // Each part alone is one cue group of the lottery family; together in a
  // short text they would be two.
  const std::string win = "Congratulations to Ruth, who has won the photo prize. ";
  const std::string fee = "Please pay the hall hire fee to the treasurer. ";
  EXPECT_TRUE(assessment_has_rule(judge(win + fee), "lottery_prize"));
  EXPECT_FALSE(
      assessment_has_rule(judge(win + filler(kFamilyWindow + 100) + fee), "lottery_prize"));
}

TEST(ScamFamilies, WeightNeedsTheRequiredGroupsAndEnoughOfThem) {
  const char* const cues[] = {"x", nullptr};
  const CueGroup groups[] = {{20, cues, true}, {15, cues, true}, {10, cues, true}};
  FamilyRule rule = {"test", groups, 3, 1u << 0, (1u << 1) | (1u << 2), 2, 40, false,
                     "",     "",     0, false};
  EXPECT_EQ(family_weight(rule, 0b011), 35);
  EXPECT_EQ(family_weight(rule, 0b101), 30);
  EXPECT_EQ(family_weight(rule, 0b111), 40) << "capped";
  EXPECT_EQ(family_weight(rule, 0b110), 0) << "group 0 is required";
  EXPECT_EQ(family_weight(rule, 0b001), 0) << "needs one of groups 1 and 2";
  rule.min_groups = 3;
  EXPECT_EQ(family_weight(rule, 0b011), 0);
  rule.min_groups = 2;
  rule.also_any = 1u << 2;
  EXPECT_EQ(family_weight(rule, 0b011), 0) << "group 2 is wanted as well";
  EXPECT_EQ(family_weight(rule, 0b101), 30);
}

TEST(ScamFamilies, ReasonsNameTheFamilyStrongestFirst) {
  ScamAssessment result = judge(kAdvanceFee);
  ASSERT_FALSE(result.reasons.empty());
  EXPECT_EQ(result.hits[0].id, "advance_fee");
  EXPECT_NE(result.reasons[0].find("advance-fee fraud"), std::string::npos);
  EXPECT_LE(result.reasons.size(), kMaxShownReasons);
}

} // namespace
