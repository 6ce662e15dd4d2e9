#pragma once
// Files that hold a secret (the service's key, the SMS gateway's address with its password):
// read only when no other user may read them, so a secret never sits where others can see it,
// as it would on a command line.
#include <string>

// The first line of `file` without its line end, into `*line`. 0 with a plain-English `error`
// naming the file as `what` ("secret key file") when it cannot be read or when its group
// or other users have any access to it.
int read_private_line(const std::string& file, const std::string& what, std::string* line,
                      std::string* error);
