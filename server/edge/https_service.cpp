#include "edge/https_service.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

#include "alerts/alert_sender.h"
#include "api/api_dispatch.h"
#include "api/canned_answers.h"
#include "api/silence_control.h"
#include "alerts/silence_watch.h"
#include "edge/client_address.h"
#include "edge/request_guard.h"
#include "edge/tls_server.h"
#include "base/clock_text.h"
#include "base/request_log.h"
#include "core/service_context.h"
#include "base/service_hosts.h"
#include "alerts/smtp_mail.h"
#include "alerts/text_sender.h"
#include "web/web_routes.h"

#define API_PATH "/callwarden_api.php"

struct HttpsService {
  ServiceContext context;
  CannedAnswers canned;
  ServeOptions options;
  std::unique_ptr<TlsServer> server;
  int port = 0;
  std::atomic<bool> run_finished{false};
  // Checks' verdicts are written, and old limit events and challenges swept out, here.
  std::thread housekeeper;
  std::mutex housekeeping_lock;
  std::condition_variable housekeeping_wake;
  bool stopping = false;
  std::thread alert_sender;
  std::thread text_sender;
};

namespace {

// No body is read beyond the API's own limit: a longer one announced is refused at once, before
// any of it is read.
const size_t kReadLimit = kMaxRequestBytes;
const int kKeepAliveRequests = 10000;
const int kListenQueue = 1024;
const int kHousekeepingSeconds = 10 * 60;
const int kCheckWriteSeconds = 1;
const int kThreatListSeconds = 2;

const char* const kJsonType = "application/json";

using Clock = std::chrono::steady_clock;

void send_answer(httplib::Response& res, const ApiAnswer& answer) {
  res.status = answer.status;
  if (answer.retry_after > 0) res.set_header("Retry-After", std::to_string(answer.retry_after));
  res.set_content(answer.body, kJsonType);
}

RequestRecord record_of(const httplib::Request& req) {
  RequestRecord record;
  record.method = req.method;
  record.path = req.path;
  record.target = req.target;
  record.body = req.body;
  for (const auto& header : req.headers) {
    // The library adds these itself; they were not sent.
    if (header.first == "REMOTE_ADDR" || header.first == "REMOTE_PORT" ||
        header.first == "LOCAL_ADDR" || header.first == "LOCAL_PORT")
      continue;
    record.headers.push_back(header);
  }
  return record;
}

void log_request(HttpsService* service, const httplib::Request& req) {
  if (!service->options.request_log) return;
  RequestRecord record = record_of(req);
  if (!service->options.request_log_secrets) mask_request_secrets(&record);
  append_log_line(data_file(service->context, "requests.jsonl"), request_log_line(record));
}

std::string client_of(HttpsService* service, const httplib::Request& req) {
  // A balancer may add its own X-Forwarded-For line after the client's: the last one counts.
  size_t lines = req.get_header_value_count("X-Forwarded-For");
  std::string forwarded = lines ? req.get_header_value("X-Forwarded-For", lines - 1) : "";
  return client_address(req.remote_addr, forwarded,
                        address_in_ranges(req.remote_addr, service->options.trusted_proxies));
}

// A delivery report's path holds the text's report id, which is all it takes to send one.
std::string logged_path(const httplib::Request& req, const char* action) {
  return std::strcmp(action, "text_report") == 0 ? "/texts/report/***" : req.path.substr(0, 64);
}

// One line per request on stderr, for the operator: what was asked and how it went, never a
// token, a PIN, an identifier or a message.
void note_request(HttpsService* service, const httplib::Request& req, const char* action,
                  int status, Clock::time_point started) {
  double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  metrics_note_request(&service->context.metrics, action, status, seconds);
  char ms[32];
  std::snprintf(ms, sizeof(ms), "%.3f", seconds * 1000);
  std::string line = "{\"time\":" + json_quote_bytes(utc_timestamp(std::time(nullptr))) +
                     ",\"method\":" + json_quote_bytes(req.method.substr(0, 16)) +
                     ",\"path\":" + json_quote_bytes(logged_path(req, action)) +
                     ",\"action\":" + json_quote_bytes(action) +
                     ",\"status\":" + std::to_string(status) + ",\"ms\":" + ms +
                     ",\"client\":" + json_quote_bytes(client_of(service, req)) + "}\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void on_api_post(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  Clock::time_point started = Clock::now();
  log_request(service, req);
  CannedAnswer canned;
  if (canned_take(&service->canned, &canned)) {
    if (canned.delay_ms > 0) canned_wait(&service->canned, canned.delay_ms);
    res.status = canned.status;
    res.set_content(canned.body, canned.content_type);
    note_request(service, req, "prepared", res.status, started);
    return;
  }
  ApiRequest request;
  request.content_type = req.get_header_value("Content-Type");
  request.has_authorization = req.has_header("Authorization");
  request.authorization = req.get_header_value("Authorization");
  request.body = req.body;
  request.client = client_of(service, req);
  ApiAnswer answer =
      handle_api_request(&service->context, request, static_cast<int64_t>(std::time(nullptr)));
  send_answer(res, answer);
  note_request(service, req, answer.action[0] ? answer.action : "none", answer.status, started);
}

void on_api_other_method(HttpsService* service, const httplib::Request& req,
                         httplib::Response& res) {
  Clock::time_point started = Clock::now();
  log_request(service, req);
  res.set_header("Allow", "POST");
  send_answer(res, error_answer(405, "Only POST is accepted here."));
  note_request(service, req, "none", 405, started);
}

void on_health(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  Clock::time_point started = Clock::now();
  if (store_pool_healthy(service->context.store)) {
    send_answer(res, ok_answer(200, nlohmann::ordered_json::object()));
  } else {
    send_answer(res, error_answer(503, "The database does not answer."));
  }
  note_request(service, req, "healthz", res.status, started);
}

void on_metrics(HttpsService* service, const httplib::Request&, httplib::Response& res) {
  res.set_content(metrics_text(&service->context.metrics), "text/plain; version=0.0.4");
}

// The SMS gateway's delivery report for one text; the id in the path is the text's own
// unguessable report id, so this address tells nothing and changes nothing else.
void on_text_report(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  Clock::time_point started = Clock::now();
  int status = 500;
  {
    StoreLease lease(service->context.store);
    if (lease.get())
      status = record_text_report(&service->context, lease.get(), req.matches[1].str(),
                                  req.get_param_value("status"),
                                  static_cast<int64_t>(std::time(nullptr)));
  }
  if (status == 200) {
    send_answer(res, ok_answer(200, nlohmann::ordered_json::object()));
  } else {
    send_answer(res, error_answer(status, status == 404 ? "There is nothing at this address."
                                                        : "The report could not be kept."));
  }
  note_request(service, req, "text_report", res.status, started);
}

void on_web_request(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  Clock::time_point started = Clock::now();
  WebRequest request;
  request.method = req.method;
  request.path = req.path;
  size_t query = req.target.find('?');
  if (query != std::string::npos) request.query = req.target.substr(query + 1);
  request.content_type = req.get_header_value("Content-Type");
  request.cookie_header = req.get_header_value("Cookie");
  request.body = req.body;
  request.client = client_of(service, req);
  request.now = static_cast<int64_t>(std::time(nullptr));
  WebAnswer answer = handle_web_request(&service->context, request);
  res.status = answer.status;
  for (const auto& header : answer.headers)
    res.headers.emplace(header.first, header.second);
  res.set_content(answer.body, answer.content_type.c_str());
  note_request(service, req, "web", answer.status, started);
}

bool is_web_form_path(const std::string& path) { return path.compare(0, 8, "/family/") == 0; }

HeadFields head_fields(const httplib::Request& req) {
  HeadFields fields;
  for (const auto& header : req.headers)
    fields.push_back(header);
  return fields;
}

// An answer given before the body is read leaves the body's bytes on the connection, where they
// would be read as the next request: the connection closes after it.
void close_after_answer(httplib::Response& res) {
  connection_close_after_answer();
  res.set_header("Connection", "close");
}

// Refuses what the head alone shows to be wrong: a body on a GET or HEAD, a body announced
// beyond the limit, a length given twice or not at all.
bool refused_by_guard(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  GuardVerdict verdict = guard_request_head(req.method, head_fields(req), kReadLimit);
  if (verdict.status == 0) return false;
  Clock::time_point started = Clock::now();
  if (req.path == API_PATH) log_request(service, req);
  if (verdict.close) close_after_answer(res);
  send_answer(res, error_answer(verdict.status, verdict.text));
  note_request(service, req, "none", verdict.status, started);
  return true;
}

// The host decides the site, before any route: the API goes on to its routes, the web pages
// are answered here. A form's body is read only after this step, so POSTs to the family
// page's paths go on to on_web_form.
httplib::Server::HandlerResponse route_by_host(HttpsService* service, const httplib::Request& req,
                                               httplib::Response& res) {
  connection_head_read();
  if (refused_by_guard(service, req, res)) return httplib::Server::HandlerResponse::Handled;
  SiteHost host = site_host(req.get_header_value("Host"));
  if (host == kHostApi) return httplib::Server::HandlerResponse::Unhandled;
  if (head_announces_body(head_fields(req)) &&
      !(host == kHostWeb && req.method == "POST" && is_web_form_path(req.path)))
    close_after_answer(res);
  if (host == kHostWeb) {
    if (req.method == "POST" && is_web_form_path(req.path))
      return httplib::Server::HandlerResponse::Unhandled;
    on_web_request(service, req, res);
  } else {
    send_answer(res, error_answer(404, "There is nothing at this address."));
  }
  return httplib::Server::HandlerResponse::Handled;
}

// Registered after every other POST route: a form of the web host, or an unknown API path.
void on_web_form(HttpsService* service, const httplib::Request& req, httplib::Response& res) {
  if (site_host(req.get_header_value("Host")) == kHostWeb && is_web_form_path(req.path)) {
    on_web_request(service, req, res);
  } else {
    send_answer(res, error_answer(404, "There is nothing at this address."));
  }
}

// Refusals made by the library itself (unknown path, unreadable request,
// body beyond the read limit) get the same JSON form as the service's own.
httplib::Server::HandlerResponse on_error(HttpsService* service, const httplib::Request& req,
                                          httplib::Response& res) {
  if (res.has_header("Content-Type")) return httplib::Server::HandlerResponse::Unhandled;
  if (req.path == API_PATH) log_request(service, req);
  // The library refuses a request it could not read whole; what is left of it must not be read
  // as another.
  if (res.status != 404) close_after_answer(res);
  const char* text = "The service could not read that request.";
  if (res.status == 404) text = "There is nothing at this address.";
  if (res.status == 413) text = "The request is too large: it can be at most 64 KiB.";
  send_answer(res, error_answer(res.status, text));
  return httplib::Server::HandlerResponse::Handled;
}

void add_test_endpoints(HttpsService* service) {
  httplib::Server& server = *service->server;
  server.Post("/test/next_answer", [service](const httplib::Request& req, httplib::Response& res) {
    CannedAnswer answer;
    std::string error;
    if (!parse_canned_answer(req.body, &answer, &error)) {
      send_answer(res, error_answer(400, error));
      return;
    }
    canned_set(&service->canned, answer);
    send_answer(res, ok_answer(200, nlohmann::ordered_json::object()));
  });
  server.Post("/test/reset", [service](const httplib::Request&, httplib::Response& res) {
    canned_reset(&service->canned);
    set_silence_limits(&service->context, service->options.silence);
    send_answer(res, ok_answer(200, nlohmann::ordered_json::object()));
  });
  server.Post("/test/silence_limits",
              [service](const httplib::Request& req, httplib::Response& res) {
                SilenceLimits limits = silence_limits(service->context);
                std::string error;
                if (!parse_silence_control(req.body, &limits, &error)) {
                  send_answer(res, error_answer(400, error));
                  return;
                }
                set_silence_limits(&service->context, limits);
                send_answer(res, ok_answer(200, nlohmann::ordered_json::object()));
              });
  server.Get("/test/health", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok", "text/plain");
  });
}

