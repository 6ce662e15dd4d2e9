#pragma once
// The service's command line (usage_text() spells it out):
//   serve --address A --port P --cert FILE --key FILE --data DIR [--smtp URL] [--sms URL]
//         [options]
//   set-guardian-pin --data DIR IDENTIFIER PIN
//   set-plan --data DIR IDENTIFIER PLAN --entitled 0|1
//   set-name --data DIR IDENTIFIER NAME
//   migrate-to --database URL --data DIR
//   import-threats --data DIR --format urlhaus|openphish|phishtank FILE
// Every command also takes --database URL and --secret-key-file FILE.
#include <string>
#include <vector>

#include "base/client_network.h"
#include "core/free_checks.h"
#include "core/service_context.h"
#include "edge/connection_caps.h"

// Each kept-alive connection holds a thread while it is open.
const int kDefaultThreads = 128;
const int kDefaultDbConnections = 8;

enum ServiceCommand {
  kCommandNone = 0,
  kCommandServe,
  kCommandSetGuardianPin,
  kCommandSetPlan,
  kCommandSetName,
  kCommandMigrateTo,
  kCommandImportThreats
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
  int codes_per_hour = kDefaultCodesPerHour;
  int free_checks_per_address = kDefaultFreeChecksPerAddressPerDay;
  int connections_per_network = kDefaultConnectionsPerNetwork;
  std::string database_url;         // postgresql://...; empty: the SQLite file in the data folder
  std::string secret_key_file;      // empty: <data>/secret.key
  bool request_log = false;         // write requests.jsonl
  bool request_log_secrets = false; // and keep tokens and PINs in it
  // The load balancers whose X-Forwarded-For names the client (--trust-proxy A[/BITS],...).
  std::vector<AddressRange> trusted_proxies;
  int threads = kDefaultThreads;
  std::string smtp_url; // smtp://host:port: alerts also go by email
  std::string sms_url;  // the SMS gateway's sendsms URL: mobiles get texts
  std::string sms_file; // a file holding that URL, so its password stays off the command line
  std::string sms_from = "Olvex";
  std::string sms_reports; // https://host:port the gateway sends delivery reports to
  int db_connections = kDefaultDbConnections;
  SilenceLimits silence; // --silent-after, --silent-after-threat
  int entitled = -1;
  std::string threat_format;       // import-threats --format
  std::vector<std::string> values; // the words that are not options
};

// 0 with a plain-English `error` when the words do not make a command.
int parse_command_line(const std::vector<std::string>& args, CommandLine* out, std::string* error);

const char* usage_text();
