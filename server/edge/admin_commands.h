#pragma once
// The account commands run from a shell next to the service.
#include <string>

#include "edge/command_line.h"

// Prints what it did, or a plain error on stderr; returns the exit code.
int run_admin_command(const CommandLine& command);
