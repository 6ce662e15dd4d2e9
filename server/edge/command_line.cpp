#include "edge/command_line.h"

#include <cstdlib>

#include "alerts/sms_gateway.h"
#include "core/threat_feeds.h"
#include "judge/public_suffix.h"

namespace {

int parse_number(const std::string& text, int low, int high, int* out) {
  if (text.empty() || text.size() > 6) return 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
  }
  int value = std::atoi(text.c_str());
  if (value < low || value > high) return 0;
  *out = value;
  return 1;
}

int fail(std::string* error, const std::string& text) {
  *error = text;
  return 0;
}

int read_options(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    bool* flag = word == "--test-endpoints"        ? &out->test_endpoints
                 : word == "--request-log"         ? &out->request_log
                 : word == "--request-log-secrets" ? &out->request_log_secrets
                                                   : nullptr;
    if (flag) {
      *flag = true;
      continue;
    }
    bool takes_value = word == "--address" || word == "--port" || word == "--cert" ||
                       word == "--key" || word == "--data" || word == "--suffix-list" ||
                       word == "--entitled" || word == "--free-checks-per-day" ||
                       word == "--database" || word == "--secret-key-file" || word == "--threads" ||
                       word == "--db-connections" || word == "--smtp" || word == "--trust-proxy" ||
                       word == "--codes-per-hour" || word == "--free-checks-per-address-per-day" ||
                       word == "--connections-per-network" || word == "--sms" ||
                       word == "--sms-file" || word == "--sms-from" || word == "--sms-reports" ||
                       word == "--silent-after" || word == "--silent-after-threat" ||
                       word == "--format";
    if (!takes_value) {
      if (word.size() > 1 && word[0] == '-' && word[1] == '-')
        return fail(error, "Unknown option " + word + ".");
      out->values.push_back(word);
      continue;
    }
    if (word == "--trust-proxy" && (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0))
      return fail(error, "--trust-proxy needs the load balancer's address: --trust-proxy "
                         "ADDRESS[/BITS][,ADDRESS[/BITS]...], such as 10.0.0.5 or 10.0.0.0/24.");
    if (i + 1 >= args.size()) return fail(error, "The option " + word + " needs a value.");
    const std::string& value = args[++i];
    if (word == "--address") out->address = value;
    if (word == "--cert") out->cert_file = value;
    if (word == "--key") out->key_file = value;
    if (word == "--data") out->data_dir = value;
    if (word == "--suffix-list") out->suffix_file = value;
    if (word == "--database") out->database_url = value;
    if (word == "--secret-key-file") out->secret_key_file = value;
    if (word == "--format") out->threat_format = value;
    std::string ranges_error;
    if (word == "--trust-proxy" &&
        !parse_address_ranges(value, &out->trusted_proxies, &ranges_error))
      return fail(error, "--trust-proxy: " + ranges_error);
    if (word == "--smtp") {
      if (value.compare(0, 7, "smtp://") != 0 && value.compare(0, 8, "smtps://") != 0)
        return fail(error, "--smtp must be an address such as smtp://127.0.0.1:25.");
      out->smtp_url = value;
    }
    if (word == "--sms" && !valid_sendsms_url(value, error)) return 0;
    if (word == "--sms") out->sms_url = value;
    if (word == "--sms-file") out->sms_file = value;
    if (word == "--sms-from" && !valid_sms_from(value))
      return fail(error, "--sms-from must be 1 to 11 letters, digits or blanks, such as Olvex.");
    if (word == "--sms-from") out->sms_from = value;
    if (word == "--sms-reports") {
      if (value.compare(0, 8, "https://") != 0 || value.back() == '/' ||
          value.find_first_of("?# ") != std::string::npos)
        return fail(error, "--sms-reports must be this service's address as the gateway reaches "
                           "it, such as https://127.0.0.1:443.");
      out->sms_reports = value;
    }
    int seconds = 0;
    const bool silence = word == "--silent-after" || word == "--silent-after-threat";
    if (silence && !parse_number(value, static_cast<int>(kMinSilenceSeconds),
                                 static_cast<int>(kMaxSilenceSeconds), &seconds))
      return fail(error, word + " must be a number of seconds from " +
                             std::to_string(kMinSilenceSeconds) + " to " +
                             std::to_string(kMaxSilenceSeconds) + ".");
    if (word == "--silent-after") out->silence.after = seconds;
    if (word == "--silent-after-threat") out->silence.after_threat = seconds;
    if (word == "--threads" && !parse_number(value, 4, 4096, &out->threads))
      return fail(error, "--threads must be a number from 4 to 4096.");
    if (word == "--db-connections" && !parse_number(value, 1, 256, &out->db_connections))
      return fail(error, "--db-connections must be a number from 1 to 256.");
    if (word == "--port" && !parse_number(value, 0, 65535, &out->port)) {
      return fail(error, "The port must be a number from 0 to 65535.");
    }
    if (word == "--entitled" && !parse_number(value, 0, 1, &out->entitled)) {
      return fail(error, "--entitled must be 0 or 1.");
    }
    if (word == "--codes-per-hour" &&
        !parse_number(value, 1, kMaxCodesPerHour, &out->codes_per_hour))
      return fail(error, "--codes-per-hour must be a number from 1 to " +
                             std::to_string(kMaxCodesPerHour) + ".");
    if (word == "--connections-per-network" &&
        !parse_number(value, 1, 4096, &out->connections_per_network))
      return fail(error, "--connections-per-network must be a number from 1 to 4096.");
    if (word == "--free-checks-per-address-per-day" &&
        !parse_number(value, 0, kMaxFreeChecksPerDay, &out->free_checks_per_address))
      return fail(error, "--free-checks-per-address-per-day must be a number from 0 to " +
                             std::to_string(kMaxFreeChecksPerDay) + ".");
    if (word == "--free-checks-per-day" &&
        !parse_number(value, 0, kMaxFreeChecksPerDay, &out->free_checks_per_day)) {
      return fail(error, "--free-checks-per-day must be a number from 0 to " +
                             std::to_string(kMaxFreeChecksPerDay) + ".");
    }
  }
  return 1;
}

} // namespace

