#pragma once
// The program cuts long messages by bytes, which can split a character at
// the very end; such a body is still worth answering.
#include <string>

// Every byte sequence that is not well-formed UTF-8 becomes U+FFFD.
std::string repair_utf8(const std::string& text);
