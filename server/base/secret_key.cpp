#include "base/secret_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/hex_digit.h"
#include "base/secure_random.h"

namespace {

int fail(std::string* error, const std::string& text) {
  *error = text;
  return 0;
}

int read_key(const std::string& file, SecretKey* key, std::string* error) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return fail(error, "Cannot read the secret key file " + file + ": " + strerror(errno));
  struct stat info;
  if (fstat(fd, &info) != 0 || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    close(fd);
    return fail(error, "The secret key file " + file +
                           " may be read by other users; make it mode 0600 (chmod 600).");
  }
  char text[128];
  ssize_t got = read(fd, text, sizeof(text));
  close(fd);
  size_t length = got > 0 ? static_cast<size_t>(got) : 0;
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
    --length;
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
