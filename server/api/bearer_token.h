#pragma once
// Reads the device's token from an "Authorization: Bearer ..." header.
#include <string>

enum TokenState { kNoToken = 0, kMalformedToken = 1, kWellFormedToken = 2 };

// Well formed: the scheme "Bearer" in any case, blanks, then 1 to 319
// printable ASCII characters without blanks (the program keeps 319 bytes).
TokenState read_bearer_token(bool header_present, const std::string& header, std::string* token);
