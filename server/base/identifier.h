#pragma once
// Account identifiers: an email address or a UK mobile number, as typed.
#include <string>

// Gives the one form an account is stored under: a lower-case email
// address, or a mobile number as "07" and nine digits (so "+44 7700
// 900123" and "07700 900123" are the same account). 0 when it is neither.
int normalise_identifier(const std::string& typed, std::string* canonical);

// What the sign-in screen may show of it: "j***@example.com", "07*** ***123".
std::string mask_identifier(const std::string& canonical);