void add_routes(HttpsService* service) {
  httplib::Server& server = *service->server;
  auto post = [service](const httplib::Request& req, httplib::Response& res) {
    on_api_post(service, req, res);
  };
  auto other = [service](const httplib::Request& req, httplib::Response& res) {
    on_api_other_method(service, req, res);
  };
  server.Post(API_PATH, post);
  server.Get(API_PATH, other);
  server.Put(API_PATH, other);
  server.Patch(API_PATH, other);
  server.Delete(API_PATH, other);
  server.Options(API_PATH, other);
  server.Get("/healthz", [service](const httplib::Request& req, httplib::Response& res) {
    on_health(service, req, res);
  });
  server.Get("/metrics", [service](const httplib::Request& req, httplib::Response& res) {
    on_metrics(service, req, res);
  });
  server.Get("/texts/report/([0-9a-f]{32})",
             [service](const httplib::Request& req, httplib::Response& res) {
               on_text_report(service, req, res);
             });
  httplib::Server::HandlerWithResponse error_handler = [service](const httplib::Request& req,
                                                                 httplib::Response& res) {
    return on_error(service, req, res);
  };
  server.set_error_handler(error_handler);
  server.set_pre_routing_handler([service](const httplib::Request& req, httplib::Response& res) {
    return route_by_host(service, req, res);
  });
  server.set_payload_max_length(kReadLimit);
}

