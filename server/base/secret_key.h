#pragma once
// The server's own key for the secrets it keeps: Guardian PINs and sign-in codes are stored
// as HMAC-SHA256 under it, so a copy of the database alone does not give them away (a 4-digit
// PIN or a 6-digit code would fall to any plain hash in seconds). The key lives outside the
// database, in a file readable by the service's user alone.
#include <string>

struct SecretKey {
  unsigned char bytes[32];
};

// Reads the key from `file`, or, when the file does not exist, makes a new random key and
// writes it there with mode 0600. 0 with a plain-English `error` when the file cannot be
// read or written, holds no key, or can be read by other users.
int load_or_make_secret_key(const std::string& file, SecretKey* key, std::string* error);
