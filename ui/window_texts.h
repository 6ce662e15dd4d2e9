#pragma once
// Fixed texts the window paints, and the one text it formats.
#include <cstddef>

#define UI_TITLE_TEXT L"Olvex Callwarden"
// The maker's line under the title: company, town and the maker's telephone number.
#define UI_CREDIT_TEXT L"Olvex Ltd \u00B7 Newcastle upon Tyne \u00B7 0191 498 0321"
#define UI_CHECKER_TITLE_TEXT L"1-Click \"Is This a Scam?\" AI Message & Link Checker"

// Capacity of the blocked-tools line in UTF-16 units, terminator included.
#define BLOCKED_LINE_CAPACITY 280

// Writes the blocked-tools line with `blocked_count` as a signed decimal. The buffer is
// zero-filled first and at most capacity - 1 units are written, so it always ends in NUL.
void format_blocked_line(wchar_t* out, size_t capacity, int blocked_count);
