#pragma once
// How the score treats a message's length. A rule that one phrase can trip
// is good evidence in a text message and weak evidence in a long email, which
// holds many phrases by chance; so such rules count in full up to
// kFullWeightBytes and less beyond, down to half. Fraud families are not
// scaled: their cues must be found close together (family_rules.h), which is
// as hard in a long letter as in a short text, so a long fraud is not diluted.
#include <cstddef>

const size_t kFullWeightBytes = 1000;

// The weight of a single-phrase rule in a message of this many bytes.
int length_fair_weight(int weight, size_t message_bytes);
