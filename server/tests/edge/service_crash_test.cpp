// The service killed with SIGKILL in the middle of a burst of sign-ins and reports, then
// started again on the same data: everything a client was told is still true.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "support/service_harness.h"

namespace {

struct Answered {
  std::mutex lock;
  std::map<std::string, int> reports_by_token; // every token a client received
};

std::string code_in_outbox(const std::string& outbox, const std::string& challenge) {
  std::ifstream in(outbox);
  std::string line;
  while (std::getline(in, line)) {
    nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
    if (entry.is_object() && entry["challenge_id"] == challenge) return entry["code"];
  }
  return std::string();
}

nlohmann::json post(httplib::SSLClient* client, const std::string& body, const std::string& token,
                    const std::string& forwarded_for) {
  httplib::Headers headers = {{"X-Forwarded-For", forwarded_for}};
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  auto reply = client->Post("/callwarden_api.php", headers, body, "application/json");
  if (!reply || reply->status != 200) return nlohmann::json();
  return nlohmann::json::parse(reply->body, nullptr, false);
}

// Signs in as its own person, then reports tools, until told to stop or the service is gone.
void sign_in_and_report(int port, int worker, const std::string& outbox,
                        const std::atomic<bool>* stop, Answered* answered) {
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  client.set_read_timeout(5, 0);
  for (int person = 0; !*stop; ++person) {
    const std::string address = "10.0." + std::to_string(worker) + "." + std::to_string(person);
    char mobile[24];
    std::snprintf(mobile, sizeof(mobile), "07700900%03d", worker * 200 + person % 200);
    nlohmann::json sent =
        post(&client, std::string(R"({"action":"send_pin","identifier":")") + mobile + "\"}", "",
             address);
    if (!sent.is_object()) continue;
    std::string challenge = sent["challenge_id"];
    nlohmann::json signed_in =
        post(&client,
             R"({"action":"verify_pin","challenge_id":")" + challenge + R"(","pin_code":")" +
                 code_in_outbox(outbox, challenge) + "\"}",
             "", address);
    if (!signed_in.is_object()) continue;
    const std::string token = signed_in["care_auth_token"];
    {
      std::lock_guard<std::mutex> hold(answered->lock);
      answered->reports_by_token[token] = 0;
    }
    for (int i = 0; i < 3 && !*stop; ++i) {
      nlohmann::json reported =
          post(&client,
               R"({"action":"report_blocked_tool","tool_name":"AnyDesk.exe","device_label":"PC"})",
               token, address);
      if (!reported.is_object()) break;
      std::lock_guard<std::mutex> hold(answered->lock);
      answered->reports_by_token[token]++;
    }
  }
}

TEST(ServiceCrash, KilledMidBurstLosesNothingItAnswered) {
  TestDatabase database;
  TempDir dir;
  const std::string data = dir.path + "/data";
  std::vector<std::string> args = serve_args(data);
  args.insert(args.end(), {"--trust-proxy", "127.0.0.1/32"});
  ChildService child = start_child(args);
  ASSERT_GT(child.pid, 0);
  int port = ready_port(child);
  ASSERT_GT(port, 0);

  Answered answered;
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w)
    workers.emplace_back(sign_in_and_report, port, w, data + "/outbox.txt", &stop, &answered);
  // Killed once enough has been answered that the burst is surely going on.
  for (int i = 0; i < 600; ++i) {
    {
      std::lock_guard<std::mutex> hold(answered.lock);
      if (answered.reports_by_token.size() >= 12) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child.pid, SIGKILL);
  EXPECT_EQ(wait_exit_code(child.pid), 128 + SIGKILL);
  fclose(child.output);
  stop = true;
  for (std::thread& t : workers)
    t.join();
  ASSERT_GE(answered.reports_by_token.size(), 12u);

  child = start_child(args);
  port = ready_port(child);
  ASSERT_GT(port, 0);
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  for (const auto& entry : answered.reports_by_token) {
    nlohmann::json status =
        post(&client, R"({"action":"app_status","device_label":"PC"})", entry.first, "10.9.9.9");
    ASSERT_TRUE(status.is_object()) << "no answer for a token";
    EXPECT_EQ(status["authenticated"], true) << "a token the client got was lost";
    // A report may have been stored with its answer still unsent; never one fewer.
    int stored = status["recent_blocked_count"];
    EXPECT_GE(stored, entry.second);
    EXPECT_LE(stored, entry.second + 1);
  }
  kill(child.pid, SIGTERM);
  EXPECT_EQ(wait_exit_code(child.pid), 0);
  fclose(child.output);
}

} // namespace
