// Runs the real program: the ready line, an answer, and a clean stop on a
// signal.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "service_harness.h"

namespace {

struct ChildService {
  pid_t pid = -1;
  FILE* output = nullptr;
};

ChildService start_child(const std::vector<std::string>& args) {
  ChildService child;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return child;
  child.pid = fork();
  if (child.pid == 0) {
    // Start as a shell would, whatever this test process inherited.
    signal(SIGPIPE, SIG_DFL);
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(LS_SERVICE_BINARY));
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(LS_SERVICE_BINARY, argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  child.output = fdopen(pipe_ends[0], "r");
  return child;
}

int wait_exit_code(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The port of the ready line, or 0 when the child printed none.
int ready_port(const ChildService& child) {
  char line[256] = {0};
  int port = 0;
  if (fgets(line, sizeof(line), child.output) == nullptr ||
      sscanf(line, "listening on https://127.0.0.1:%d", &port) != 1)
    return 0;
  return port;
}

TEST(ServiceProcess, AnnouncesItselfAnswersAndStopsOnSigterm) {
  TempDir dir;
  ChildService child =
      start_child({"serve", "--address", "127.0.0.1", "--port", "0", "--cert", test_cert_file(),
                   "--key", test_key_file(), "--data", dir.path + "/data"});
  ASSERT_GT(child.pid, 0);
  const int port = ready_port(child);
  ASSERT_GT(port, 0);

  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  auto reply = client.Post("/callwarden_api.php", R"({"action":"app_status","device_label":"PC"})",
                           "application/json; charset=utf-8");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);

  kill(child.pid, SIGTERM);
  EXPECT_EQ(wait_exit_code(child.pid), 0);
  fclose(child.output);
}

TEST(ServiceProcess, ClientThatHangsUpMidAnswerDoesNotStopTheService) {
  // The program reads at most 32767 bytes of an answer and then drops the
  // connection while the service is still writing.
  TempDir dir;
  ChildService child =
      start_child({"serve", "--address", "127.0.0.1", "--port", "0", "--cert", test_cert_file(),
                   "--key", test_key_file(), "--data", dir.path + "/data", "--test-endpoints"});
  ASSERT_GT(child.pid, 0);
  const int port = ready_port(child);
  ASSERT_GT(port, 0);
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  auto prepared =
      client.Post("/test/next_answer", R"({"body_repeat_char":"x","body_length":16000000})",
                  "application/json");
  ASSERT_TRUE(prepared);
  ASSERT_EQ(prepared->status, 200);

  httplib::Request request;
  request.method = "POST";
  request.path = "/callwarden_api.php";
  request.headers = {{"Content-Type", "application/json"}};
  request.body = R"({"action":"app_status","device_label":"PC"})";
  size_t received = 0;
  request.content_receiver = [&received](const char*, size_t length, uint64_t, uint64_t) {
    received += length;
    return received < 32767;
  };
  httplib::SSLClient hanging_up("127.0.0.1", port);
  hanging_up.enable_server_certificate_verification(false);
  hanging_up.send(request);
  EXPECT_GE(received, 32767u);

  auto after = client.Post("/callwarden_api.php", R"({"action":"app_status","device_label":"PC"})",
                           "application/json");
  ASSERT_TRUE(after) << "the service died";
  EXPECT_EQ(after->status, 200);
  kill(child.pid, SIGTERM);
  EXPECT_EQ(wait_exit_code(child.pid), 0);
  fclose(child.output);
}

TEST(ServiceProcess, ServeTakesTheDailyFreeChecksFromItsCommandLine) {
  TempDir dir;
  ChildService child = start_child({"serve", "--address", "127.0.0.1", "--port", "0", "--cert",
                                    test_cert_file(), "--key", test_key_file(), "--data",
                                    dir.path + "/data", "--free-checks-per-day", "1"});
  ASSERT_GT(child.pid, 0);
  const int port = ready_port(child);
  ASSERT_GT(port, 0);
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  const char* check = R"({"action":"check_scam","text":"hello","device_label":"PC"})";
  auto first = client.Post("/callwarden_api.php", check, "application/json");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_NE(first->body.find("\"free_checks_left\":0"), std::string::npos) << first->body;
  auto second = client.Post("/callwarden_api.php", check, "application/json");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->status, 429);
  kill(child.pid, SIGTERM);
  EXPECT_EQ(wait_exit_code(child.pid), 0);
  fclose(child.output);
}

TEST(ServiceProcess, AccountCommandReportsBadPinWithExitCode) {
  TempDir dir;
  ChildService child = start_child({"set-guardian-pin", "--data", dir.path, "07700900123", "12"});
  ASSERT_GT(child.pid, 0);
  EXPECT_EQ(wait_exit_code(child.pid), 2);
  fclose(child.output);
}

TEST(ServiceProcess, UnusableCertificateFailsAtStart) {
  TempDir dir;
  ChildService child =
      start_child({"serve", "--address", "127.0.0.1", "--port", "0", "--cert", "/nonexistent.pem",
                   "--key", "/nonexistent.pem", "--data", dir.path});
  ASSERT_GT(child.pid, 0);
  EXPECT_EQ(wait_exit_code(child.pid), 1);
  fclose(child.output);
}

} // namespace
