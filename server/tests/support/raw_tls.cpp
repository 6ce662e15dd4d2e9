#include "support/raw_tls.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

int connect_from(int port, const std::string& source) {
  int sock = socket(AF_INET, SOCK_STREAM, 0);
  if (sock < 0) return -1;
  if (!source.empty()) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &local.sin_addr);
    if (bind(sock, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
      close(sock);
      return -1;
    }
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  if (connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
    close(sock);
    return -1;
  }
  return sock;
}

} // namespace

RawTls::RawTls(int port, const std::string& source) {
  sock_ = connect_from(port, source);
  if (sock_ < 0) return;
  timeval wait{10, 0};
  setsockopt(sock_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
  ctx_ = SSL_CTX_new(TLS_client_method());
  SSL* ssl = ctx_ ? SSL_new(ctx_) : nullptr;
  if (!ssl) return;
  SSL_set_fd(ssl, sock_);
  if (SSL_connect(ssl) != 1) {
    SSL_free(ssl);
    return;
  }
  ssl_ = ssl;
}

RawTls::~RawTls() {
  if (ssl_) SSL_free(ssl_);
  if (ctx_) SSL_CTX_free(ctx_);
  if (sock_ >= 0) close(sock_);
}

bool RawTls::send(const std::string& bytes) {
  if (!ssl_) return false;
  return SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) ==
         static_cast<int>(bytes.size());
}

std::string RawTls::read_all(double seconds, bool* closed) {
  *closed = false;
  std::string received;
  if (!ssl_) return received;
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  char buffer[4096];
  while (std::chrono::steady_clock::now() < until) {
    if (SSL_pending(ssl_) == 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      pollfd one{sock_, POLLIN, 0};
      if (poll(&one, 1, static_cast<int>(left.count()) + 1) <= 0) break;
    }
    int got = SSL_read(ssl_, buffer, sizeof(buffer));
    if (got <= 0) {
      *closed = true;
      break;
    }
    received.append(buffer, static_cast<size_t>(got));
  }
  return received;
}

int open_idle_connection(int port, const std::string& source) { return connect_from(port, source); }

bool closed_within(int sock, double seconds) {
  pollfd one{sock, POLLIN, 0};
  if (poll(&one, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
  char byte = 0;
  return recv(sock, &byte, 1, MSG_DONTWAIT) <= 0;
}

int answer_count(const std::string& received) {
  int count = 0;
  for (size_t at = received.find("HTTP/1.1 "); at != std::string::npos;
       at = received.find("HTTP/1.1 ", at + 1))
    ++count;
  return count;
}
