// Several instances of the service on one PostgreSQL database, as behind a load balancer:
// what one instance was told, all of them know; limits and lock-outs hold on every one; an
// instance killed mid-burst loses nothing it answered while the others go on; and the
// load balancer's example configuration in deploy/ works as written.
#include <gtest/gtest.h>
#include <httplib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "base/secret_key.h"
#include "support/service_harness.h"

namespace {

struct Reply {
  int status = 0;
  nlohmann::json json;
};

Reply post_to(int port, const std::string& body, const std::string& token = std::string(),
              const std::string& forwarded_for = std::string()) {
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(10, 0);
  httplib::Headers headers;
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  if (!forwarded_for.empty()) headers.emplace("X-Forwarded-For", forwarded_for);
  auto result = client.Post("/callwarden_api.php", headers, body, "application/json");
  Reply reply;
  if (!result) return reply;
  reply.status = result->status;
  reply.json = nlohmann::json::parse(result->body, nullptr, false);
  return reply;
}

std::string send_pin_body(const std::string& identifier) {
  return R"({"action":"send_pin","identifier":")" + identifier + "\"}";
}

std::string verify_body(const std::string& challenge, const std::string& code) {
  return R"({"action":"verify_pin","challenge_id":")" + challenge + R"(","pin_code":")" + code +
         "\"}";
}

// A port nothing listens on now: bound to 0, read, closed again.
int free_port() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  if (fd >= 0) close(fd);
  return port;
}

const char kStatus[] = R"({"action":"app_status","device_label":"PC"})";
const char kReport[] =
    R"({"action":"report_blocked_tool","tool_name":"AnyDesk.exe","device_label":"PC"})";

class MultiInstance : public ::testing::Test {
protected:
  void SetUp() override {
    if (!testing_postgres()) GTEST_SKIP() << "several instances share a PostgreSQL database";
    ASSERT_TRUE(database_.ready());
    key_file_ = dir_.path + "/secret.key";
    SecretKey key;
    std::string error;
    ASSERT_TRUE(load_or_make_secret_key(key_file_, &key, &error)) << error;
  }

  void TearDown() override {
    for (ChildService& child : children_) {
      if (child.pid <= 0) continue;
      kill(child.pid, SIGTERM);
      wait_exit_code(child.pid);
      fclose(child.output);
    }
  }

  // Starts instance `i` (its own data folder, the shared database and key); its port.
  int start(int i, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = serve_args(data(i), database_.url());
    args.insert(args.end(), {"--secret-key-file", key_file_, "--trust-proxy", "127.0.0.1/32"});
    args.insert(args.end(), more.begin(), more.end());
    children_.push_back(start_child(args));
    int port = ready_port(children_.back());
    EXPECT_GT(port, 0) << "instance " << i << " did not start";
    return port;
  }

  std::string data(int i) const { return dir_.path + "/instance" + std::to_string(i); }

  // The code of a challenge, from whichever instance's outbox holds it.
  std::string code_of(const std::string& challenge, int instances) const {
    for (int i = 0; i < instances; ++i) {
      std::ifstream outbox(data(i) + "/outbox.txt");
      std::string line;
      while (std::getline(outbox, line)) {
        nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
        if (entry.is_object() && entry["challenge_id"] == challenge) return entry["code"];
      }
    }
    return std::string();
  }

  // Signs in on `send_port` and verifies on `verify_port`; the token, or empty.
  std::string sign_in(const std::string& identifier, int send_port, int verify_port,
                      int instances) {
    Reply sent = post_to(send_port, send_pin_body(identifier));
    if (sent.status != 200) return std::string();
    std::string challenge = sent.json["challenge_id"];
    Reply verified = post_to(verify_port, verify_body(challenge, code_of(challenge, instances)));
    return verified.status == 200 ? verified.json["care_auth_token"].get<std::string>()
                                  : std::string();
  }

  int run_command(const std::vector<std::string>& words) {
    std::vector<std::string> args = words;
    args.insert(args.end(),
                {"--data", data(0), "--database", database_.url(), "--secret-key-file", key_file_});
    ChildService child = start_child(args);
    int code = wait_exit_code(child.pid);
    fclose(child.output);
    return code;
  }

  // Alert lines holding `part` in every instance's outbox.
  int outbox_alerts_with(const std::string& part, int instances) const {
    int found = 0;
    for (int i = 0; i < instances; ++i) {
      std::ifstream outbox(data(i) + "/outbox.txt");
      std::string line;
      while (std::getline(outbox, line))
        found += line.find("\"kind\":\"alert\"") != std::string::npos &&
                 line.find(part) != std::string::npos;
    }
    return found;
  }

  TestDatabase database_;
  TempDir dir_;
  std::string key_file_;
  std::vector<ChildService> children_;
};

TEST_F(MultiInstance, ATokenMadeOnOneWorksOnTheOthers) {
  int a = start(0), b = start(1), c = start(2);
  std::string token = sign_in("07700900123", a, b, 3);
  ASSERT_FALSE(token.empty());
  EXPECT_EQ(post_to(b, kReport, token).status, 200);
  Reply status = post_to(c, kStatus, token);
  EXPECT_EQ(status.json["authenticated"], true);
  EXPECT_EQ(status.json["recent_blocked_count"], 1) << "the report made on another instance";
}

