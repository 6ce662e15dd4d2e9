// olvex-service: the Olvex HTTPS service (README.md).
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "alerts/sms_gateway.h"
#include "base/private_file.h"
#include "edge/admin_commands.h"
#include "edge/command_line.h"
#include "edge/https_service.h"
#include "edge/migrate_command.h"
#include "edge/threat_import.h"

namespace {

// The gateway's address (with its password) from a file only the service's user can read.
int read_sms_file(const std::string& file, std::string* url, std::string* error) {
  if (!read_private_line(file, "SMS gateway file", url, error)) return 0;
  if (valid_sendsms_url(*url, error)) return 1;
  *error = "The SMS gateway file " + file +
           " must hold one line, the gateway's sendsms address: " + *error;
  return 0;
}

// SIGTERM and SIGINT are blocked in every thread and taken by this one
// with sigwait, so the stop runs as ordinary code, not in a signal handler.
void wait_for_stop_signal(sigset_t signals, HttpsService* service) {
  int received = 0;
  sigwait(&signals, &received);
  https_service_stop(service);
}

int serve(const CommandLine& command) {
  // The program stops reading after 32767 bytes and hangs up; writing the
  // rest of a long answer must fail quietly, not end the service.
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  ServeOptions options;
  options.address = command.address;
  options.port = command.port;
  options.cert_file = command.cert_file;
  options.key_file = command.key_file;
  options.context.data_dir = command.data_dir;
  options.context.suffix_file = command.suffix_file;
  options.context.database_url = command.database_url;
  options.context.secret_key_file = command.secret_key_file;
  options.context.db_connections = command.db_connections;
  options.test_endpoints = command.test_endpoints;
  options.free_checks_per_day = command.free_checks_per_day;
  options.codes_per_hour = command.codes_per_hour;
  options.free_checks_per_address = command.free_checks_per_address;
  options.connections_per_network = command.connections_per_network;
  options.request_log = command.request_log;
  options.request_log_secrets = command.request_log_secrets;
  options.trusted_proxies = command.trusted_proxies;
  options.threads = command.threads;
  options.silence = command.silence;
  options.smtp_url = command.smtp_url;
  options.sms.sendsms_url = command.sms_url;
  std::string error;
  if (!command.sms_file.empty() &&
      !read_sms_file(command.sms_file, &options.sms.sendsms_url, &error)) {
    std::fprintf(stderr, "olvex-service: %s\n", error.c_str());
    return 1;
  }
  options.sms.from = command.sms_from;
  options.sms.report_base = command.sms_reports;
  HttpsService* service = https_service_start(options, &error);
  if (!service) {
    std::fprintf(stderr, "olvex-service: %s\n", error.c_str());
    return 1;
  }
  std::thread stopper(wait_for_stop_signal, signals, service);
  std::printf("listening on https://%s:%d\n", command.address.c_str(), https_service_port(service));
  std::fflush(stdout);
  int served = https_service_run(service);
  // Wakes the stopper if serving ended for another reason.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  https_service_free(service);
  return served ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine command;
  std::string error;
  if (!parse_command_line(args, &command, &error)) {
    std::fprintf(stderr, "olvex-service: %s\n%s", error.c_str(), usage_text());
    return 2;
  }
  if (command.command == kCommandServe) return serve(command);
  if (command.command == kCommandMigrateTo) return run_migrate_to(command);
  if (command.command == kCommandImportThreats) return run_import_threats(command);
  return run_admin_command(command);
}
