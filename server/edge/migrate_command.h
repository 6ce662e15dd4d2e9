#pragma once
// migrate-to: copies the SQLite database of a data folder into an empty PostgreSQL database,
// every table and row as it is (accounts, token digests, PIN digests, reports, limits...), so
// the service can move to several instances without anyone signing in again.
#include "edge/command_line.h"

// Prints what it copied, or a plain error on stderr; returns the exit code (0, 1 or 2).
int run_migrate_to(const CommandLine& command);
