#pragma once
// The HTTPS server: POST /callwarden_api.php, and with test endpoints
// switched on, /test/next_answer, /test/reset and /test/health.
#include <string>

struct ServeOptions {
  std::string address;
  int port; // 0 picks a free port
  std::string cert_file;
  std::string key_file;
  std::string data_dir;
  std::string suffix_file;
  bool test_endpoints;
  int free_checks_per_day; // for a device without an entitled account
};

struct HttpsService;

// Opens the data, loads the certificate and binds the port; null with a
// plain `error` when any of that fails. The owner frees it with
// https_service_free after https_service_run has returned.
HttpsService* https_service_start(const ServeOptions& options, std::string* error);

int https_service_port(const HttpsService* service);

// Serves until https_service_stop; returns 0 if serving failed.
int https_service_run(HttpsService* service);

// Safe from any thread; returns once https_service_run has returned, so it
// must only be called when https_service_run has been or is being called.
void https_service_stop(HttpsService* service);

void https_service_free(HttpsService* service);
