// migrate-to: a data folder's SQLite database, written before secrets were hashed, copied into
// an empty PostgreSQL database; the service on PostgreSQL then knows every account, token,
// PIN and report, and goes on numbering after them.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/service_harness.h"
#include "store/sql_sqlite.h"

namespace {

int run_service_command(const std::vector<std::string>& args, std::string* printed) {
  ChildService child = start_child(args);
  char line[512];
  while (child.output && fgets(line, sizeof(line), child.output))
    *printed += line;
  int code = wait_exit_code(child.pid);
  if (child.output) fclose(child.output);
  return code;
}

nlohmann::json post(int port, const std::string& body, const std::string& token = "") {
  httplib::SSLClient client("127.0.0.1", port);
  client.enable_server_certificate_verification(false);
  httplib::Headers headers;
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  auto reply = client.Post("/callwarden_api.php", headers, body, "application/json");
  return reply ? nlohmann::json::parse(reply->body, nullptr, false) : nlohmann::json();
}

TEST(MigrateTo, CopiesEveryAccountTokenPinAndReportIntoAnEmptyDatabaseOnce) {
  if (!testing_postgres()) GTEST_SKIP() << "copies into PostgreSQL";
  TestDatabase database;
  ASSERT_TRUE(database.ready());
  TempDir dir;
  const std::string data = dir.path + "/data";
  std::filesystem::create_directories(data);
  std::filesystem::permissions(data, std::filesystem::perms::owner_all);
  {
    std::ifstream in(LS_TEST_DATA_DIR "/store/fixtures/service-db-before-hashing.sql");
    std::stringstream dump;
    dump << in.rdbuf();
    std::string error;
    std::unique_ptr<SqlConnection> old = sqlite_connect(data + "/service.db", &error);
    ASSERT_TRUE(old && old->run_script(dump.str())) << error;
  }
  std::string printed;
  ASSERT_EQ(
      run_service_command({"migrate-to", "--database", database.url(), "--data", data}, &printed),
      0)
      << printed;
  EXPECT_NE(printed.find("2 accounts"), std::string::npos) << printed;
  EXPECT_NE(
      run_service_command({"migrate-to", "--database", database.url(), "--data", data}, &printed),
      0)
      << "a second copy into a database that holds accounts is refused";

  // The service on PostgreSQL alone now, with the data folder's key.
  std::vector<std::string> args = serve_args(dir.path + "/elsewhere", database.url());
  args.insert(args.end(), {"--secret-key-file", data + "/secret.key"});
  ChildService child = start_child(args);
  int port = ready_port(child);
  ASSERT_GT(port, 0);
  const std::string token = "ocp_fc6a4d76e19c9fd20ef6bf2c3ea76bee";
  nlohmann::json status = post(port, R"({"action":"app_status","device_label":"PC"})", token);
  EXPECT_EQ(status["authenticated"], true);
  EXPECT_EQ(status["customer_name"], "Jane Smith");
  EXPECT_EQ(status["entitled"], true);
  EXPECT_EQ(post(port,
                 R"({"action":"verify_override_pin","device_label":"PC","override_pin":"4321"})",
                 token)["ok"],
            true)
      << "the Guardian PIN came across";
  EXPECT_EQ(post(port,
                 R"({"action":"report_blocked_tool","tool_name":"x.exe","device_label":"PC"})",
                 token)["ok"],
            true)
      << "a new report after the copied one gets an id of its own";
  nlohmann::json signed_up = post(port, R"({"action":"send_pin","identifier":"07700900999"})");
  EXPECT_EQ(signed_up["ok"], true) << "a new account after the copied ones";
  kill(child.pid, SIGTERM);
  EXPECT_EQ(wait_exit_code(child.pid), 0);
  fclose(child.output);
}

} // namespace
