#pragma once
// Runs the HTTPS service inside the test process on a free port, with a
// throwaway self-signed certificate and a fresh data folder per test.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/types.h>

#include <nlohmann/json.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/free_checks.h"
#include "edge/https_service.h"
#include "core/service_context.h"

struct ServiceReply {
  int status = 0; // 0 when no answer came
  std::string content_type;
  std::string retry_after; // the Retry-After header, empty when absent
  std::string body;
  nlohmann::json json; // discarded when the body is not JSON
};

// A temporary folder removed with everything in it on destruction.
struct TempDir {
  std::string path;
  TempDir();
  ~TempDir();
};

// Which store the service's tests run on: the SQLite file in the data folder (the default),
// or PostgreSQL when OLVEX_TEST_STORE=postgres, at OLVEX_TEST_POSTGRES_URL (scripts/test
// starts a throwaway cluster and sets both), each test in an empty schema of its own.
bool testing_postgres();

// The database of one test: nothing to make for SQLite (the file lives in the data folder);
// for PostgreSQL a new schema, dropped again at the end.
class TestDatabase {
public:
  TestDatabase();
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;
  // Empty for SQLite; a postgresql:// URL that works in this test's schema.
  const std::string& url() const { return url_; }
  // Whether the schema could be made (always true for SQLite).
  bool ready() const { return ready_; }
  // Drops the schema while a service may still use it (for a database that goes away).
  void drop();

private:
  std::string url_;
  std::string schema_;
  bool ready_ = true;
};

// The URL of the newest TestDatabase still alive, or empty.
const std::string& current_test_database_url();

// The database of a data folder, opened beside a running service as an operator's tool would.
class DataStore {
public:
  explicit DataStore(const std::string& data_dir,
                     const std::string& database_url = current_test_database_url());
  ~DataStore();
  // Null when the database could not be opened.
  ServiceStore* get() { return lease_ ? lease_->get() : nullptr; }
  // Runs one statement; the first cell of its first row as a number, -1 on failure.
  long long number(const char* sql);

private:
  ServiceContext context_;
  std::unique_ptr<StoreLease> lease_;
};

// The olvex-service program run as a child process: its standard output is read through
// `output`; its standard error goes to `stderr_file`, or nowhere when none is named.
struct ChildService {
  pid_t pid = -1;
  FILE* output = nullptr;
};
ChildService start_child(const std::vector<std::string>& args,
                         const std::string& stderr_file = std::string());
// The exit code, or 128 + the signal that ended it; -1 when it cannot be had.
int wait_exit_code(pid_t pid);
// The port of the ready line, or 0 when the child printed none.
int ready_port(const ChildService& child);
// "serve" on a free port of 127.0.0.1 with the test certificate, `data_dir` and the database.
std::vector<std::string> serve_args(const std::string& data_dir,
                                    const std::string& database_url = current_test_database_url());

// The certificate and key files, made once per test run.
const std::string& test_cert_file();
const std::string& test_key_file();

class ServiceTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  void start_service(bool test_endpoints);
  void stop_service();

  // An empty content type sends no Content-Type header at all.
  ServiceReply post_raw(const std::string& path, const std::string& body,
                        const std::string& content_type, const std::string& token = std::string());
  // POSTs to the API as the program does.
  ServiceReply call(const std::string& body, const std::string& token = std::string());
  ServiceReply get(const std::string& path);

  std::string read_data_file(const char* name) const;
  // Sends a code to the identifier and verifies it; returns the token.
  std::string sign_in(const std::string& identifier);
  std::string last_outbox_code() const;
  // The alerts the outbox holds, waited for until there are `count` or 5 seconds passed.
  std::vector<nlohmann::json> outbox_alerts(size_t count) const;
  // Runs an account command ("set-plan", ...) on this test's data folder.
  int admin(const std::vector<std::string>& words);

  bool test_endpoints_ = true;
  int free_checks_per_day_ = kDefaultFreeChecksPerDay; // read by start_service
  // The rest of what start_service uses; the tests read requests.jsonl, secrets and all.
  ServeOptions serve_options_ = default_test_options();
  static ServeOptions default_test_options();
  TestDatabase database_;
  TempDir data_;
  HttpsService* service_ = nullptr;
  std::thread runner_;
  int port_ = 0;
};
