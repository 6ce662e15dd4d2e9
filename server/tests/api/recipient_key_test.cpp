#include "api/recipient_key.h"

#include <gtest/gtest.h>

TEST(RecipientLimitKey, OneMailboxOrMobileHasOneKeyHoweverSpelled) {
  for (const char* same : {"janedoe@gmail.com", "jane.doe@gmail.com", "j.a.n.e.doe+x@gmail.com",
                           "JaneDoe@googlemail.com", "jane.doe+codes+more@googlemail.com"})
    EXPECT_EQ(recipient_limit_key(same), "janedoe@gmail.com") << same;
  // Dots matter elsewhere; tags and letter case do not.
  EXPECT_EQ(recipient_limit_key("Jane.Doe+x@Example.com"), "jane.doe@example.com");
  EXPECT_NE(recipient_limit_key("jane.doe@example.com"),
            recipient_limit_key("janedoe@example.com"));
  EXPECT_EQ(recipient_limit_key("+tag@example.com"), "+tag@example.com");
  EXPECT_EQ(recipient_limit_key("...@gmail.com"), "...@gmail.com");
  EXPECT_EQ(recipient_limit_key("07700900123"), "+447700900123");
}
