#pragma once
#include <windows.h>

// Registers the program at `program` (the installed copy) under Apps & features for the
// current user. False when the entry could not be written.
bool register_uninstall_entry(const wchar_t* program);

// "--uninstall" and the helper's "--uninstall-finish": runs the one the command tail asks for
// and returns the exit code; returns -1 when the tail asks for neither.
int run_uninstall_command(const wchar_t* command_tail);
