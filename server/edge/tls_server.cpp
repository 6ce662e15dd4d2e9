#include "edge/tls_server.h"

#include <fcntl.h>
#include <netdb.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "base/client_network.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut in slices this long, so a stopping server is noticed between them.
const int kWaitSliceMs = 200;

struct ConnectionState {
  ConnectionCaps* caps = nullptr;
  bool waiting = false; // holds one of the caps' waiting places
  bool head_read = false;
  bool close_after_answer = false;
  Clock::time_point head_deadline;
};

// The connection this request thread serves; each connection keeps one thread to its end.
thread_local ConnectionState* current_connection = nullptr;

int ms_left(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(0, std::min<long long>(left.count(), INT_MAX)));
}

// False at the deadline; a closed or broken socket counts as ready, for SSL to find out.
bool wait_socket(int sock, short events, Clock::time_point deadline) {
  for (;;) {
    int ms = ms_left(deadline);
    if (ms <= 0) return false;
    pollfd one{sock, events, 0};
    int ready = poll(&one, 1, std::min(ms, kWaitSliceMs));
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0) return true;
  }
}

// Carries SSL_read or SSL_write through the socket's waits; the result of the last call.
template <typename Call> int ssl_call(SSL* ssl, int sock, Clock::time_point deadline, Call call) {
  for (;;) {
    ERR_clear_error();
    int done = call();
    if (done > 0) return done;
    int error = SSL_get_error(ssl, done);
    if (error == SSL_ERROR_ZERO_RETURN) return 0;
    short events = error == SSL_ERROR_WANT_READ    ? POLLIN
                   : error == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                   : 0;
    if (events == 0 || !wait_socket(sock, events, deadline)) return -1;
  }
}

void address_of(int sock, bool peer, std::string* ip, int* port) {
  sockaddr_storage address{};
  socklen_t size = sizeof(address);
  int got = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&address), &size)
                 : getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size);
  char host[NI_MAXHOST] = "";
  char service[NI_MAXSERV] = "0";
  if (got == 0)
    getnameinfo(reinterpret_cast<sockaddr*>(&address), size, host, sizeof(host), service,
                sizeof(service), NI_NUMERICHOST | NI_NUMERICSERV);
  *ip = host;
  *port = std::atoi(service);
}

// The library reads a request's head a byte at a time and writes an answer's head and body
// apart. The stream reads from SSL in blocks and holds what it writes until the answer is
// done or it must wait for the client, so that each request costs one read and one write of
// the socket, not one SSL call a byte and a TLS record for each part of the answer.
class TlsStream : public httplib::Stream {
public:
  // The library asks for both ends on every request; they never change on a connection.
  TlsStream(int sock, SSL* ssl, int io_seconds, ConnectionState* state, const std::string& peer,
            int peer_port)
      : sock_(sock), ssl_(ssl), io_seconds_(io_seconds), state_(state), remote_ip_(peer),
        remote_port_(peer_port) {
    address_of(sock, false, &local_ip_, &local_port_);
  }

  // Whether bytes of the next request are already held, here or inside SSL (which reads
  // ahead, so they may not be a whole record yet).
  bool has_input() const { return read_at_ < read_end_ || SSL_has_pending(ssl_) == 1; }

  // Sends what is held back; false when the client cannot take it.
  bool flush() {
    size_t sent = 0;
    while (sent < held_.size()) {
      int want = static_cast<int>(std::min<size_t>(held_.size() - sent, INT_MAX));
      int done =
          ssl_call(ssl_, sock_, io_deadline(), [&] { return SSL_write(ssl_, &held_[sent], want); });
      if (done <= 0) {
        held_.clear();
        return false;
      }
      sent += static_cast<size_t>(done);
    }
    held_.clear();
    return true;
  }

  bool is_readable() const override {
    return has_input() || wait_socket(sock_, POLLIN, read_deadline());
  }
  bool is_writable() const override { return wait_socket(sock_, POLLOUT, io_deadline()); }
  ssize_t read(char* ptr, size_t size) override {
    if (read_at_ == read_end_) {
      // The client may be waiting for what is held (an interim answer) before it sends more.
      if (!held_.empty() && !flush()) return -1;
      int got = ssl_call(ssl_, sock_, read_deadline(),
                         [&] { return SSL_read(ssl_, read_buffer_, sizeof(read_buffer_)); });
      if (got <= 0) return got;
      read_at_ = 0;
      read_end_ = static_cast<size_t>(got);
    }
    size_t given = std::min(size, read_end_ - read_at_);
    std::memcpy(ptr, read_buffer_ + read_at_, given);
    read_at_ += given;
    return static_cast<ssize_t>(given);
  }
  ssize_t write(const char* ptr, size_t size) override {
    held_.append(ptr, size);
    if (held_.size() >= kMostHeldBytes && !flush()) return -1;
    return static_cast<ssize_t>(std::min<size_t>(size, SSIZE_MAX));
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = remote_ip_;
    port = remote_port_;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = local_ip_;
    port = local_port_;
  }
  socket_t socket() const override { return sock_; }

private:
  static const size_t kMostHeldBytes = 64 * 1024;

  Clock::time_point io_deadline() const { return Clock::now() + std::chrono::seconds(io_seconds_); }
  // The head has one deadline however slowly its bytes come; each read after it has its own.
  Clock::time_point read_deadline() const {
    return state_->head_read ? io_deadline() : state_->head_deadline;
  }

