// Load for the service's benchmark where every request must differ: kept-alive HTTPS
// connections spread over one or more instances, each sending its share of one action.
// send_pin goes to a new identifier from a new client address each time (the service runs
// with --trust-proxy), so the abuse limits measure nothing but their own cost.
//   olvex-load PORT[,PORT...] ACTION CONNECTIONS REQUESTS [TOKEN]
// prints: REQUESTS_PER_SECOND MEAN_MS P99_MS FAILED
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<int> ports_of(const std::string& list) {
  std::vector<int> ports;
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = list.find(',', start);
    ports.push_back(std::atoi(list.substr(start, comma - start).c_str()));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return ports;
}

std::string body_for(const std::string& action, int connection, int request) {
  if (action == "send_pin")
    return R"({"action":"send_pin","identifier":"bench-)" + std::to_string(connection) + "-" +
           std::to_string(request) + R"(@example.com"})";
  if (action == "report_blocked_tool")
    return R"({"action":"report_blocked_tool","tool_name":"AnyDesk.exe","device_label":"BENCH-PC"})";
  return R"({"action":"app_status","device_label":"BENCH-PC"})";
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: olvex-load PORT[,PORT...] ACTION CONNECTIONS REQUESTS [TOKEN]\n");
    return 2;
  }
  const std::vector<int> ports = ports_of(argv[1]);
  const std::string action = argv[2];
  const int connections = std::max(1, std::atoi(argv[3]));
  const int requests = std::max(connections, std::atoi(argv[4]));
  const std::string token = argc > 5 ? argv[5] : "";
  std::vector<std::vector<double>> times(static_cast<size_t>(connections));
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  const Clock::time_point started = Clock::now();
  for (int c = 0; c < connections; ++c) {
    threads.emplace_back([&, c] {
      httplib::SSLClient client("127.0.0.1", ports[static_cast<size_t>(c) % ports.size()]);
      client.enable_server_certificate_verification(false);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true); // headers and body go in two writes
      client.set_read_timeout(30, 0);
      const int share = requests / connections + (c < requests % connections ? 1 : 0);
      for (int r = 0; r < share; ++r) {
        httplib::Headers headers = {{"X-Forwarded-For", "10." + std::to_string(c) + "." +
                                                            std::to_string(r / 256 % 256) + "." +
                                                            std::to_string(r % 256)}};
        if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
        const Clock::time_point sent = Clock::now();
        auto reply =
            client.Post("/callwarden_api.php", headers, body_for(action, c, r), "application/json");
        times[static_cast<size_t>(c)].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        if (!reply || reply->status != 200) failed++;
      }
    });
  }
  for (std::thread& t : threads)
    t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  std::vector<double> all;
  for (const auto& part : times)
    all.insert(all.end(), part.begin(), part.end());
  std::sort(all.begin(), all.end());
  double sum = 0;
  for (double t : all)
    sum += t;
  const size_t p99 = all.empty() ? 0 : std::min(all.size() - 1, (all.size() * 99 + 99) / 100 - 1);
  std::printf("%.1f %.2f %.2f %d\n", all.size() / seconds, all.empty() ? 0 : sum / all.size(),
              all.empty() ? 0 : all[p99], failed.load());
  return 0;
}
