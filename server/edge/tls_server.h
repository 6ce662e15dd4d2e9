#pragma once
// The edge's own handling of each TLS connection, in place of the library's: the handshake and
// each request's head must arrive within a few seconds, the connection caps (connection_caps.h)
// are asked before any wait, and a handler can close the connection after its answer (when a
// body it refused was never read). The library still parses each request and routes it.
#include <httplib.h>
#include <openssl/ssl.h>

#include <functional>
#include <string>

#include "edge/connection_caps.h"

struct ConnectionTimes {
  int handshake_seconds = 5;  // from the connection's start to a finished TLS handshake
  int head_seconds = 10;      // from a request's first byte to the end of its head
  int keep_alive_seconds = 5; // between requests
  int io_seconds = 10;        // any one read of a body or write of an answer
};

class TlsServer : public httplib::Server {
public:
  // `exempt` says whether a peer address is spared the cap per network (a trusted balancer).
  TlsServer(const std::string& cert_file, const std::string& key_file, const ConnectionTimes& times,
            std::function<bool(const std::string&)> exempt);
  ~TlsServer() override;
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;
  bool is_valid() const override;
  ConnectionCaps& caps() { return caps_; }
  // The library listens with a queue of 5 connections not yet accepted: a burst of connects
  // beyond it waits seconds for the kernel to retry. Called once the port is bound.
  void widen_listen_queue(int queue);

private:
  bool process_and_close_socket(socket_t sock) override;
  void serve_connection(int sock, SSL* ssl, const std::string& peer, int peer_port);
  bool wait_for_request(int sock, bool has_input);

  SSL_CTX* ctx_ = nullptr;
  ConnectionTimes times_;
  std::function<bool(const std::string&)> exempt_;
  ConnectionCaps caps_;
};

// For the handlers, on the request thread: the head has been read (its connection no longer
// waits), and the connection is to close once this answer is sent.
void connection_head_read();
void connection_close_after_answer();
