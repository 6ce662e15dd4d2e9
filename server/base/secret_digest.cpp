#include "base/secret_digest.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace {

std::string hex_of(const unsigned char* bytes, unsigned int length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 15]);
  }
  return out;
}

} // namespace

std::string sha256_hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr))
    return std::string();
  return hex_of(digest, length);
}

std::string hmac_sha256_hex(const SecretKey& key, const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!HMAC(EVP_sha256(), key.bytes, sizeof(key.bytes),
            reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest, &length))
    return std::string();
  return hex_of(digest, length);
}

std::string guardian_pin_digest(const SecretKey& key, long long account_id,
                                const std::string& pin) {
  return hmac_sha256_hex(key, "guardian-pin\n" + std::to_string(account_id) + "\n" + pin);
}

std::string sign_in_code_digest(const SecretKey& key, const std::string& challenge_id,
                                const std::string& code) {
  return hmac_sha256_hex(key, "sign-in-code\n" + challenge_id + "\n" + code);
}

bool same_secret(const std::string& a, const std::string& b) {
  return a.size() == b.size() && !a.empty() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}
