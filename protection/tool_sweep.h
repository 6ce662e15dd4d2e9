#pragma once
// One walk over the running processes that terminates every listed remote-control tool.
#include <cstddef>

// Terminates (exit code 1) every process whose executable name is on the tool list.
// Returns true when at least one was terminated; `kept_name` then holds the name, as the
// process list spells it, of the last one in the list's order (cut to capacity - 1).
// `kept_name` is emptied first in every case.
bool terminate_remote_tools(wchar_t* kept_name, size_t capacity);
