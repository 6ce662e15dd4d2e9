#include "support/service_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "edge/admin_commands.h"
#include "edge/command_line.h"
#include "judge/public_suffix.h"
#include "store/sql_postgres.h"

TempDir::TempDir() {
  char pattern[] = "/tmp/olvex_service_test_XXXXXX";
  char* made = mkdtemp(pattern);
  path = made ? made : "";
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

namespace {

struct CertFiles {
  TempDir dir;
  std::string cert;
  std::string key;
  CertFiles() {
    cert = dir.path + "/cert.pem";
    key = dir.path + "/key.pem";
    std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=localhost -keyout " +
        key + " -out " + cert + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) cert.clear();
  }
};

const CertFiles& cert_files() {
  static CertFiles files;
  return files;
}

ServiceReply reply_of(const httplib::Result& result) {
  ServiceReply reply;
  if (!result) return reply;
  reply.status = result->status;
  reply.content_type = result->get_header_value("Content-Type");
  reply.retry_after = result->get_header_value("Retry-After");
  reply.body = result->body;
  reply.json = nlohmann::json::parse(reply.body, nullptr, false);
  return reply;
}

httplib::Headers program_headers(const std::string& token) {
  httplib::Headers headers = {{"Accept", "application/json"},
                              {"User-Agent", "OlvexCallwarden/1.0 (Windows NT x64)"}};
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  return headers;
}

} // namespace

namespace {

std::string g_database_url;
int g_schema_serial = 0;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Runs one statement on the cluster's own database, outside any test's schema.
bool run_on_cluster(const std::string& sql) {
  std::string error;
  std::unique_ptr<SqlConnection> admin =
      postgres_connect(environment("OLVEX_TEST_POSTGRES_URL"), &error);
  if (!admin) {
    ADD_FAILURE() << error;
    return false;
  }
  if (!admin->run_script(sql)) {
    ADD_FAILURE() << sql << ": " << admin->last_error();
    return false;
  }
  return true;
}

} // namespace

bool testing_postgres() { return environment("OLVEX_TEST_STORE") == "postgres"; }

TestDatabase::TestDatabase() {
  if (!testing_postgres()) return;
  const std::string base = environment("OLVEX_TEST_POSTGRES_URL");
  ready_ = false;
  if (base.empty()) {
    ADD_FAILURE() << "OLVEX_TEST_STORE=postgres needs OLVEX_TEST_POSTGRES_URL (scripts/test "
                     "starts a cluster and sets it)";
    return;
  }
  schema_ = "t" + std::to_string(getpid()) + "_" + std::to_string(++g_schema_serial);
  if (!run_on_cluster("CREATE SCHEMA " + schema_)) return;
  url_ = base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" +
         schema_;
  g_database_url = url_;
  ready_ = true;
}

void TestDatabase::drop() {
  if (!schema_.empty())
    run_on_cluster("SET client_min_messages = warning; DROP SCHEMA IF EXISTS " + schema_ +
                   " CASCADE");
}

TestDatabase::~TestDatabase() {
  drop();
  if (g_database_url == url_) g_database_url.clear();
}

const std::string& current_test_database_url() { return g_database_url; }

DataStore::DataStore(const std::string& data_dir, const std::string& database_url) {
  ContextOptions options;
  options.data_dir = data_dir;
  options.database_url = database_url;
  options.db_connections = 1;
  std::string error;
  if (service_context_open(&context_, options, &error))
    lease_.reset(new StoreLease(context_.store));
  else
    ADD_FAILURE() << error;
}

DataStore::~DataStore() {
  lease_.reset();
  if (context_.store) service_context_close(&context_);
}

long long DataStore::number(const char* sql) {
  SqlRows rows;
  if (!get() || !get()->sql->run(sql, {}, &rows) || rows.rows.empty()) return -1;
  return sql_cell_number(rows, 0, 0);
}

