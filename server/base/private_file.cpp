#include "base/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int read_private_line(const std::string& file, const std::string& what, std::string* line,
                      std::string* error) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "Cannot read the " + what + " " + file + ": " + strerror(errno);
    return 0;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    close(fd);
    *error =
        "The " + what + " " + file + " may be read by other users; make it mode 0600 (chmod 600).";
    return 0;
  }
  // A line longer than this is no key and no gateway address.
  char text[4096];
  ssize_t got = read(fd, text, sizeof(text));
  close(fd);
  size_t length = got > 0 ? static_cast<size_t>(got) : 0;
  const void* end = std::memchr(text, '\n', length);
  if (end) length = static_cast<size_t>(static_cast<const char*>(end) - text);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == ' '))
    --length;
  line->assign(text, length);
  return 1;
}
