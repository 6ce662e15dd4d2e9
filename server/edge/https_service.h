#pragma once
// The HTTPS server. On the API host (or a bare address): POST /callwarden_api.php, GET /healthz
// and /metrics, and with test endpoints switched on, /test/next_answer, /test/reset and
// /test/health, and GET /texts/report/ID for the SMS gateway's delivery reports. On the web
// host: the pages (web_routes.h). Any other host: 404. Beside the request threads, one thread
// delivers the alerts (alert_sender.h) and, with an SMS gateway, one sends texts
// (text_sender.h).
#include <string>

#include "alerts/sms_gateway.h"
#include "base/client_network.h"
#include "core/service_context.h"
#include "edge/connection_caps.h"

struct ServeOptions {
  std::string address;
  int port; // 0 picks a free port
  std::string cert_file;
  std::string key_file;
  ContextOptions context;
  bool test_endpoints;
  int free_checks_per_day;                   // for a device without an entitled account
  int codes_per_hour = kDefaultCodesPerHour; // sign-in codes the service sends an hour at most
  int free_checks_per_address = kDefaultFreeChecksPerAddressPerDay; // per client network a day
  int connections_per_network =
      kDefaultConnectionsPerNetwork; // open at once from one network (not a trusted balancer)
  bool request_log;                  // requests.jsonl in the data folder
  bool request_log_secrets;          // with tokens and PINs left in
  // Load balancers whose X-Forwarded-For names the client; from others it is ignored.
  std::vector<AddressRange> trusted_proxies;
  int threads;          // request threads; a kept-alive connection holds one
  std::string smtp_url; // smtp://host:port for alerts by email; empty: outbox only
  // Texts to mobiles: an empty sendsms URL leaves them to the outbox. An empty report base is
  // https://<address>:<port> (127.0.0.1 for an address that means any).
  SmsGateway sms;
  SilenceLimits silence; // when a quiet computer is alerted (--silent-after, --silent-after-threat)
};

struct HttpsService;

// Opens the data, loads the certificate and binds the port; null with a
// plain `error` when any of that fails. The owner frees it with
// https_service_free after https_service_run has returned.
HttpsService* https_service_start(const ServeOptions& options, std::string* error);

int https_service_port(const HttpsService* service);

// Serves until https_service_stop; returns 0 if serving failed. Requests in flight when the
// stop comes are answered first.
int https_service_run(HttpsService* service);

// Safe from any thread; returns once https_service_run has returned, so it
// must only be called when https_service_run has been or is being called.
void https_service_stop(HttpsService* service);

void https_service_free(HttpsService* service);