ChildService start_child(const std::vector<std::string>& args, const std::string& stderr_file) {
  // A test that kills a service keeps talking to it: writing to its dead connection must
  // give an error, not end the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  ChildService child;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return child;
  child.pid = fork();
  if (child.pid == 0) {
    // Start as a shell would, whatever this test process inherited.
    signal(SIGPIPE, SIG_DFL);
    dup2(pipe_ends[1], STDOUT_FILENO);
    // The service's line per request would bury the test's own output.
    int err = open(stderr_file.empty() ? "/dev/null" : stderr_file.c_str(),
                   O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (err >= 0) dup2(err, STDERR_FILENO);
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

int ready_port(const ChildService& child) {
  char line[256] = {0};
  int port = 0;
  if (fgets(line, sizeof(line), child.output) == nullptr ||
      sscanf(line, "listening on https://127.0.0.1:%d", &port) != 1)
    return 0;
  return port;
}

std::vector<std::string> serve_args(const std::string& data_dir, const std::string& database_url) {
  std::vector<std::string> args = {
      "serve",          "--address", "127.0.0.1",     "--port", "0",     "--cert",
      test_cert_file(), "--key",     test_key_file(), "--data", data_dir};
  if (!database_url.empty()) args.insert(args.end(), {"--database", database_url});
  return args;
}

const std::string& test_cert_file() { return cert_files().cert; }
const std::string& test_key_file() { return cert_files().key; }

ServeOptions ServiceTest::default_test_options() {
  ServeOptions options{};
  options.request_log = true;
  options.request_log_secrets = true;
  options.threads = 16;
  options.context.db_connections = 4;
  return options;
}

void ServiceTest::SetUp() {
  ASSERT_FALSE(data_.path.empty());
  ASSERT_TRUE(database_.ready());
  ASSERT_FALSE(test_cert_file().empty()) << "openssl could not make a test certificate";
  start_service(test_endpoints_);
}

void ServiceTest::TearDown() { stop_service(); }

void ServiceTest::start_service(bool test_endpoints) {
  ServeOptions options = serve_options_;
  options.address = "127.0.0.1";
  options.port = 0;
  options.cert_file = test_cert_file();
  options.key_file = test_key_file();
  options.context.data_dir = data_.path + "/data";
  options.context.database_url = database_.url();
  options.context.suffix_file = PUBLIC_SUFFIX_DEFAULT_FILE;
  options.test_endpoints = test_endpoints;
  options.free_checks_per_day = free_checks_per_day_;
  std::string error;
  service_ = https_service_start(options, &error);
  ASSERT_NE(service_, nullptr) << error;
  port_ = https_service_port(service_);
  HttpsService* service = service_;
  runner_ = std::thread([service] { https_service_run(service); });
}

void ServiceTest::stop_service() {
  if (!service_) return;
  https_service_stop(service_);
  runner_.join();
  https_service_free(service_);
  service_ = nullptr;
}

ServiceReply ServiceTest::post_raw(const std::string& path, const std::string& body,
                                   const std::string& content_type, const std::string& token) {
  httplib::SSLClient client("127.0.0.1", port_);
  client.enable_server_certificate_verification(false);
  client.set_read_timeout(10, 0);
  httplib::Request request;
  request.method = "POST";
  request.path = path;
  request.headers = program_headers(token);
  if (!content_type.empty()) request.headers.emplace("Content-Type", content_type);
  request.body = body;
  return reply_of(client.send(request));
}

ServiceReply ServiceTest::call(const std::string& body, const std::string& token) {
  return post_raw("/callwarden_api.php", body, "application/json; charset=utf-8", token);
}

ServiceReply ServiceTest::get(const std::string& path) {
  httplib::SSLClient client("127.0.0.1", port_);
  client.enable_server_certificate_verification(false);
  return reply_of(client.Get(path.c_str()));
}

std::string ServiceTest::read_data_file(const char* name) const {
  std::ifstream file(data_.path + "/data/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string ServiceTest::last_outbox_code() const {
  std::string outbox = read_data_file("outbox.txt");
  size_t end = outbox.find_last_not_of('\n');
  if (end == std::string::npos) return std::string();
  size_t start = outbox.rfind('\n', end);
  size_t first = start == std::string::npos ? 0 : start + 1;
  std::string line = outbox.substr(first, end + 1 - first);
  nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
  if (!entry.is_object() || !entry.contains("code") || !entry["code"].is_string())
    return std::string();
  return entry["code"].get<std::string>();
}

std::vector<nlohmann::json> ServiceTest::outbox_alerts(size_t count) const {
  std::vector<nlohmann::json> found;
  for (int i = 0; i < 100; ++i) {
    found.clear();
    std::istringstream lines(read_data_file("outbox.txt"));
    std::string line;
    while (std::getline(lines, line)) {
      nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
      if (entry.is_object() && entry.value("kind", "") == "alert") found.push_back(entry);
    }
    if (found.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return found;
}

std::string ServiceTest::sign_in(const std::string& identifier) {
  ServiceReply sent = call(R"({"action":"send_pin","identifier":")" + identifier + "\"}");
  if (sent.status != 200 || !sent.json.is_object()) return std::string();
  std::string challenge = sent.json.value("challenge_id", "");
  ServiceReply verified = call(R"({"action":"verify_pin","challenge_id":")" + challenge +
                               R"(","pin_code":")" + last_outbox_code() + "\"}");
  if (verified.status != 200 || !verified.json.is_object()) return std::string();
  return verified.json.value("care_auth_token", "");
}

int ServiceTest::admin(const std::vector<std::string>& words) {
  std::vector<std::string> args = words;
  args.push_back("--data");
  args.push_back(data_.path + "/data");
  if (!database_.url().empty()) args.insert(args.end(), {"--database", database_.url()});
  CommandLine command;
  std::string error;
  if (!parse_command_line(args, &command, &error)) return -1;
  return run_admin_command(command);
}
