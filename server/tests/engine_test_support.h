#pragma once
// The real suffix list, loaded once for all engine tests.
#include "public_suffix.h"

const PublicSuffixList& test_suffix_list();
