#include <gtest/gtest.h>

#include "judge/engine_test_support.h"
#include "judge/link_extract.h"

namespace {

std::vector<std::string> hosts_in(const std::string& message) {
  std::vector<std::string> hosts;
  for (const MessageLink& link : extract_links(message, test_suffix_list()))
    hosts.push_back(link.host);
  return hosts;
}

TEST(LinkExtract, FindsSchemeWwwAndBareDomainLinks) {
  std::vector<std::string> hosts = hosts_in(
      "Pay at https://RoyalMail-Fee.top/pay?id=1, or www.evri-help.com or parcel-resched.info/x.");
  ASSERT_EQ(hosts.size(), 3u);
  EXPECT_EQ(hosts[0], "royalmail-fee.top");
  EXPECT_EQ(hosts[1], "www.evri-help.com");
  EXPECT_EQ(hosts[2], "parcel-resched.info");
}

TEST(LinkExtract, IgnoresAbbreviationsPricesTimesAndEmails) {
  EXPECT_TRUE(
      hosts_in("See you at 10.30am, e.g. bring £3.50. Mr.Smith said hi. Email jo@example.com")
          .empty());
}

TEST(LinkExtract, ABareDottedNumberIsAnAddressOnlyAsAQuadWithAPath) {
  EXPECT_TRUE(hosts_in("the ratio of ant to pickle was 98.17:1, version 2.4.1/3").empty());
  std::vector<std::string> hosts = hosts_in("Sign in at 81.2.69.160/login today");
  ASSERT_EQ(hosts.size(), 1u);
  EXPECT_EQ(hosts[0], "81.2.69.160");
}

// DNS allows 253 bytes (and so at most 127 labels); a longer name is not a host, so no rule
// walks it.
TEST(LinkExtract, ANameLongerThanDnsAllowsIsNoHost) {
  std::string labels;
  for (int i = 0; i < 125; ++i)
    labels += "a.";
  EXPECT_EQ(hosts_in("https://" + labels + "com/").size(), 1u) << "253 bytes";
  EXPECT_TRUE(hosts_in("https://" + labels + "ccom/").empty()) << "254 bytes";
  std::string thirty_two_thousand;
  for (int i = 0; i < 32000; ++i)
    thirty_two_thousand += "a.";
  EXPECT_TRUE(hosts_in(thirty_two_thousand + "com").empty());
  EXPECT_TRUE(hosts_in("https://" + thirty_two_thousand + "com/").empty());
}

// Email addresses give a way to write to whoever sent the message.
TEST(LinkExtract, EmailAddressesAreFoundOnlyWithADomain) {
  EXPECT_TRUE(holds_email_address("Write to refunds@order-desk.example today."));
  EXPECT_FALSE(holds_email_address("Follow @olvex or email us, at the usual address."));
  EXPECT_FALSE(holds_email_address("Meet me @ 5pm, bring @x."));
}

TEST(LinkExtract, TrimsSurroundingPunctuationAndKeepsSpan) {
  std::string message = "Visit (https://www.gov.uk/vehicle-tax).";
  std::vector<MessageLink> links = extract_links(message, test_suffix_list());
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(message.substr(links[0].start, links[0].length), "https://www.gov.uk/vehicle-tax");
  EXPECT_TRUE(links[0].has_scheme);
}

TEST(LinkExtract, UserinfoTrickExposesRealHost) {
  std::vector<MessageLink> links =
      extract_links("https://www.paypal.com@login-check.xyz/a", test_suffix_list());
  ASSERT_EQ(links.size(), 1u);
  EXPECT_TRUE(links[0].has_userinfo);
  EXPECT_EQ(links[0].host, "login-check.xyz");
}

TEST(LinkExtract, PortsAndTrailingDotsAreRemovedFromHost) {
  std::vector<std::string> hosts = hosts_in("http://parcel.example.top.:8443/x");
  ASSERT_EQ(hosts.size(), 1u);
  EXPECT_EQ(hosts[0], "parcel.example.top");
}

TEST(LinkExtract, NumberAddressesNeedSchemeOrPath) {
  EXPECT_EQ(hosts_in("http://192.168.10.5/login").size(), 1u);
  EXPECT_EQ(hosts_in("go to 81.2.69.160/secure now").size(), 1u);
  EXPECT_TRUE(hosts_in("version 1.2.3.4 is out").empty());
}

TEST(LinkHost, IpLiteralForms) {
  EXPECT_TRUE(host_is_ip_literal("192.168.1.1"));
  EXPECT_TRUE(host_is_ip_literal("3232235777"));
  EXPECT_TRUE(host_is_ip_literal("0xc0a80101"));
  EXPECT_TRUE(host_is_ip_literal("[2001:db8::1]"));
  EXPECT_FALSE(host_is_ip_literal("0xford.com"));
  EXPECT_FALSE(host_is_ip_literal("1.2.3.4.5"));
  EXPECT_FALSE(host_is_ip_literal("royalmail.com"));
}

TEST(LinkHost, PunycodeAndRawUnicodeAreInternationalised) {
  EXPECT_TRUE(host_is_internationalised("xn--pple-43d.com"));
  EXPECT_TRUE(host_is_internationalised("login.xn--80ak6aa92e.com"));
  EXPECT_TRUE(host_is_internationalised("\xD0\xB0pple.com"));
  EXPECT_FALSE(host_is_internationalised("apple.com"));
}

TEST(LinkBlanking, LinksBecomeSingleSpaces) {
  std::string message = "Claim at https://hmrc-refund.top/claim now";
  std::vector<MessageLink> links = extract_links(message, test_suffix_list());
  EXPECT_EQ(blank_out_links(message, links), "Claim at   now");
}

} // namespace
