// Who a message speaks to and as whom: a fraud family counts cues in sentences
// that speak to the reader, and "it says it is from X" needs the message to
// speak as X.
#include <gtest/gtest.h>

#include <string>

#include "judge/brand_claims.h"
#include "judge/engine_test_support.h"
#include "judge/family_rules.h"
#include "judge/scam_engine.h"
#include "judge/text_context.h"
#include "judge/text_scan.h"

namespace {

ScamAssessment judge(const std::string& message) {
  return assess_message(message, test_suffix_list());
}

TEST(ScamVoice, SentencesThatSpeakToTheReaderOrAskAreAddressed) {
  EXPECT_EQ(sentence_voice("call 0808 157 0123 today."), kAddressed);
  EXPECT_EQ(sentence_voice("your inheritance is waiting."), kAddressed);
  EXPECT_EQ(sentence_voice("kindly send the fee to our agent."), kAddressed);
  EXPECT_EQ(sentence_voice("limited spaces, sign up today."), kAddressed);
  EXPECT_EQ(sentence_voice("exclusive offer: join our club for £50."), kAddressed);
  EXPECT_EQ(sentence_voice("want me to get you in?"), kAddressed);
  EXPECT_EQ(sentence_voice("shall we talk about the money?"), kAddressed);
}

TEST(ScamVoice, ThirdPersonAndTheWritersOwnSentencesAreNot) {
  EXPECT_EQ(sentence_voice("the court heard that the man, 45, took £92,000."), kNarrative);
  EXPECT_EQ(sentence_voice("the u.s. treasury holds the fund."), kNarrative);
  EXPECT_EQ(sentence_voice("callers pretend to be from the bank."), kNarrative);
  EXPECT_EQ(sentence_voice("we have raised the duties on imports."), kFirstPerson);
  EXPECT_EQ(sentence_voice("i thought i would sail about a little."), kFirstPerson);
  // Only the first sentence counts.
  EXPECT_EQ(sentence_voice("the fund grew. you should call."), kNarrative);
}

TEST(ScamVoice, AStretchSpeaksToTheReaderWhenAThirdOfItsSentencesDo) {
  const std::string text = "the board met in march. the treasurer said the hall fund grew. "
                           "we thanked him. you can read the minutes online. "
                           "our bot trades all day. join now. send your fee today.";
  TextContext context = read_text_context(text);
  const uint32_t minutes = static_cast<uint32_t>(text.find("you can"));
  const uint32_t bot = static_cast<uint32_t>(text.find("our bot"));
  const uint32_t fee = static_cast<uint32_t>(text.find("fee"));
  EXPECT_FALSE(speaks_to_reader_between(context, 0, minutes)) << "one sentence in four";
  EXPECT_TRUE(speaks_to_reader_between(context, bot, fee)) << "two sentences in three";
  EXPECT_TRUE(speaks_to_reader_between(context, fee, fee));
  EXPECT_FALSE(speaks_to_reader_between(context, bot, bot)) << "the writer alone";
  EXPECT_FALSE(speaks_to_reader_between(context, fee, static_cast<uint32_t>(text.size()) + 5))
      << "past the end";
}

TEST(ScamVoice, AFamilyNeedsOneGroupSpokenToTheReaderAndWeighsTheRestByVoice) {
  CueGroup groups[] = {{20, nullptr, true}, {20, nullptr, true}, {40, nullptr, true}};
  FamilyRule rule = {"test", groups, 3, 0, 0, 2, 85, false, "", "", 0, false};
  const uint32_t all = 7;
  EXPECT_EQ(family_weight_in_voice(rule, all, 0, all), 0) << "nobody is asked anything";
  EXPECT_EQ(family_weight_in_voice(rule, all, 0, 0), 0);
  EXPECT_EQ(family_weight_in_voice(rule, all, all, 0), 80);
  // Group 2 addressed: 40, the writer's group 0 a quarter (5), narrative group 1 nothing.
  EXPECT_EQ(family_weight_in_voice(rule, all, 4, 1), 45);
  EXPECT_EQ(family_weight_in_voice(rule, 1, 1, 0), 0) << "min_groups counts every voice";
  EXPECT_EQ(family_weight(rule, all), 80);
}

TEST(ScamVoice, AReportOfAnInheritanceFraudIsNotTheFraud) {
  const std::string report =
      "The court heard that the widow of a late oil minister wrote to hundreds of strangers. "
      "She said a dormant account held $9.5 million and promised each a 30% share for "
      "helping to move the funds abroad. Victims paid a clearance fee to a diplomat in "
      "strict confidence. The defendant was jailed for six years.";
  const std::string letter =
      "I am the widow of the late oil minister. A dormant account holds $9.5 million and you "
      "will get a 30% share for helping to move the funds abroad. Send your full name and "
      "the clearance fee to our diplomat, and keep this strictly confidential.";
  ScamAssessment told = judge(report);
  EXPECT_FALSE(assessment_has_rule(told, "advance_fee")) << told.score;
  EXPECT_EQ(told.verdict, SAFE_VERDICT);
  ScamAssessment asked = judge(letter);
  EXPECT_TRUE(assessment_has_rule(asked, "advance_fee"));
  EXPECT_EQ(asked.verdict, SCAM_VERDICT);
}

TEST(ScamClaims, AMessageSpeaksAsABrandOnlyInItsOwnVoice) {
  const std::string opening = "royal mail: your parcel is waiting.";
  EXPECT_TRUE(speaks_as_brand_at(opening, 0, 10));
  const std::string signoff = "please verify your details below.\nlloyds bank security team";
  EXPECT_TRUE(speaks_as_brand_at(signoff, signoff.find("lloyds"), 11));
  const std::string this_is = "hello, this is the weekly note and this is amazon calling about "
                              "an order placed on the account yesterday evening.";
  EXPECT_TRUE(speaks_as_brand_at(this_is, this_is.find("amazon"), 6));
  const std::string news = "prices rose sharply this year and the chief executive of royal mail "
                           "said stamps would cost more from april, the company confirmed.";
  EXPECT_FALSE(speaks_as_brand_at(news, news.find("royal mail"), 10));
  EXPECT_FALSE(speaks_as_brand_at(news, static_cast<uint32_t>(news.size()), 10))
      << "a mention past the end is no claim";
}

TEST(ScamClaims, NamingABrandBesideALinkIsNotClaimingIt) {
  ScamAssessment news =
      judge("Shares in technology firms fell on Tuesday after a report that Microsoft and other "
            "large companies would cut spending on new data centres over the next two years, "
            "analysts said. Full story: https://news.example/markets/tech-shares");
  EXPECT_FALSE(assessment_has_rule(news, "claimed_brand_other_link"));
  ScamAssessment phish = judge("Your licence has expired. Renew it here: "
                               "https://licence-renewals.example/renew\n\nMicrosoft Security Team");
  ASSERT_TRUE(assessment_has_rule(phish, "claimed_brand_other_link"));
  EXPECT_NE(phish.hits[0].reason.find("Microsoft"), std::string::npos);
}

} // namespace
