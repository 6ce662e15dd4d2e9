#pragma once
// Wording that talks about scams rather than working one: news reports
// ("was jailed", "victims"), a bank's warnings ("we will never ask"), advice
// ("report it to Action Fraud"). A message with enough of it is about scams,
// and its scam wording is softened (scam_engine.cpp). Scams do not call
// themselves scams, so naming one counts double.
#include <cstddef>

// The phrases, each list ending with a null pointer.
const char* const* scam_naming_phrases(); // two points each
const char* const* scam_talk_phrases();   // one point each

// Points (over distinct phrases) at which a message talks about scams, and
// at which it is mostly about them.
const int kScamTalkSome = 2;
const int kScamTalkMostly = 4;
