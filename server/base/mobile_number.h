#pragma once
// UK mobile numbers as the SMS gateway wants them.
#include <string>

// Whether a normalised identifier (identifier.h) is a UK mobile: "07" and nine digits.
bool is_uk_mobile(const std::string& canonical);

// "07700900123" -> "447700900123"; empty when it is not a UK mobile.
std::string international_mobile(const std::string& canonical);