TEST_F(MultiInstance, ACodeSentToAllAtOnceIsAcceptedExactlyOnce) {
  int ports[3] = {start(0), start(1), start(2)};
  Reply sent = post_to(ports[0], send_pin_body("jo@example.com"));
  ASSERT_EQ(sent.status, 200);
  const std::string challenge = sent.json["challenge_id"];
  const std::string code = code_of(challenge, 3);
  std::atomic<int> accepted{0};
  std::atomic<int> refused{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 12; ++i) {
    clients.emplace_back([&, i] {
      int status = post_to(ports[i % 3], verify_body(challenge, code)).status;
      (status == 200 ? accepted : refused)++;
    });
  }
  for (std::thread& t : clients)
    t.join();
  EXPECT_EQ(accepted.load(), 1);
  EXPECT_EQ(refused.load(), 11);
}

TEST_F(MultiInstance, TheAbuseLimitsAreShared) {
  int ports[3] = {start(0), start(1), start(2)};
  std::vector<std::string> challenges;
  for (int i = 0; i < 3; ++i) {
    Reply sent = post_to(ports[i], send_pin_body("07700900124"));
    ASSERT_EQ(sent.status, 200) << i;
    challenges.push_back(sent.json["challenge_id"]);
  }
  EXPECT_EQ(post_to(ports[0], send_pin_body("07700900124")).status, 429)
      << "a fourth code within 15 minutes, on any instance";
  // Ten wrong codes across the instances and the challenges; the eleventh try is refused.
  for (int i = 0; i < 10; ++i) {
    const std::string& challenge = challenges[i / 4];
    std::string wrong = code_of(challenge, 3) == "000000" ? "000001" : "000000";
    EXPECT_EQ(post_to(ports[i % 3], verify_body(challenge, wrong)).status, 401) << i;
  }
  EXPECT_EQ(post_to(ports[1], verify_body(challenges[2], code_of(challenges[2], 3))).status, 429);
}

