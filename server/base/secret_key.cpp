#include "base/secret_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/hex_digit.h"
#include "base/private_file.h"
#include "base/secure_random.h"

namespace {

int fail(std::string* error, const std::string& text) {
  *error = text;
  return 0;
}

int read_key(const std::string& file, SecretKey* key, std::string* error) {
  std::string line;
  if (!read_private_line(file, "secret key file", &line, error)) return 0;
  const char* text = line.data();
  const size_t length = line.size();
  if (length != 2 * sizeof(key->bytes))
    return fail(error, "The secret key file " + file + " does not hold a key (64 hex digits).");
  for (size_t i = 0; i < sizeof(key->bytes); ++i) {
    int high = hex_digit_value(text[2 * i]);
    int low = hex_digit_value(text[2 * i + 1]);
    if (high < 0 || low < 0)
      return fail(error, "The secret key file " + file + " does not hold a key (64 hex digits).");
    key->bytes[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return 1;
}

// Written to a file of its own first and then linked into place, so that when two processes
// start at once one key wins whole and the other process reads that one.
int make_key(const std::string& file, std::string* error) {
  std::string hex;
  if (!random_hex(sizeof(SecretKey::bytes), &hex))
    return fail(error, "Cannot make a secret key: no random numbers.");
  hex.push_back('\n');
  std::string draft = file + ".new." + std::to_string(getpid());
  int fd = open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0)
    return fail(error, "Cannot create the secret key file " + file + ": " + strerror(errno));
  bool written = write(fd, hex.data(), hex.size()) == static_cast<ssize_t>(hex.size());
  bool synced = fsync(fd) == 0;
  close(fd);
  bool linked = written && synced && (link(draft.c_str(), file.c_str()) == 0 || errno == EEXIST);
  unlink(draft.c_str());
  if (!linked) return fail(error, "Cannot write the secret key file " + file);
  return 1;
}

} // namespace

int load_or_make_secret_key(const std::string& file, SecretKey* key, std::string* error) {
  if (access(file.c_str(), F_OK) != 0 && !make_key(file, error)) return 0;
  return read_key(file, key, error);
}
