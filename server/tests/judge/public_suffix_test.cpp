#include <gtest/gtest.h>

#include "judge/engine_test_support.h"
#include "judge/public_suffix.h"

namespace {

PublicSuffixList small_list() {
  PublicSuffixList list;
  psl_parse_text(&list, "// comment line\n"
                        "uk\n"
                        "co.uk\n"
                        "  gov.uk   trailing words are ignored\n"
                        "*.ck\n"
                        "!www.ck\n"
                        "\r\n"
                        "web.app\n");
  return list;
}

TEST(PublicSuffixParse, ReadsRulesWildcardsAndExceptionsAndSkipsComments) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(list.rules.count("co.uk"), 1u);
  EXPECT_EQ(list.rules.count("gov.uk"), 1u);
  EXPECT_EQ(list.rules.count("trailing"), 0u);
  EXPECT_EQ(list.wildcards.count("ck"), 1u);
  EXPECT_EQ(list.exceptions.count("www.ck"), 1u);
  EXPECT_EQ(list.rules.count("// comment line"), 0u);
  EXPECT_TRUE(psl_knows_top_label(list, "uk"));
  EXPECT_TRUE(psl_knows_top_label(list, "APP"));
  EXPECT_FALSE(psl_knows_top_label(list, "smith"));
}

TEST(PublicSuffixLookup, RegisteredDomainFollowsLongestRule) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(psl_registered_domain(list, "www.royalmail.co.uk"), "royalmail.co.uk");
  EXPECT_EQ(psl_registered_domain(list, "royalmail.co.uk"), "royalmail.co.uk");
  EXPECT_EQ(psl_registered_domain(list, "a.b.hmrc.gov.uk"), "hmrc.gov.uk");
  EXPECT_EQ(psl_registered_domain(list, "evil.web.app"), "evil.web.app");
  EXPECT_EQ(psl_registered_domain(list, "xco.uk"), "xco.uk");
}

TEST(PublicSuffixLookup, HostThatIsItselfASuffixHasNoRegisteredDomain) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(psl_registered_domain(list, "co.uk"), "");
  EXPECT_EQ(psl_registered_domain(list, "uk"), "");
  EXPECT_EQ(psl_registered_domain(list, "foo.ck"), "");
}

TEST(PublicSuffixLookup, WildcardAndExceptionRules) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(psl_public_suffix(list, "shop.foo.ck"), "foo.ck");
  EXPECT_EQ(psl_registered_domain(list, "shop.foo.ck"), "shop.foo.ck");
  EXPECT_EQ(psl_public_suffix(list, "www.ck"), "ck");
  EXPECT_EQ(psl_registered_domain(list, "www.ck"), "www.ck");
}

TEST(PublicSuffixLookup, UnlistedTopLabelIsItsOwnSuffix) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(psl_public_suffix(list, "parcel-help.zzz"), "zzz");
  EXPECT_EQ(psl_registered_domain(list, "a.parcel-help.zzz"), "parcel-help.zzz");
}

TEST(PublicSuffixLookup, MalformedHostsGiveNothing) {
  PublicSuffixList list = small_list();
  EXPECT_EQ(psl_registered_domain(list, ""), "");
  EXPECT_EQ(psl_registered_domain(list, "a..co.uk"), "");
  EXPECT_EQ(psl_registered_domain(list, ".co.uk"), "");
  const std::string longest = std::string(247, 'a') + ".co.uk"; // 253 bytes
  EXPECT_EQ(psl_registered_domain(list, longest), longest);
  EXPECT_EQ(psl_registered_domain(list, "a" + longest), "") << "254 bytes is no host";
}

TEST(PublicSuffixFile, DebianListLoadsAndKnowsUkSuffixes) {
  const PublicSuffixList& list = test_suffix_list();
  ASSERT_GT(list.rules.size(), 5000u);
  EXPECT_EQ(psl_registered_domain(list, "www.nhs.uk"), "www.nhs.uk");
  EXPECT_EQ(psl_registered_domain(list, "secure.barclays.co.uk"), "barclays.co.uk");
  EXPECT_EQ(psl_registered_domain(list, "hsbc-alerts.github.io"), "hsbc-alerts.github.io");
  EXPECT_TRUE(psl_knows_top_label(list, "top"));
}

TEST(PublicSuffixFile, MissingFileIsReportedNotFatal) {
  PublicSuffixList list;
  EXPECT_EQ(psl_load_file(&list, "/nonexistent/public_suffix_list.dat"), 0);
}

} // namespace