  int sock_;
  SSL* ssl_;
  int io_seconds_;
  ConnectionState* state_;
  char read_buffer_[16384] = {};
  size_t read_at_ = 0;
  size_t read_end_ = 0;
  std::string held_;
  std::string remote_ip_;
  int remote_port_ = 0;
  std::string local_ip_;
  int local_port_ = 0;
};

// After an answer given without reading the body: a client that sends its whole body before
// reading (most do) would otherwise meet a reset instead of the answer. What it goes on
// sending is read and thrown away, for a short time only, and never kept.
void discard_rest(SSL* ssl, int sock) {
  const Clock::time_point until = Clock::now() + std::chrono::seconds(2);
  const size_t kMostDiscarded = 16 * 1024 * 1024;
  char buffer[16384];
  size_t discarded = 0;
  while (discarded < kMostDiscarded && Clock::now() < until) {
    Clock::time_point quiet = std::min(until, Clock::now() + std::chrono::milliseconds(500));
    int got = ssl_call(ssl, sock, quiet, [&] { return SSL_read(ssl, buffer, sizeof(buffer)); });
    if (got <= 0) return;
    discarded += static_cast<size_t>(got);
  }
}

bool take_wait(ConnectionState* state) {
  if (state->waiting) return true;
  state->waiting = caps_start_wait(state->caps);
  return state->waiting;
}

void end_wait(ConnectionState* state) {
  if (!state->waiting) return;
  caps_end_wait(state->caps);
  state->waiting = false;
}

} // namespace

TlsServer::TlsServer(const std::string& cert_file, const std::string& key_file,
                     const ConnectionTimes& times, std::function<bool(const std::string&)> exempt)
    : times_(times), exempt_(std::move(exempt)) {
  ctx_ = SSL_CTX_new(TLS_server_method());
  if (!ctx_) return;
  SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
  SSL_CTX_set_options(ctx_, SSL_OP_NO_COMPRESSION | SSL_OP_NO_SESSION_RESUMPTION_ON_RENEGOTIATION);
  // A record's header and body in one read of the socket, not two.
  SSL_CTX_set_read_ahead(ctx_, 1);
  if (SSL_CTX_use_certificate_chain_file(ctx_, cert_file.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx_, key_file.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx_) != 1) {
    SSL_CTX_free(ctx_);
    ctx_ = nullptr;
  }
}

TlsServer::~TlsServer() {
  if (ctx_) SSL_CTX_free(ctx_);
}

bool TlsServer::is_valid() const { return ctx_ != nullptr; }

void TlsServer::widen_listen_queue(int queue) {
  socket_t sock = svr_sock_;
  if (sock != INVALID_SOCKET) ::listen(sock, queue);
}

bool TlsServer::process_and_close_socket(socket_t sock) {
  std::string peer;
  int port = 0;
  address_of(sock, true, &peer, &port);
  const std::string network = client_network(peer);
  const bool exempt = exempt_ && exempt_(peer);
  if (caps_open(&caps_, network, exempt)) {
    SSL* ssl = SSL_new(ctx_);
    if (ssl) {
      serve_connection(sock, ssl, peer, port);
      SSL_free(ssl);
    }
    caps_close(&caps_, network, exempt);
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return true;
}

// Whether a request has begun to arrive (its bytes may already be inside SSL) before the
// keep-alive time runs out or the server stops.
bool TlsServer::wait_for_request(int sock, bool has_input) {
  if (has_input) return true;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(times_.keep_alive_seconds);
  while (svr_sock_ != INVALID_SOCKET) {
    if (ms_left(deadline) <= 0) return false;
    Clock::time_point slice = std::min(deadline, Clock::now() + std::chrono::milliseconds(200));
    if (wait_socket(sock, POLLIN, slice)) return true;
  }
  return false;
}

void TlsServer::serve_connection(int sock, SSL* ssl, const std::string& peer, int peer_port) {
  ConnectionState state;
  state.caps = &caps_;
  if (!take_wait(&state)) return;
  fcntl(sock, F_SETFL, fcntl(sock, F_GETFL) | O_NONBLOCK);
  SSL_set_fd(ssl, sock);
  Clock::time_point handshake_deadline =
      Clock::now() + std::chrono::seconds(times_.handshake_seconds);
  if (ssl_call(ssl, sock, handshake_deadline, [&] { return SSL_accept(ssl); }) <= 0) {
    end_wait(&state);
    return;
  }
  TlsStream stream(sock, ssl, times_.io_seconds, &state, peer, peer_port);
  current_connection = &state;
  bool clean = true;
  for (size_t left = keep_alive_max_count_; left > 0; --left) {
    // A kept-alive connection gives its place up when others need it.
    if (!take_wait(&state) || !wait_for_request(sock, stream.has_input())) break;
    state.head_read = false;
    state.close_after_answer = false;
    state.head_deadline = Clock::now() + std::chrono::seconds(times_.head_seconds);
    bool closed = false;
    bool answered = process_request(stream, left == 1, closed, nullptr);
    if (!stream.flush()) answered = false;
    end_wait(&state);
    if (!answered) clean = false;
    if (answered && state.close_after_answer) {
      SSL_shutdown(ssl);
      discard_rest(ssl, sock);
      clean = false;
    }
    if (!answered || closed || state.close_after_answer) break;
  }
  end_wait(&state);
  current_connection = nullptr;
  if (clean) SSL_shutdown(ssl);
}

void connection_head_read() {
  ConnectionState* state = current_connection;
  if (!state) return;
  state->head_read = true;
  end_wait(state);
}

void connection_close_after_answer() {
  if (current_connection) current_connection->close_after_answer = true;
}
