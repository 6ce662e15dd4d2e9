#pragma once
// Delivers a code: appended to <data>/outbox.txt as one JSON line
// {"time","identifier","code","challenge_id","purpose"}, which the tests and the delivery to
// email or text read; `purpose` ("sign_in", "pin_change", "contact") says what the message
// should tell its reader the code is for. Standard output only learns that a code went out.
#include <cstdint>
#include <string>

int deliver_sign_in_code(const std::string& outbox_file, const std::string& identifier,
                         const std::string& code, const std::string& challenge_id,
                         const std::string& purpose, int64_t now);
