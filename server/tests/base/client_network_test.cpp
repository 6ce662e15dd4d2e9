#include "base/client_network.h"

#include <gtest/gtest.h>

TEST(ClientNetwork, OneIpv6ClientCountsAsItsSlash64) {
  EXPECT_EQ(client_network("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
  EXPECT_EQ(client_network("2001:0DB8:0001:0002:ffff:ffff:ffff:ffff"), "2001:db8:1:2::/64");
  EXPECT_NE(client_network("2001:db8:1:3::1"), client_network("2001:db8:1:2::1"));
  EXPECT_EQ(client_network("203.0.113.9"), "203.0.113.9");
  EXPECT_EQ(client_network("::ffff:203.0.113.9"), "203.0.113.9");
  EXPECT_EQ(client_network("not an address"), "not an address");
}

TEST(ClientNetwork, RangesOfTrustedBalancers) {
  std::vector<AddressRange> ranges;
  std::string error;
  ASSERT_TRUE(parse_address_ranges("127.0.0.1/32,10.1.0.0/16,2001:db8::/32", &ranges, &error));
  EXPECT_TRUE(address_in_ranges("127.0.0.1", ranges));
  EXPECT_FALSE(address_in_ranges("127.0.0.2", ranges));
  EXPECT_TRUE(address_in_ranges("10.1.255.7", ranges));
  EXPECT_FALSE(address_in_ranges("10.2.0.1", ranges));
  EXPECT_TRUE(address_in_ranges("2001:db8:ffff::1", ranges));
  EXPECT_TRUE(address_in_ranges("::ffff:10.1.0.1", ranges));
  EXPECT_FALSE(address_in_ranges("", ranges));
  ASSERT_TRUE(parse_address_ranges("10.0.0.5", &ranges, &error));
  EXPECT_TRUE(address_in_ranges("10.0.0.5", ranges));
  EXPECT_FALSE(address_in_ranges("10.0.0.4", ranges));
  for (const char* wrong : {"", "10.0.0.0/33", "10.0.0.1,", "host.example", "10.0.0.1/x",
                            "2001:db8::/129", "10.0.0.1/"}) {
    EXPECT_FALSE(parse_address_ranges(wrong, &ranges, &error)) << wrong;
    EXPECT_FALSE(error.empty());
  }
}