// Without TCP_NODELAY, an answer's body waits for the client's delayed ACK of its headers
// (about 40 ms). Kept-alive connections are worth keeping long; a slow or idle client gives
// its thread back after a few seconds.
void tune_server(HttpsService* service) {
  httplib::Server& server = *service->server;
  server.set_tcp_nodelay(true);
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_keep_alive_timeout(5);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  int threads = service->options.threads;
  server.new_task_queue = [threads] {
    return new httplib::ThreadPool(static_cast<size_t>(threads));
  };
}

// Writes the checks' waiting verdicts and looks for computers gone quiet every second, looks
// every two seconds whether an import changed the lists of scam websites (and loads them again
// if so), and sweeps out old limit events and challenges every ten minutes.
void housekeeping(HttpsService* service) {
  std::unique_lock<std::mutex> hold(service->housekeeping_lock);
  int seconds_to_sweep = 0;
  int seconds_to_threats = 0;
  while (!service->stopping) {
    hold.unlock();
    {
      StoreLease lease(service->context.store);
      size_t waiting = 0;
      if (!check_tally_flush(&service->context.checks, lease.get(), &waiting))
        std::fprintf(stderr, "{\"event\":\"check_counts_not_written\",\"waiting\":%zu}\n", waiting);
      int alerted = 0;
      if (lease.get() && !watch_silence(&service->context, lease.get(),
                                        static_cast<int64_t>(std::time(nullptr)), &alerted))
        std::fprintf(stderr, "{\"event\":\"silence_not_watched\"}\n");
      if (seconds_to_sweep <= 0 && lease.get()) {
        store_forget_old(lease.get(), static_cast<int64_t>(std::time(nullptr)));
        seconds_to_sweep = kHousekeepingSeconds;
      }
      if (seconds_to_threats <= 0 && lease.get()) {
        if (!threat_lists_refresh(&service->context.threats, lease.get()))
          std::fprintf(stderr, "{\"event\":\"threat_lists_not_loaded\"}\n");
        seconds_to_threats = kThreatListSeconds;
      }
    }
    seconds_to_sweep -= kCheckWriteSeconds;
    seconds_to_threats -= kCheckWriteSeconds;
    hold.lock();
    service->housekeeping_wake.wait_for(hold, std::chrono::seconds(kCheckWriteSeconds),
                                        [service] { return service->stopping; });
  }
}

} // namespace

