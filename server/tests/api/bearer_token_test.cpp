#include <gtest/gtest.h>

#include "api/bearer_token.h"

namespace {

TEST(BearerToken, ReadsTokenAfterSchemeInAnyCase) {
  std::string token;
  EXPECT_EQ(read_bearer_token(true, "Bearer ocp_abc", &token), kWellFormedToken);
  EXPECT_EQ(token, "ocp_abc");
  EXPECT_EQ(read_bearer_token(true, "bearer   ocld_x9 ", &token), kWellFormedToken);
  EXPECT_EQ(token, "ocld_x9");
}

TEST(BearerToken, AbsentHeaderIsNoToken) {
  std::string token;
  EXPECT_EQ(read_bearer_token(false, "", &token), kNoToken);
}

TEST(BearerToken, MalformedHeaders) {
  std::string token;
  EXPECT_EQ(read_bearer_token(true, "", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer ", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearerocp_abc", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Basic dXNlcg==", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer two words", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer caf\xC3\xA9", &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer " + std::string(320, 'a'), &token), kMalformedToken);
  EXPECT_EQ(read_bearer_token(true, "Bearer " + std::string(319, 'a'), &token), kWellFormedToken);
}

} // namespace