int parse_command_line(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  *out = CommandLine();
  if (args.empty()) return fail(error, "No command given.");
  const std::string& name = args[0];
  if (name == "serve") out->command = kCommandServe;
  if (name == "set-guardian-pin") out->command = kCommandSetGuardianPin;
  if (name == "set-plan") out->command = kCommandSetPlan;
  if (name == "set-name") out->command = kCommandSetName;
  if (name == "migrate-to") out->command = kCommandMigrateTo;
  if (name == "import-threats") out->command = kCommandImportThreats;
  if (out->command == kCommandNone) return fail(error, "Unknown command " + name + ".");
  if (!read_options(args, out, error)) return 0;
  if (out->data_dir.empty()) return fail(error, "--data DIR is required.");
  if (out->command == kCommandServe) {
    if (out->address.empty() || out->port < 0 || out->cert_file.empty() || out->key_file.empty()) {
      return fail(error, "serve needs --address, --port, --cert and --key.");
    }
    if (!out->values.empty()) return fail(error, "serve takes no other words: " + out->values[0]);
    if (out->request_log_secrets && !out->request_log)
      return fail(error, "--request-log-secrets needs --request-log.");
    if (!out->sms_url.empty() && !out->sms_file.empty())
      return fail(error, "Give the SMS gateway's address once: --sms or --sms-file.");
    if (out->sms_url.empty() && out->sms_file.empty() &&
        (out->sms_from != kDefaultSmsFrom || !out->sms_reports.empty()))
      return fail(error, "--sms-from and --sms-reports need --sms or --sms-file.");
    if (out->suffix_file.empty()) out->suffix_file = PUBLIC_SUFFIX_DEFAULT_FILE;
    return 1;
  }
  if (out->command == kCommandMigrateTo) {
    if (out->database_url.empty()) return fail(error, "migrate-to needs --database URL.");
    if (!out->values.empty())
      return fail(error, "migrate-to takes no other words: " + out->values[0]);
    return 1;
  }
  if (out->command == kCommandImportThreats) {
    if (!threat_feed_by_format(out->threat_format))
      return fail(error,
                  std::string("import-threats needs --format ") + threat_feed_formats() + ".");
    if (out->values.size() != 1) return fail(error, "import-threats needs the list's file.");
    return 1;
  }
  if (!out->threat_format.empty()) return fail(error, "--format is for import-threats.");
  if (out->values.size() != 2) return fail(error, name + " needs an identifier and one value.");
  if (out->command == kCommandSetPlan && out->entitled < 0)
    return fail(error, "set-plan needs --entitled 0 or 1.");
  return 1;
}

const char* usage_text() {
  return "Usage:\n"
         "  olvex-service serve --address 127.0.0.1 --port 443 --cert FILE --key FILE --data DIR\n"
         "      [--database postgresql://...] [--secret-key-file FILE] [--suffix-list FILE]\n"
         "      [--free-checks-per-day N] [--free-checks-per-address-per-day N]\n"
         "      [--codes-per-hour N] [--threads N] [--db-connections N]\n"
         "      [--connections-per-network N] [--silent-after SECONDS] [--silent-after-threat "
         "SECONDS]\n"
         "      [--trust-proxy ADDRESS[/BITS][,...]]\n"
         "      [--request-log [--request-log-secrets]] [--test-endpoints] [--smtp "
         "smtp://HOST:PORT]\n"
         "      [--sms-file FILE | --sms http://HOST:13013/cgi-bin/sendsms?username=U&password=P\n"
         "       [--sms-from NAME] [--sms-reports https://HOST:PORT]]\n"
         "  olvex-service set-guardian-pin --data DIR IDENTIFIER 1234\n"
         "  olvex-service set-plan --data DIR IDENTIFIER \"Family plan\" --entitled 1\n"
         "  olvex-service set-name --data DIR IDENTIFIER \"Jane Smith\"\n"
         "  olvex-service migrate-to --database postgresql://... --data DIR\n"
         "  olvex-service import-threats --data DIR --format urlhaus|openphish|phishtank FILE\n"
         "  (the account commands also take --database and --secret-key-file)\n";
}
