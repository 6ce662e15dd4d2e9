#pragma once
// One walk over the running processes that terminates every listed remote-control tool.
#include <cstddef>

// Terminates (exit code 1) every process whose executable name is on the tool list, or whose
// image's version resource names a listed tool (OriginalFilename or InternalName) whatever
// the file is called now. Returns true when at least one was terminated; `kept_name` then
// holds, for the last one in the list's order (cut to capacity - 1), its name as the process
// list spells it, followed by " (<product>)" when it was found by its version resource.
// `kept_name` is emptied first in every case.
bool terminate_remote_tools(wchar_t* kept_name, size_t capacity);

// The same walk by executable name alone, without reading any image (for comparison in the
// benchmark).
bool terminate_remote_tools_by_name(wchar_t* kept_name, size_t capacity);

// Forgets every image read so far, as if every running process were new.
void forget_process_images(void);
