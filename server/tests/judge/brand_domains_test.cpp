#include <gtest/gtest.h>

#include "judge/brand_domains.h"

namespace {

BrandImitation imitation(const std::string& host, const std::string& owner, std::string* name) {
  const Brand* brand = nullptr;
  BrandImitation kind = host_imitates_brand(host, owner, &brand);
  *name = brand ? brand->name : "";
  return kind;
}

TEST(BrandOfficial, OwnDomainsAndTheirSubdomainsOnly) {
  EXPECT_TRUE(host_is_official_for_any_brand("www.royalmail.com"));
  EXPECT_TRUE(host_is_official_for_any_brand("royalmail.com"));
  EXPECT_TRUE(host_is_official_for_any_brand("www.gov.uk"));
  EXPECT_TRUE(host_is_official_for_any_brand("111.nhs.uk"));
  EXPECT_FALSE(host_is_official_for_any_brand("fakeroyalmail.com"));
  EXPECT_FALSE(host_is_official_for_any_brand("royalmail.com.parcel-help.top"));
}

TEST(BrandImitationRule, BrandNameInsideAnotherDomain) {
  std::string name;
  EXPECT_EQ(imitation("royalmail-redelivery.top", "royalmail-redelivery", &name), kUsesBrandName);
  EXPECT_EQ(name, "Royal Mail");
  EXPECT_EQ(imitation("royal-mail.parcels-uk.com", "royal-mail.parcels-uk", &name), kUsesBrandName);
  EXPECT_EQ(imitation("hmrc.gov.uk.tax-claim.com", "hmrc.gov.uk.tax-claim", &name), kUsesBrandName);
  EXPECT_EQ(name, "HMRC");
}

TEST(BrandImitationRule, ShortNamesCountOnlyAsWholeParts) {
  std::string name;
  EXPECT_EQ(imitation("nhs-covid-pass.online", "nhs-covid-pass", &name), kUsesBrandName);
  EXPECT_EQ(name, "the NHS");
  EXPECT_EQ(imitation("dpd24-uk.com", "dpd24-uk", &name), kUsesBrandName);
  EXPECT_EQ(name, "DPD");
  EXPECT_EQ(imitation("startups.com", "startups", &name), kNoImitation);
  EXPECT_EQ(imitation("bbc.co.uk", "bbc", &name), kNoImitation);
}

TEST(BrandImitationRule, LookalikeDigitsAndLetterPairs) {
  std::string name;
  EXPECT_EQ(imitation("paypa1-secure.com", "paypa1-secure", &name), kUsesBrandName);
  EXPECT_EQ(name, "PayPal");
  EXPECT_EQ(imitation("amaz0n-billing.co.uk", "amaz0n-billing", &name), kUsesBrandName);
  EXPECT_EQ(imitation("natvvest-online.com", "natvvest-online", &name), kUsesBrandName);
  EXPECT_EQ(undo_lookalike_letters("rnonz0"), "monzo");
}

TEST(BrandImitationRule, OneLetterMisspellings) {
  std::string name;
  EXPECT_EQ(imitation("barcleys-secure.com", "barcleys-secure", &name), kMisspellsBrandName);
  EXPECT_EQ(name, "Barclays");
  EXPECT_EQ(imitation("santandr.co.uk", "santandr", &name), kMisspellsBrandName);
  EXPECT_EQ(imitation("royalmial.com", "royalmial", &name), kMisspellsBrandName);
  EXPECT_EQ(imitation("mycloud-photos.com", "mycloud-photos", &name), kNoImitation);
}

TEST(BrandImitationRule, OfficialHostsNeverImitate) {
  std::string name;
  EXPECT_EQ(imitation("www.royalmail.com", "www", &name), kNoImitation);
  EXPECT_EQ(imitation("track.dpdlocal.co.uk", "track.dpdlocal", &name), kNoImitation);
  EXPECT_EQ(imitation("www.tvlicensing.co.uk", "www.tvlicensing", &name), kNoImitation);
}

TEST(EditDistance, OneEditApart) {
  EXPECT_TRUE(one_edit_apart("paypal", "paypall"));
  EXPECT_TRUE(one_edit_apart("paypal", "paypl"));
  EXPECT_TRUE(one_edit_apart("paypal", "paypol"));
  EXPECT_TRUE(one_edit_apart("paypal", "papyal"));
  EXPECT_FALSE(one_edit_apart("paypal", "paypal"));
  EXPECT_FALSE(one_edit_apart("paypal", "pyapla"));
  EXPECT_FALSE(one_edit_apart("paypal", "paypalxx"));
}

} // namespace