// Every instance's housekeeping looks for silence; the family hears of each one once.
TEST_F(MultiInstance, ASilenceIsAlertedOnceWhicheverInstancesLook) {
  const std::vector<std::string> quick = {"--silent-after", "2"};
  int a = start(0, quick), b = start(1, quick);
  std::string token = sign_in("07700900127", a, b, 2);
  ASSERT_FALSE(token.empty());
  ASSERT_EQ(post_to(b, kStatus, token).status, 200);
  const std::string silent = "Callwarden on PC has not been heard from since";
  for (int i = 0; i < 70 && outbox_alerts_with(silent, 2) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_EQ(outbox_alerts_with(silent, 2), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(outbox_alerts_with(silent, 2), 1) << "both instances alerted the one silence";
  ASSERT_EQ(post_to(a, kStatus, token).status, 200);
  ASSERT_EQ(post_to(b, kStatus, token).status, 200);
  for (int i = 0; i < 50 && outbox_alerts_with("is back on since", 2) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(outbox_alerts_with("is back on since", 2), 1);
}

TEST_F(MultiInstance, AGuardianPinLockedOnOneIsLockedOnAll) {
  int a = start(0), b = start(1);
  ASSERT_EQ(run_command({"set-guardian-pin", "07700900125", "4321"}), 0);
  std::string token = sign_in("07700900125", a, a, 2);
  ASSERT_FALSE(token.empty());
  auto override_pin = [&](int port, const char* pin) {
    return post_to(port,
                   std::string(
                       R"({"action":"verify_override_pin","device_label":"PC","override_pin":")") +
                       pin + "\"}",
                   token)
        .status;
  };
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(override_pin(i % 2 ? b : a, "1111"), 401) << i;
  EXPECT_EQ(override_pin(b, "1111"), 429) << "the fifth wrong PIN locks";
  EXPECT_EQ(override_pin(a, "4321"), 429) << "locked on the other instance too";
}

TEST_F(MultiInstance, AnInstanceKilledMidBurstLosesNoAnsweredWriteAndTheOthersServe) {
  int ports[2] = {start(0), start(1)};
  std::mutex lock;
  std::map<std::string, int> reports_by_token;
  std::atomic<bool> stop{false};
  std::atomic<int> answered_by_survivor_after_kill{0};
  std::atomic<bool> killed{false};
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([&, w] {
      const int port = ports[w % 2];
      for (int person = 0; !stop && person < 100; ++person) {
        char mobile[24];
        std::snprintf(mobile, sizeof(mobile), "07700900%03d", 300 + w * 100 + person % 100);
        std::string address = "10.1." + std::to_string(w) + "." + std::to_string(person);
        Reply sent = post_to(port, send_pin_body(mobile), "", address);
        if (sent.status != 200) continue;
        std::string challenge = sent.json["challenge_id"];
        Reply verified = post_to(port, verify_body(challenge, code_of(challenge, 2)), "", address);
        if (verified.status != 200) continue;
        std::string token = verified.json["care_auth_token"];
        {
          std::lock_guard<std::mutex> hold(lock);
          reports_by_token[token] = 0;
        }
        for (int i = 0; i < 2; ++i) {
          if (post_to(port, kReport, token, address).status != 200) break;
          std::lock_guard<std::mutex> hold(lock);
          reports_by_token[token]++;
          if (killed && port == ports[1]) answered_by_survivor_after_kill++;
        }
      }
    });
  }
  for (int i = 0; i < 600; ++i) {
    {
      std::lock_guard<std::mutex> hold(lock);
      if (reports_by_token.size() >= 10) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(children_[0].pid, SIGKILL);
  EXPECT_EQ(wait_exit_code(children_[0].pid), 128 + SIGKILL);
  fclose(children_[0].output);
  children_[0].pid = -1;
  killed = true;
  for (int i = 0; i < 400 && answered_by_survivor_after_kill < 4; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  stop = true;
  for (std::thread& t : workers)
    t.join();
  EXPECT_GE(answered_by_survivor_after_kill.load(), 4) << "the other instance stopped serving";

  int fresh = start(2);
  ASSERT_GE(reports_by_token.size(), 10u);
  for (const auto& entry : reports_by_token) {
    Reply status = post_to(fresh, kStatus, entry.first);
    ASSERT_EQ(status.status, 200);
    EXPECT_EQ(status.json["authenticated"], true) << "a token a client got was lost";
    int stored = status.json["recent_blocked_count"];
    EXPECT_GE(stored, entry.second);
    EXPECT_LE(stored, entry.second + 1);
  }
}

// deploy/haproxy.cfg, started for real in front of two instances.
TEST_F(MultiInstance, TheLoadBalancersExampleConfigurationSpreadsAndSkipsADeadInstance) {
  ASSERT_EQ(access("/usr/sbin/haproxy", X_OK), 0)
      << "haproxy is not installed (scripts/test installs it)";
  int a = start(0), b = start(1);
  // HAProxy wants the certificate and its key in one file.
  const std::string pem = dir_.path + "/haproxy.pem";
  {
    std::ifstream cert(test_cert_file()), key(test_key_file());
    std::ofstream both(pem);
    both << cert.rdbuf() << key.rdbuf();
  }
  const int front = free_port();
  ASSERT_GT(front, 0);
  const std::string log = dir_.path + "/haproxy.log";
  pid_t haproxy = fork();
  if (haproxy == 0) {
    setenv("OLVEX_FRONT", ("127.0.0.1:" + std::to_string(front)).c_str(), 1);
    setenv("OLVEX_FRONT_PEM", pem.c_str(), 1);
    setenv("OLVEX_INSTANCE_1", ("127.0.0.1:" + std::to_string(a)).c_str(), 1);
    setenv("OLVEX_INSTANCE_2", ("127.0.0.1:" + std::to_string(b)).c_str(), 1);
    setenv("OLVEX_BACKEND_CA", test_cert_file().c_str(), 1);
    setenv("OLVEX_BACKEND_NAME", "localhost", 1);
    setenv("OLVEX_API_HOST", "api.olvex.example", 1);
    freopen(log.c_str(), "w", stderr);
    execl("/usr/sbin/haproxy", "haproxy", "-db", "-f", LS_DEPLOY_DIR "/haproxy.cfg",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(haproxy, 0);
  Reply first;
  for (int i = 0; i < 100 && first.status != 200; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    first = post_to(front, kStatus);
  }
  ASSERT_EQ(first.status, 200) << "nothing through haproxy; its log: " << log;
  // The counts are not for the world, however the path is spelled.
  for (const char* path : {"/metrics", "/%6detrics", "/metrics?x=1"}) {
    httplib::SSLClient outside("127.0.0.1", front);
    outside.enable_server_certificate_verification(false);
    auto answer = outside.Get(path, {{"Host", "api.olvex.example"}});
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->status, 403) << path;
  }

  std::string token = sign_in("07700900126", front, front, 2);
  ASSERT_FALSE(token.empty());
  // A client's own X-Forwarded-For is dropped: the limit per network sees the real address.
  int refused = 0;
  for (int i = 0; i < 30; ++i) {
    char mobile[24];
    std::snprintf(mobile, sizeof(mobile), "07700900%03d", 700 + i % 100);
    refused +=
        post_to(front, send_pin_body(mobile), "", "203.0.113." + std::to_string(i)).status == 429;
  }
  EXPECT_EQ(refused, 1) << "31 codes from one address in an hour: only the last is refused";

  kill(children_[0].pid, SIGKILL);
  wait_exit_code(children_[0].pid);
  fclose(children_[0].output);
  children_[0].pid = -1;
  int served = 0;
  for (int i = 0; i < 20; ++i)
    served += post_to(front, kStatus, token).json["authenticated"] == true;
  EXPECT_EQ(served, 20) << "every request reaches the instance that is left";

  kill(haproxy, SIGTERM);
  wait_exit_code(haproxy);
}

} // namespace
