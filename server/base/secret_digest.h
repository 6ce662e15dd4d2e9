#pragma once
// How secrets are kept at rest: bearer tokens as SHA-256 digests (a token is 128 random bits,
// so a digest is enough and can be looked up), and short secrets as HMAC-SHA256 under the
// server key. All digests are lower-case hex.
#include <string>

#include "base/secret_key.h"

std::string sha256_hex(const std::string& bytes);
std::string hmac_sha256_hex(const SecretKey& key, const std::string& bytes);

// The stored form of a Guardian PIN and of a sign-in code. Each is bound to its account or
// challenge, so equal PINs of two accounts do not show as equal digests.
std::string guardian_pin_digest(const SecretKey& key, long long account_id, const std::string& pin);
std::string sign_in_code_digest(const SecretKey& key, const std::string& challenge_id,
                                const std::string& code);

// Equal lengths and bytes, in time that does not depend on where they first differ.
bool same_secret(const std::string& a, const std::string& b);
