#pragma once
// Stands in for sending the sign-in code by email or text: the code is
// printed on standard output and appended to <data>/outbox.txt as one JSON
// line {"time","identifier","code","challenge_id"} for tests to read.
#include <cstdint>
#include <string>

int deliver_sign_in_code(const std::string& outbox_file, const std::string& identifier,
                         const std::string& code, const std::string& challenge_id, int64_t now);
