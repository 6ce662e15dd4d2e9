#pragma once
// A TLS client that sends bytes exactly as given, for requests no ordinary client would send
// (a body on a GET, two requests in one write, a length it never sends), and reads what comes
// back until the service closes the connection or the wait runs out.
#include <openssl/ssl.h>

#include <string>

class RawTls {
public:
  // `source` binds the client's end to that local address (127.0.0.2 and so on), or not at all.
  RawTls(int port, const std::string& source = std::string());
  ~RawTls();
  RawTls(const RawTls&) = delete;
  RawTls& operator=(const RawTls&) = delete;

  bool connected() const { return ssl_ != nullptr; }
  bool send(const std::string& bytes);
  // Everything received until the connection closes or `seconds` pass; `*closed` says which.
  std::string read_all(double seconds, bool* closed);

private:
  int sock_ = -1;
  SSL_CTX* ctx_ = nullptr;
  SSL* ssl_ = nullptr;
};

// A plain TCP connection that never starts TLS: the half-open connection of a flood. -1 when
// the connection could not be made.
int open_idle_connection(int port, const std::string& source = std::string());

// Whether the service has closed an idle connection (a read sees its end) within `seconds`.
bool closed_within(int sock, double seconds);

// How many answers (status lines) a stream of answers holds.
int answer_count(const std::string& received);
