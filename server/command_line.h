#pragma once
// The service's command line:
//   serve --address A --port P --cert FILE --key FILE --data DIR
//         [--test-endpoints] [--suffix-list FILE] [--free-checks-per-day N]
//   set-guardian-pin --data DIR IDENTIFIER PIN
//   set-plan --data DIR IDENTIFIER PLAN --entitled 0|1
//   set-name --data DIR IDENTIFIER NAME
#include <string>
#include <vector>

#include "free_checks.h"

enum ServiceCommand {
  kCommandNone = 0,
  kCommandServe,
  kCommandSetGuardianPin,
  kCommandSetPlan,
  kCommandSetName
};

struct CommandLine {
  ServiceCommand command = kCommandNone;
  std::string address;
  int port = -1;
  std::string cert_file;
  std::string key_file;
  std::string data_dir;
  std::string suffix_file;
  bool test_endpoints = false;
  int free_checks_per_day = kDefaultFreeChecksPerDay;
  int entitled = -1;
  std::vector<std::string> values; // the words that are not options
};

// 0 with a plain-English `error` when the words do not make a command.
int parse_command_line(const std::vector<std::string>& args, CommandLine* out, std::string* error);

const char* usage_text();
