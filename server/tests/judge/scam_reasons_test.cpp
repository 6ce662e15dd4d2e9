// A reason says only what the message holds: the number to call, the prize it claims, the
// fee it asks for, the brand it speaks as and the link's domain. Checked for every reason
// the judge gives over the whole corpus, tuning and held-back parts alike.
#include <gtest/gtest.h>

#include <string>

#include "judge/engine_test_support.h"
#include "judge/number_cues.h"
#include "judge/scam_engine.h"
#include "judge/text_scan.h"

namespace {

ScamAssessment judge(const std::string& message) {
  return assess_message(message, test_suffix_list());
}

bool has_phone_number(const std::string& message) {
  std::vector<NumberCueMark> marks;
  scan_number_cues(normalise_for_rules(message), &marks);
  for (const NumberCueMark& mark : marks)
    if (mark.cue == kCuePhone) return true;
  return false;
}

// Something@domain.tld, read here without the judge's help.
bool has_email_address(const std::string& lower) {
  for (size_t at = lower.find('@'); at != std::string::npos; at = lower.find('@', at + 1)) {
    size_t end = lower.find_first_of(" \n", at);
    std::string domain = lower.substr(at + 1, end == std::string::npos ? end : end - at - 1);
    if (at > 0 && lower[at - 1] != ' ' && domain.find('.') != std::string::npos) return true;
  }
  return false;
}

bool holds_any(const std::string& lower, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (lower.find(word) != std::string::npos) return true;
  return false;
}

// What a reason's words claim, and the words one of which the message must then hold.
struct Claim {
  const char* in_reason;
  std::initializer_list<const char*> text_holds;
};

const Claim kClaims[] = {
    {"won a lottery, draw or prize",
     {"win", "won", "prize", "draw", "lottery", "jackpot", "sweepstake", "free holiday", "award",
      "chosen to receive", "selected to receive"}},
    {"won a prize or been selected", {"win", "won", "prize", "lottery", "jackpot", "selected"}},
    {"small fee", {"fee", "charge", "duty", "postage", "pay"}},
    {"for a fee first", {"fee", "charge", "pay", "cost"}},
    {"gift cards, cryptocurrency",
     {"gift card", "itunes", "google play", "steam", "bitcoin", "crypto", "usdt", "western union",
      "moneygram"}},
    {"your PIN", {"pin"}},
    {"one-time code", {"code"}},
    {"WhatsApp or Telegram", {"whatsapp", "telegram"}},
    {"HMRC", {"hmrc", "hm revenue", "tax"}},
    {"DVLA", {"dvla", "vehicle tax", "car tax"}},
    {"TV licence", {"tv licen", "television licence"}},
    {"fee to deliver a parcel", {"parcel", "package", "deliver", "courier", "postage", "customs"}},
    {"a parcel could not", {"parcel", "package", "deliver", "courier", "shipment"}},
};

// A reason that says the message wants a call gives the number; one that says it wants a
// letter, the address. "Call the number on the back of your card" gives neither, and sends
// you to your own bank: no fake invoice then.
TEST(ScamReasons, ACallBackNeedsANumberOrAddressInTheMessage) {
  const std::string charge = "Your order of a MacBook for £1,849.00 has been charged to your "
                             "account. If you did not make this purchase ";
  ScamAssessment number = judge(charge + "call 0808 157 0981 immediately to cancel.");
  ScamAssessment email = judge(charge + "email refunds@order-desk.example today to cancel.");
  ScamAssessment own_bank = judge(charge + "call us on the number on the back of your card.");
  ASSERT_TRUE(assessment_has_rule(number, "invoice_callback"));
  ASSERT_TRUE(assessment_has_rule(email, "invoice_callback"));
  EXPECT_FALSE(assessment_has_rule(own_bank, "invoice_callback"));
  EXPECT_FALSE(assessment_has_rule(own_bank, "purchase_callback"));
  EXPECT_EQ(own_bank.verdict, SAFE_VERDICT);
  EXPECT_NE(number.reasons[0].find("a number in the message"), std::string::npos);
  EXPECT_NE(email.reasons[0].find("email address in the message"), std::string::npos);
  // A charge claimed is what the reason says: a price and a number to cancel are not one.
  EXPECT_FALSE(assessment_has_rule(
      judge("Reminder: your appointment is tomorrow at 3pm. Our fee is £42. If you need to "
            "cancel, give us 24 hours' notice on 0191 498 0765."),
      "invoice_callback"));
}

TEST(ScamReasons, APrizeReasonNeedsAPrizeDrawOrWin) {
  ScamAssessment letter = judge(
      "You may be entitled to a Pension Credit award of up to £3,900 a year, and you could "
      "have been selected for help with heating. To claim, have your bank details and date of "
      "birth ready and call 0808 157 0440 before the deadline.");
  EXPECT_FALSE(assessment_has_rule(letter, "lottery_prize"));
  ScamAssessment prize = judge("Congratulations, you have won £850,000 in our online draw. To "
                               "claim your prize send your bank details and pay the £25 fee.");
  EXPECT_TRUE(assessment_has_rule(prize, "lottery_prize"));
}

// Every reason given for every corpus message names only what is there.
TEST(ScamReasons, EveryReasonForEveryCorpusMessageIsTrueOfIt) {
  std::vector<LabelledMessage> corpus;
  for (const char* part : {"scam_corpus", "scam_corpus_heldback", "scam_corpus_heldback_uk",
                           "scam_corpus_notices", "scam_corpus_notices_heldback"}) {
    std::vector<LabelledMessage> messages =
        load_labelled_corpus(std::string(LS_CORPUS_DIR "/") + part + ".tsv");
    EXPECT_GE(messages.size(), 40u) << part;
    corpus.insert(corpus.end(), messages.begin(), messages.end());
  }
  int checked = 0;
  for (const LabelledMessage& m : corpus) {
    ScamAssessment result = judge(m.text);
    std::string lower = normalise_for_rules(m.text);
    for (const RuleHit& hit : result.hits) {
      ++checked;
      const bool phone = has_phone_number(m.text);
      const bool email = has_email_address(lower);
      if (hit.reason.find("a number in the message") != std::string::npos) {
        EXPECT_TRUE(phone) << hit.id << ": " << m.text;
      }
      if (hit.reason.find("email address in the message") != std::string::npos) {
        EXPECT_TRUE(email) << hit.id << ": " << m.text;
      }
      if (hit.reason.find("number or address in the message") != std::string::npos) {
        EXPECT_TRUE(phone || email) << hit.id << ": " << m.text;
      }
      for (const Claim& claim : kClaims) {
        if (hit.reason.find(claim.in_reason) == std::string::npos) continue;
        EXPECT_TRUE(holds_any(lower, claim.text_holds))
            << hit.id << " says \"" << claim.in_reason << "\": " << m.text;
      }
      const std::string says = "It says it is from ";
      if (hit.reason.compare(0, says.size(), says) == 0) {
        std::string brand =
            normalise_for_rules(hit.reason.substr(says.size(), hit.reason.find(',') - says.size()));
        if (brand.compare(0, 4, "the ") == 0) brand = brand.substr(4);
        EXPECT_NE(lower.find(brand), std::string::npos) << brand << ": " << m.text;
      }
      const std::string goes = "A link goes to ";
      if (hit.reason.compare(0, goes.size(), goes) == 0) {
        std::string domain = hit.reason.substr(goes.size());
        domain = domain.substr(0, domain.find_first_of(" :,"));
        EXPECT_NE(lower.find(domain), std::string::npos) << domain << ": " << m.text;
      }
    }
  }
  EXPECT_GT(checked, 600);
}

} // namespace