HttpsService* https_service_start(const ServeOptions& options, std::string* error) {
  std::unique_ptr<HttpsService> service(new HttpsService());
  service->options = options;
  if (!service_context_open(&service->context, options.context, error)) return nullptr;
  service->context.free_checks_per_day = options.free_checks_per_day;
  service->context.codes_per_hour = options.codes_per_hour;
  service->context.free_checks_per_address = options.free_checks_per_address;
  set_silence_limits(&service->context, options.silence);
  std::vector<AddressRange> proxies = options.trusted_proxies;
  service->server.reset(new TlsServer(
      options.cert_file, options.key_file, ConnectionTimes(),
      [proxies](const std::string& peer) { return address_in_ranges(peer, proxies); }));
  if (!service->server->is_valid()) {
    *error =
        "Cannot load the certificate " + options.cert_file + " with the key " + options.key_file;
    service_context_close(&service->context);
    return nullptr;
  }
  tune_server(service.get());
  // A quarter of the threads are kept for requests that have arrived.
  service->server->caps().waiting = std::max(4, options.threads * 3 / 4);
  service->server->caps().per_network = options.connections_per_network;
  add_routes(service.get());
  if (options.test_endpoints) add_test_endpoints(service.get());
  HttpsService* routed = service.get();
  service->server->Post(".*", [routed](const httplib::Request& req, httplib::Response& res) {
    on_web_form(routed, req, res);
  });
  if (options.port == 0) {
    service->port = service->server->bind_to_any_port(options.address);
  } else if (service->server->bind_to_port(options.address.c_str(), options.port)) {
    service->port = options.port;
  } else {
    service->port = -1;
  }
  if (service->port <= 0) {
    *error = "Cannot listen on " + options.address + " port " + std::to_string(options.port);
    service_context_close(&service->context);
    return nullptr;
  }
  service->server->widen_listen_queue(kListenQueue);
  HttpsService* started = service.get();
  // Set before any thread starts that reads it.
  service->context.texts_on = !options.sms.sendsms_url.empty();
  service->housekeeper = std::thread(housekeeping, started);
  smtp_prepare();
  AlertDelivery delivery;
  delivery.outbox_file = data_file(service->context, "outbox.txt");
  delivery.smtp_url = options.smtp_url;
  delivery.mail_from = "alerts@" CALLWARDEN_VENDOR_DOMAIN;
  if (service->context.texts_on) delivery.texts = &service->context;
  service->alert_sender = std::thread([started, delivery] {
    alert_sender_loop(started->context.store, &started->context.alerts, delivery);
  });
  if (!options.sms.sendsms_url.empty()) {
    SmsGateway gateway = options.sms;
    if (gateway.report_base.empty()) {
      const bool any = options.address == "0.0.0.0" || options.address == "::";
      std::string host = any ? std::string("127.0.0.1") : options.address;
      if (host.find(':') != std::string::npos) host = "[" + host + "]";
      gateway.report_base = "https://" + host + ":" + std::to_string(service->port);
    }
    service->text_sender = std::thread([started, gateway] {
      text_sender_loop(started->context.store, &started->context.texts, gateway,
                       &started->context.metrics);
    });
  }
  return service.release();
}

int https_service_port(const HttpsService* service) { return service->port; }

int https_service_run(HttpsService* service) {
  bool served = service->server->listen_after_bind();
  service->run_finished = true;
  return served ? 1 : 0;
}

void https_service_stop(HttpsService* service) {
  canned_stop(&service->canned);
  // The library ignores a stop that comes before its accept loop has
  // begun, so keep asking until the loop has ended.
  while (!service->run_finished) {
    service->server->stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void https_service_free(HttpsService* service) {
  if (!service) return;
  {
    std::lock_guard<std::mutex> hold(service->housekeeping_lock);
    service->stopping = true;
  }
  service->housekeeping_wake.notify_all();
  if (service->housekeeper.joinable()) service->housekeeper.join();
  alert_wake_stop(&service->context.alerts);
  if (service->alert_sender.joinable()) service->alert_sender.join();
  alert_wake_stop(&service->context.texts);
  if (service->text_sender.joinable()) service->text_sender.join();
  service->server.reset();
  service_context_close(&service->context);
  delete service;
}
