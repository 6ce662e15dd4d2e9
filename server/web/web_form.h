#pragma once
// Reading what a browser sends: an application/x-www-form-urlencoded body or query, and the
// Cookie header.
#include <map>
#include <string>

// name -> value, both decoded; for a repeated name the first value counts. Malformed escapes
// stay as they are. 0 when there are more than 64 fields.
int parse_form(const std::string& encoded, std::map<std::string, std::string>* out);

// The value of cookie `name` in a Cookie header, or empty.
std::string cookie_value(const std::string& cookie_header, const std::string& name);

// The field's value, or empty.
const std::string& form_field(const std::map<std::string, std::string>& form, const char* name);
