#pragma once
// Delivers the sign-in code: appended to <data>/outbox.txt as one JSON line
// {"time","identifier","code","challenge_id"}, which the tests and the delivery to email or
// text read. Standard output only learns that a code went out.
#include <cstdint>
#include <string>

int deliver_sign_in_code(const std::string& outbox_file, const std::string& identifier,
                         const std::string& code, const std::string& challenge_id, int64_t now);
