#pragma once
// Codes and tokens from OpenSSL's generator; 0 when it fails.
#include <string>

int random_hex(size_t byte_count, std::string* out);

// Six decimal digits, every value equally likely, leading zeros kept.
int random_six_digit_code(std::string* out);
