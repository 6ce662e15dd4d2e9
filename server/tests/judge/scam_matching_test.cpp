// The one-pass readers the rules stand on: the phrase index, the number cues
// and the context (negation, quotes) of each place in a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "judge/number_cues.h"
#include "judge/phrase_index.h"
#include "judge/text_context.h"

namespace {

std::vector<std::string> found(const std::vector<std::string>& phrases, const std::string& text) {
  PhraseIndex index;
  for (const std::string& phrase : phrases)
    phrase_index_add(&index, phrase);
  phrase_index_build(&index);
  std::vector<PhraseMatch> matches;
  phrase_index_scan(index, text, &matches);
  std::vector<std::string> out;
  for (const PhraseMatch& m : matches)
    out.push_back(index.phrases[m.phrase] + "@" + std::to_string(m.start));
  return out;
}

std::vector<NumberCue> cues(const std::string& words) {
  std::vector<NumberCueMark> marks;
  scan_number_cues(words, &marks);
  std::vector<NumberCue> out;
  for (const NumberCueMark& m : marks)
    out.push_back(m.cue);
  return out;
}

TEST(ScamPhraseIndex, FindsOverlappingAndNestedPhrasesOnWordBoundaries) {
  EXPECT_EQ(found({"next of kin", "kin", "of kin"}, "the next of kin"),
            (std::vector<std::string>{"next of kin@4", "of kin@9", "kin@12"}));
  EXPECT_EQ(found({"pin"}, "spinning pin, pin."), (std::vector<std::string>{"pin@9", "pin@14"}));
  // An edge that is not a letter or digit needs no boundary: "fee of £" then a digit.
  EXPECT_EQ(found({"fee of \xC2\xA3"}, "a fee of \xC2\xA3"
                                       "1.99"),
            (std::vector<std::string>{"fee of \xC2\xA3@2"}));
  EXPECT_EQ(found({"caf"}, "caf\xC3\xA9"), std::vector<std::string>{}) << "é continues the word";
}

TEST(ScamPhraseIndex, SamePhraseGetsTheSameNumberAndEmptyIndexFindsNothing) {
  PhraseIndex index;
  EXPECT_EQ(phrase_index_add(&index, "gift card"), phrase_index_add(&index, "gift card"));
  PhraseIndex empty;
  phrase_index_build(&empty);
  std::vector<PhraseMatch> matches;
  phrase_index_scan(empty, "anything at all", &matches);
  EXPECT_TRUE(matches.empty());
  EXPECT_TRUE(empty.complete);
}

TEST(ScamNumberCues, SumsSharesAndPhoneNumbers) {
  EXPECT_EQ(cues("\xC2\xA3"
                 "1.99"),
            (std::vector<NumberCue>{kCueAmount}));
  EXPECT_EQ(cues("us$25,000,000"), (std::vector<NumberCue>{kCueAmount, kCueLargeSum}));
  EXPECT_EQ(cues("\xC2\xA3"
                 "9.2m in"),
            (std::vector<NumberCue>{kCueAmount, kCueLargeSum}));
  EXPECT_EQ(cues("12 million dollars"), (std::vector<NumberCue>{kCueLargeSum}));
  EXPECT_EQ(cues("a 5m walk"), std::vector<NumberCue>{}) << "metres, not millions";
  EXPECT_EQ(cues("keep 30% and 60/40"), (std::vector<NumberCue>{kCuePercent, kCueSplit}));
  EXPECT_EQ(cues("3/4 of it"), std::vector<NumberCue>{}) << "not a split of a hundred";
  EXPECT_EQ(cues("call 0808 157 0277 now"), (std::vector<NumberCue>{kCuePhone}));
  EXPECT_EQ(cues("order 204-88123"), std::vector<NumberCue>{});
}

TEST(ScamTextContext, NegationReachesAcrossTheSentenceOnly) {
  std::string text = "we will never ask for your pin. send your pin.";
  TextContext context = read_text_context(text);
  EXPECT_TRUE(negated_at(context, static_cast<uint32_t>(text.find("pin"))));
  EXPECT_FALSE(negated_at(context, static_cast<uint32_t>(text.rfind("pin"))));
  std::string warning = "if anyone asks for your pin, send them your pin";
  TextContext warned = read_text_context(warning);
  EXPECT_TRUE(negated_at(warned, static_cast<uint32_t>(warning.find("pin"))));
  EXPECT_FALSE(negated_at(warned, static_cast<uint32_t>(warning.rfind("pin")))) << "ends at comma";
  std::string condition = "if this was not you, send your pin";
  EXPECT_FALSE(
      negated_at(read_text_context(condition), static_cast<uint32_t>(condition.find("send"))));
  std::string far = "not " + std::string(kNegationReach, 'x') + " pin";
  EXPECT_FALSE(negated_at(read_text_context(far), static_cast<uint32_t>(far.find("pin"))));
}

TEST(ScamTextContext, QuotesPairWithinALineAndReplyLinesAreQuoted) {
  std::string text = "he said \"pay now\" then pay\n> pay later\nan \"open quote\nand pay";
  TextContext context = read_text_context(text);
  EXPECT_TRUE(quoted_at(context, static_cast<uint32_t>(text.find("pay now"))));
  EXPECT_FALSE(quoted_at(context, static_cast<uint32_t>(text.find("pay\n"))));
  EXPECT_TRUE(quoted_at(context, static_cast<uint32_t>(text.find("pay later"))));
  EXPECT_FALSE(quoted_at(context, static_cast<uint32_t>(text.rfind("pay"))));
}

} // namespace
