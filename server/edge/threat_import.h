#pragma once
// import-threats: one public list of scam websites read from its file, in its format
// (core/threat_feeds.h), and stored in place of that source's previous list, in one
// transaction. A list refused leaves the store as it was.
#include <cstdint>
#include <string>

#include "core/threat_feeds.h"
#include "edge/command_line.h"
#include "store/service_store.h"

// 1 with `*report` ("Imported 1,204 addresses from URLhaus, updated 10 December."), 0 with a
// plain `*error`.
int import_threat_file(ServiceStore* store, const ThreatFeed& feed, const std::string& file,
                       int64_t now, std::string* report, std::string* error);

// The command: prints the report, or the error on stderr; returns the exit code (2 for a list
// refused or a wrong command line, 1 when the database cannot be reached).
int run_import_threats(const CommandLine& command);
