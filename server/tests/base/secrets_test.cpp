// How secrets are kept: the digests against known values, the comparison, and the key file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "base/secret_digest.h"
#include "support/service_harness.h"

namespace {

TEST(SecretDigest, Sha256AndHmacGiveTheStandardValues) {
  EXPECT_EQ(sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  SecretKey key;
  for (unsigned char& b : key.bytes)
    b = 7;
  // openssl dgst -sha256 -mac HMAC -macopt hexkey:0707...07 over "olvex"
  EXPECT_EQ(hmac_sha256_hex(key, "olvex"),
            "547722ce4d9b2805e9ebfea4650665be4160162c8b1ec2f2a3bc130a4644a56e");
  // The same PIN of two accounts, or the same code of two challenges, is kept differently.
  EXPECT_NE(guardian_pin_digest(key, 1, "1234"), guardian_pin_digest(key, 2, "1234"));
  EXPECT_NE(sign_in_code_digest(key, "ch_a", "123456"), sign_in_code_digest(key, "ch_b", "123456"));
  EXPECT_NE(guardian_pin_digest(key, 1, "1234"), hmac_sha256_hex(key, "1234"));
}

TEST(SecretDigest, SameSecretNeedsEqualNonEmptyBytes) {
  EXPECT_TRUE(same_secret("abc", "abc"));
  EXPECT_FALSE(same_secret("abc", "abd"));
  EXPECT_FALSE(same_secret("abc", "abcd"));
  EXPECT_FALSE(same_secret("", "")) << "an empty digest is a PIN never set";
}

TEST(SecretKeyFile, IsMadeOnceWithMode0600AndReadAgain) {
  TempDir dir;
  const std::string file = dir.path + "/secret.key";
  SecretKey first;
  SecretKey again;
  std::string error;
  ASSERT_TRUE(load_or_make_secret_key(file, &first, &error)) << error;
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_TRUE(load_or_make_secret_key(file, &again, &error)) << error;
  EXPECT_EQ(std::string(first.bytes, first.bytes + 32), std::string(again.bytes, again.bytes + 32));
}

TEST(SecretKeyFile, AKeyOthersCanReadOrThatIsNoKeyIsRefused) {
  TempDir dir;
  const std::string file = dir.path + "/secret.key";
  SecretKey key;
  std::string error;
  ASSERT_TRUE(load_or_make_secret_key(file, &key, &error));
  chmod(file.c_str(), 0644);
  EXPECT_FALSE(load_or_make_secret_key(file, &key, &error));
  EXPECT_NE(error.find("chmod 600"), std::string::npos) << error;
  std::ofstream(file, std::ios::trunc) << "not a key\n";
  chmod(file.c_str(), 0600);
  EXPECT_FALSE(load_or_make_secret_key(file, &key, &error));
  EXPECT_NE(error.find("64 hex digits"), std::string::npos) << error;
}

} // namespace
