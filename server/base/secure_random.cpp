#include "base/secure_random.h"

#include <openssl/rand.h>

#include <cstdint>
#include <vector>

int random_hex(size_t byte_count, std::string* out) {
  static const char kDigits[] = "0123456789abcdef";
  std::vector<unsigned char> bytes(byte_count);
  if (byte_count == 0 || RAND_bytes(bytes.data(), static_cast<int>(byte_count)) != 1) return 0;
  out->clear();
  for (unsigned char b : bytes) {
    out->push_back(kDigits[b >> 4]);
    out->push_back(kDigits[b & 0x0F]);
  }
  return 1;
}

int random_six_digit_code(std::string* out) {
  // Values at or above the last whole multiple of a million would make the
  // low codes likelier, so they are drawn again.
  const uint32_t kLimit = 4294000000u;
  for (int attempt = 0; attempt < 64; ++attempt) {
    unsigned char bytes[4];
    if (RAND_bytes(bytes, 4) != 1) return 0;
    uint32_t value = (static_cast<uint32_t>(bytes[0]) << 24) |
                     (static_cast<uint32_t>(bytes[1]) << 16) |
                     (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
    if (value >= kLimit) continue;
    std::string code = std::to_string(value % 1000000u);
    *out = std::string(6 - code.size(), '0') + code;
    return 1;
  }
  return 0;
}
