// The ceiling for the service's benchmark: the same TLS library and server settings, answering
// every POST with a fixed small JSON and doing nothing else.
//   olvex-bare-server CERT KEY   prints "listening on https://127.0.0.1:PORT", serves until killed
#include <httplib.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: olvex-bare-server CERT KEY\n");
    return 2;
  }
  httplib::SSLServer server(argv[1], argv[2]);
  if (!server.is_valid()) return 1;
  server.set_tcp_nodelay(true);
  server.set_keep_alive_max_count(10000);
  server.set_keep_alive_timeout(5);
  server.new_task_queue = [] { return new httplib::ThreadPool(128); };
  server.Post("/callwarden_api.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        R"({"ok":true,"authenticated":false,"entitled":false,"recent_blocked_count":0})",
        "application/json");
  });
  int port = server.bind_to_any_port("127.0.0.1");
  std::printf("listening on https://127.0.0.1:%d\n", port);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
