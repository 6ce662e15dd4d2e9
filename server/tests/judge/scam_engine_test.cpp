#include <gtest/gtest.h>

#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"

namespace {

ScamAssessment judge(const std::string& message) {
  return assess_message(message, test_suffix_list());
}

TEST(ScamVerdict, PlainMessageIsSafeWithReassuringAdvice) {
  ScamAssessment result = judge("Lovely to see you yesterday, let's do it again soon x");
  EXPECT_EQ(result.verdict, SAFE_VERDICT);
  EXPECT_EQ(result.score, 0);
  EXPECT_TRUE(result.reasons.empty());
  EXPECT_EQ(result.headline, "No obvious scam tricks spotted.");
  EXPECT_FALSE(result.advice.empty());
}

TEST(ScamVerdict, ScoreIsCappedAtOneHundredAndShowsFourStrongestReasons) {
  ScamAssessment result = judge("Royal Mail: URGENT final notice. Your parcel has an unpaid "
                                "redelivery fee of £1.99. Enter your card "
                                "details, PIN and date of birth at https://royalmail-fees.top "
                                "within 24 hours or you will be arrested.");
  EXPECT_EQ(result.verdict, SCAM_VERDICT);
  EXPECT_EQ(result.score, 100);
  ASSERT_GT(result.hits.size(), kMaxShownReasons);
  ASSERT_EQ(result.reasons.size(), kMaxShownReasons);
  EXPECT_EQ(result.hits[0].id, "brand_lookalike_domain");
  for (size_t i = 1; i < result.hits.size(); ++i)
    EXPECT_GE(result.hits[i - 1].weight, result.hits[i].weight);
  for (size_t i = 0; i < kMaxShownReasons; ++i)
    EXPECT_EQ(result.reasons[i], result.hits[i].reason);
  EXPECT_NE(result.advice.find("7726"), std::string::npos);
  EXPECT_NE(result.advice.find("159"), std::string::npos);
}

TEST(ScamVerdict, ThresholdsSeparateSafeCautionAndScam) {
  ScamAssessment weak = judge("Please reply urgently");
  EXPECT_EQ(weak.score, 10);
  EXPECT_EQ(weak.verdict, SAFE_VERDICT);
  EXPECT_EQ(weak.reasons.size(), 1u);

  ScamAssessment middle = judge("Your parcel has an unpaid customs charge");
  EXPECT_GE(middle.score, kCautionThreshold);
  EXPECT_LT(middle.score, kScamThreshold);
  EXPECT_EQ(middle.verdict, CAUTION_VERDICT);
  EXPECT_EQ(middle.headline, "Be careful: this message has warning signs.");

  ScamAssessment strong =
      judge("Your parcel has an unpaid customs charge. Pay at https://evri-customs.top");
  EXPECT_GE(strong.score, kScamThreshold);
  EXPECT_EQ(strong.verdict, SCAM_VERDICT);
}

TEST(ScamVerdict, EachRuleCountsOnceHoweverOftenItMatches) {
  ScamAssessment result = judge("Act now: urgent urgent urgent URGENT, immediately");
  EXPECT_EQ(result.score, 10);
  EXPECT_EQ(result.hits.size(), 1u);
}

TEST(ScamVerdict, ReasonNamesTheOffendingDomain) {
  ScamAssessment result = judge("Sign in at https://login.hsbc-secure-uk.com/verify");
  ASSERT_TRUE(assessment_has_rule(result, "brand_lookalike_domain"));
  EXPECT_NE(result.reasons[0].find("hsbc-secure-uk.com"), std::string::npos);
  EXPECT_NE(result.reasons[0].find("HSBC"), std::string::npos);
}

TEST(ScamVerdict, EveryShownTextFitsTheProgramsFields) {
  // The program keeps at most 319 bytes of each reason and 767 of the advice.
  ScamAssessment result =
      judge("HMRC DVLA TV Licence energy rebate. Hi Mum new number, pay bill. AnyDesk. safe "
            "account. gift cards. "
            "your PIN, card details, date of birth. Don't tell the bank. https://bit.ly/x "
            "http://1.2.3.4/x "
            "https://xn--pple-43d.com https://paypa1.top https://www.paypal.com@evil.top");
  EXPECT_EQ(result.verdict, SCAM_VERDICT);
  for (const RuleHit& hit : result.hits) {
    EXPECT_LT(hit.reason.size(), 320u) << hit.id;
    EXPECT_LT(hit.advice.size() + 300, 768u) << hit.id;
  }
  EXPECT_LT(result.advice.size(), 768u);
}

TEST(ScamVerdict, VeryLongAddressesAreShortenedInReasons) {
  std::string label(60, 'a');
  ScamAssessment result =
      judge("Pay at https://royalmail-" + label + "." + label + "." + label + ".top/pay");
  ASSERT_TRUE(assessment_has_rule(result, "brand_lookalike_domain"));
  for (const std::string& reason : result.reasons) {
    EXPECT_LT(reason.size(), 320u);
    EXPECT_EQ(reason.find(label + "." + label), std::string::npos);
  }
}

TEST(ScamVerdict, EmptyAndBinaryInputsAreJudgedWithoutTrouble) {
  EXPECT_EQ(judge("").verdict, SAFE_VERDICT);
  std::string binary("\x00\xff\xfe http://\x80\x81.top/ \x01", 20);
  ScamAssessment result = judge(binary);
  EXPECT_LE(result.score, 100);
}

} // namespace
