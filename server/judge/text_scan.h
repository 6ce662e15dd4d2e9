#pragma once
// Word and phrase matching for the scam rules. Rules are written in lower
// case ASCII; the message is brought into the same form first.
#include <string>

// Lower-cases ASCII, turns curly quotes into ' and ", dashes into -, every run
// of blanks into one space and every line break into '\n'.
std::string normalise_for_rules(const std::string& raw);

// True when the phrase occurs on word boundaries. With `honour_negation`, an
// occurrence after a negation ("never", "do not", ...) earlier in the same
// sentence does not count: genuine banks say "we will never ask for your
// PIN", and that must not count as asking for it.
bool phrase_present(const std::string& text, const char* phrase, bool honour_negation);

// `phrases` is a list ending with a null pointer; null counts as no list.
bool any_phrase_present(const std::string& text, const char* const* phrases, bool honour_negation);
