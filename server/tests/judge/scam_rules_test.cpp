// One group per family of rules: each rule must fire on a typical scam
// wording and stay quiet on the genuine wording it is most easily confused with.
#include <gtest/gtest.h>

#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"

namespace {

bool fires(const std::string& message, const char* rule) {
  return assessment_has_rule(assess_message(message, test_suffix_list()), rule);
}

TEST(BankScamRules, SafeAccountStory) {
  EXPECT_TRUE(fires("This is your bank's fraud team. Move your money to a safe account today.",
                    "safe_account"));
  EXPECT_FALSE(fires("We will never ask you to move money to a safe account.", "safe_account"));
}

TEST(BankScamRules, PinAndOneTimeCodeRequests) {
  EXPECT_TRUE(fires("To stop the payment please confirm your PIN number by reply", "pin_request"));
  EXPECT_FALSE(
      fires("Your new card is on its way. Never share your PIN with anyone.", "pin_request"));
  EXPECT_TRUE(
      fires("Hi, I sent you a code by mistake, can you send it back to me?", "one_time_code"));
  EXPECT_TRUE(fires("Our agent will call. Read out the code we text you.", "one_time_code"));
  EXPECT_FALSE(fires("Your code is 482913. Never share this code with anyone.", "one_time_code"));
}

TEST(BankScamRules, CardPersonalAndTransferRequests) {
  EXPECT_TRUE(
      fires("Please update your card details and CVV to keep your account open", "card_details"));
  EXPECT_FALSE(fires("We will never ask for your card details by text.", "card_details"));
  EXPECT_TRUE(fires("Confirm your date of birth and memorable word", "personal_details"));
  EXPECT_TRUE(fires("Transfer the money to the new payee now", "money_transfer"));
  EXPECT_TRUE(fires("Pay the fine in Google Play cards or Bitcoin", "gift_cards_crypto"));
  EXPECT_TRUE(fires("Do not tell the bank staff why you are withdrawing the cash", "safe_secrecy"));
}

TEST(BankScamRules, AlertsCountOnlyWithUnknownLinks) {
  EXPECT_TRUE(fires("Unusual activity on your account. Verify your identity at secure-login-uk.com",
                    "account_alert_link"));
  EXPECT_FALSE(fires("Unusual activity on your account. Please open the app to check.",
                     "account_alert_link"));
  EXPECT_TRUE(fires("Did you authorise £450 to J SMITH? If not, visit stop-payment-uk.net",
                    "payment_alert_link"));
  EXPECT_FALSE(fires("Did you authorise £450 to J SMITH? If not, visit https://www.hsbc.co.uk",
                     "payment_alert_link"));
}

TEST(DeliveryScamRules, FeesAndUndeliveredParcels) {
  EXPECT_TRUE(fires("Your parcel is held. A redelivery fee of £1.45 is due", "parcel_fee"));
  EXPECT_TRUE(fires("Your package has an unpaid customs charge", "parcel_fee"));
  EXPECT_FALSE(fires("Your order of £1.45 was delivered", "parcel_fee"));
  EXPECT_TRUE(
      fires("We missed you. Reschedule your delivery at parcel-resched.info", "parcel_story"));
  EXPECT_FALSE(
      fires("We missed you. Reschedule your delivery at https://www.royalmail.com/redelivery",
            "parcel_story"));
  EXPECT_FALSE(fires("We missed you today, we'll try again tomorrow.", "parcel_story"));
}

TEST(OfficialBodyScamRules, HmrcDvlaEnergyAndTvLicence) {
  EXPECT_TRUE(fires("HMRC: you are due a tax refund of £312.40. Claim now at hmrc-refund-uk.info",
                    "hmrc_story"));
  // A story with no way to reach its writer asks nothing of the reader.
  EXPECT_FALSE(fires("HMRC: you are due a tax refund of £312.40. Claim now", "hmrc_story"));
  EXPECT_FALSE(
      fires("HMRC: your Self Assessment return is due by 31 January. Find out more on GOV.UK",
            "hmrc_story"));
  EXPECT_TRUE(fires("DVLA: your vehicle tax payment failed. Update your details at dvla-renew.top",
                    "dvla_story"));
  EXPECT_FALSE(
      fires("Your vehicle tax is due on 1 March. Tax your vehicle at www.gov.uk/vehicle-tax",
            "dvla_story"));
  EXPECT_TRUE(fires("You are eligible for a £400 energy rebate. Claim it here", "energy_rebate"));
  EXPECT_TRUE(fires("Your TV Licence has expired. Pay now to avoid prosecution: call 0808 157 0420",
                    "tv_licence"));
  EXPECT_FALSE(fires("Your TV Licence renews on 1 April. No action is needed.", "tv_licence"));
}

TEST(FamilyScamRules, NewNumberAndMoneyRequests) {
  EXPECT_TRUE(fires("Hi Mum, I dropped my phone, this is my new number. Can you pay a bill for me?",
                    "new_number_money"));
  EXPECT_FALSE(
      fires("Hi Dad, this is my new number, save it! See you Sunday x", "new_number_money"));
  EXPECT_TRUE(fires("Hi mum it's urgent, I can't access my bank", "family_money"));
  EXPECT_FALSE(fires("Hi Mum, can you pick me up from the station at 5?", "family_money"));
  EXPECT_TRUE(fires("Message me on WhatsApp on this number", "whatsapp_move"));
}

TEST(PressureRules, UrgencyAndThreats) {
  EXPECT_TRUE(fires("Act now or lose access", "urgency"));
  EXPECT_TRUE(fires("Pay within 24 hours or a warrant will be issued for your arrest", "threats"));
  EXPECT_TRUE(fires("If you do not pay today your account will be suspended", "threats"));
  EXPECT_FALSE(fires("See you tomorrow at the cafe", "urgency"));
}

TEST(ComputerScamRules, RemoteAccessAndTechSupport) {
  EXPECT_TRUE(fires("Please download AnyDesk so our technician can help", "remote_access"));
  EXPECT_TRUE(fires("Your computer is infected. Call Microsoft Support", "tech_support"));
  EXPECT_TRUE(fires("Your Norton plan has been renewed for £299.99. Call to cancel",
                    "subscription_renewal"));
}

TEST(OtherScamRules, PrizesInvestmentsJobsAndRefunds) {
  EXPECT_TRUE(fires("Congratulations, you have won a £500 voucher", "prize"));
  EXPECT_TRUE(fires("Guaranteed returns of 30% a month on our trading platform", "investment"));
  EXPECT_TRUE(
      fires("Part-time job, earn £300 per day, contact our recruiter on WhatsApp", "job_offer"));
  EXPECT_TRUE(fires("You are owed a refund from your energy supplier", "refund_claim"));
}

TEST(LinkRules, WhereTheLinkReallyGoes) {
  EXPECT_TRUE(
      fires("Track here: https://royalmail-redelivery.top/track", "brand_lookalike_domain"));
  EXPECT_TRUE(fires("Sign in: https://barcleys-secure.com", "brand_misspelt_domain"));
  EXPECT_TRUE(fires("Open http://81.2.69.160/login now", "ip_link"));
  EXPECT_TRUE(fires("Log in at https://xn--pple-43d.com", "lookalike_letters"));
  EXPECT_TRUE(fires("Details: https://bit.ly/3abcXYZ", "shortened_link"));
  EXPECT_TRUE(fires("Visit parcel-resched.xyz today", "risky_domain_ending"));
  EXPECT_TRUE(fires("https://www.paypal.co.uk@account-check.info/login", "hidden_host"));
  EXPECT_TRUE(
      fires("Royal Mail: your item is waiting at parcel-hub-uk.com", "claimed_brand_other_link"));
}

TEST(LinkRules, GenuineBrandLinksRaiseNothing) {
  ScamAssessment result = assess_message("Royal Mail: your parcel is on its way. Track it at "
                                         "https://www.royalmail.com/track-your-item",
                                         test_suffix_list());
  EXPECT_TRUE(result.hits.empty());
  EXPECT_EQ(result.verdict, SAFE_VERDICT);
}

TEST(LinkRules, WordsInsideLinksAreNotReadAsWords) {
  EXPECT_FALSE(fires("See https://example-news.com/hmrc-tax-refund-claim-now", "hmrc_story"));
}

} // namespace
