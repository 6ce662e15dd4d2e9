// The request worker against olvex-service over real HTTPS (run inside
// scripts/with-service, which maps the service host to it and trusts its test CA).
#include <windows.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/vendor.h"
#include "service/json_text.h"
#include "service/request_worker.h"
#include "service/service_protocol.h"
#include "service/service_request.h"
#include "service/service_worker.h"

namespace {

const char kUnreachable[] =
    "Unable to reach " CALLWARDEN_SERVICE_HOST " right now. Please check your internet connection.";
const char kApiPath[] = "/callwarden_api.php";

// Results the worker posted to the test window, in arrival order. Each is
// owned here from the moment it arrives and freed by free_results().
std::vector<ServiceResult*> g_results;

LRESULT CALLBACK result_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP_RESULT) {
    g_results.push_back(reinterpret_cast<ServiceResult*>(lparam));
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND make_result_window() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = result_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CallwardenServiceTestSink";
    registered = RegisterClassW(&wc) != 0;
  }
  return CreateWindowExW(0, L"CallwardenServiceTestSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void pump_for(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// Pumps messages until `count` results have arrived or `timeout_ms` passed.
bool wait_results(size_t count, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (g_results.size() < count) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    pump_for(static_cast<DWORD>(end - now < 50 ? end - now : 50));
  }
  return true;
}

void free_results() {
  for (ServiceResult* r : g_results)
    free(r);
  g_results.clear();
}

std::string service_dir() {
  const char* dir = getenv("CALLWARDEN_SERVICE_DIR");
  return dir ? dir : "";
}

std::vector<std::string> read_lines(const std::string& path) {
  std::vector<std::string> lines;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return lines;
  std::string line;
  int c;
  while ((c = fgetc(f)) != EOF) {
    if (c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  fclose(f);
  return lines;
}

// One request as the service recorded it.
struct Received {
  std::string method, path, content_type, authorization, user_agent, accept, body;
  int content_length;
};

std::string field(const std::string& line, const char* key) {
  std::vector<char> out(SERVICE_ANSWER_CAPACITY);
  json_get_string(line.c_str(), key, out.data(), out.size());
  return out.data();
}

// Requests to the API path recorded since `skip` lines of the log.
std::vector<Received> api_requests_since(size_t skip) {
  std::vector<Received> received;
  const std::vector<std::string> lines = read_lines(service_dir() + "\\requests.jsonl");
  for (size_t i = skip; i < lines.size(); i++) {
    Received r;
    r.path = field(lines[i], "path");
    if (r.path != kApiPath) continue;
    r.method = field(lines[i], "method");
    r.content_type = field(lines[i], "content_type");
    r.authorization = field(lines[i], "authorization");
    r.user_agent = field(lines[i], "user_agent");
    r.accept = field(lines[i], "accept");
    r.body = field(lines[i], "body");
    r.content_length = json_get_int(lines[i].c_str(), "content_length");
    received.push_back(r);
  }
  return received;
}

size_t log_length() { return read_lines(service_dir() + "\\requests.jsonl").size(); }

// Polls the log until `count` API requests have been recorded since `skip`.
std::vector<Received> wait_api_requests(size_t skip, size_t count, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  std::vector<Received> received = api_requests_since(skip);
  while (received.size() < count && GetTickCount64() < end) {
    pump_for(50);
    received = api_requests_since(skip);
  }
  return received;
}

// POSTs to one of the service's test endpoints; returns the HTTP status, 0 on failure.
int post_control(const wchar_t* path, const std::string& json) {
  int status = 0;
  HINTERNET session = WinHttpOpen(L"CallwardenTests/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connection =
      session ? WinHttpConnect(session, CALLWARDEN_SERVICE_HOST_W, 443, 0) : nullptr;
  HINTERNET request =
      connection ? WinHttpOpenRequest(connection, L"POST", path, nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                 : nullptr;
  if (request != nullptr &&
      WinHttpSendRequest(request, L"Content-Type: application/json\r\n", static_cast<DWORD>(-1),
                         const_cast<char*>(json.data()), static_cast<DWORD>(json.size()),
                         static_cast<DWORD>(json.size()), 0) &&
      WinHttpReceiveResponse(request, nullptr)) {
    DWORD code = 0;
    DWORD size = sizeof(code);
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX)) {
      status = static_cast<int>(code);
    }
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  return status;
}

std::string json_string(const std::string& text) {
  std::vector<char> out(text.size() * 6 + 16);
  json_escape(text.c_str(), out.data(), out.size());
  return "\"" + std::string(out.data()) + "\"";
}

// Makes the service give `body` with `status` to the next `count` API requests.
void can_answer(int status, const std::string& body, int count = 1) {
  const std::string json = "{\"status\":" + std::to_string(status) +
                           ",\"body\":" + json_string(body) +
                           ",\"count\":" + std::to_string(count) + "}";
  ASSERT_EQ(post_control(L"/test/next_answer", json), 200) << "canning an answer failed";
}

class ServiceTransport : public ::testing::Test {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs scripts/with-service (olvex-service)";
    reset_app_state();
    window_ = make_result_window();
    ASSERT_NE(window_, nullptr);
    g_app.main_window = window_;
    strcpy(g_app.device_label, "Test PC");
    ASSERT_EQ(post_control(L"/test/reset", "{}"), 200);
    log_start_ = log_length();
  }

  void TearDown() override {
    free_results();
    if (window_) DestroyWindow(window_);
    g_app.main_window = nullptr;
    if (!service_dir().empty()) post_control(L"/test/reset", "{}");
  }

  // Runs the worker for one request on this thread, aimed at `host`.
  void run_worker_to(RequestKind kind, const char* text, const wchar_t* host) {
    ServiceRequest* request = static_cast<ServiceRequest*>(calloc(1, sizeof(ServiceRequest)));
    prepare_service_request(request, kind, window_, text, nullptr, g_app.device_label,
                            g_app.auth_token);
    service_worker_to_host(request, host); // the worker owns and frees the request
  }

  HWND window_ = nullptr;
  size_t log_start_ = 0;
};

} // namespace

TEST_F(ServiceTransport, sends_the_exact_body_and_headers_without_a_token) {
  can_answer(200, "{\"ok\":true,\"verdict\":\"SCAM\",\"risk_score\":92,\"headline\":\"h\","
                  "\"reasons\":[\"a\",\"b\"],\"advice\":\"c\"}");
  ASSERT_NE(start_service_request(REQUEST_CHECK_SCAM,
                                  "Is this \"real\"?\nPay \xc2\xa3"
                                  "5 now",
                                  nullptr),
            0);
  ASSERT_TRUE(wait_results(1, 30000));
  const ServiceResult* r = g_results[0];
  EXPECT_EQ(r->kind, static_cast<uint32_t>(REQUEST_CHECK_SCAM));
  EXPECT_EQ(r->http_status, 200);
  EXPECT_EQ(r->ok, 1);
  EXPECT_STREQ(r->verdict, "SCAM");
  EXPECT_EQ(r->risk_score, 92);
  EXPECT_STREQ(r->reasons, "- a\r\n- b");

  const std::vector<Received> got = wait_api_requests(log_start_, 1, 5000);
  ASSERT_EQ(got.size(), 1u);
  const std::string body = "{\"action\":\"check_scam\",\"text\":\"Is this \\\"real\\\"?\\nPay "
                           "\xc2\xa3"
                           "5 now\",\"device_label\":\"Test PC\"}";
  EXPECT_EQ(got[0].method, "POST");
  EXPECT_EQ(got[0].body, body);
  EXPECT_EQ(got[0].content_length, static_cast<int>(body.size()));
  EXPECT_EQ(got[0].content_type, "application/json; charset=utf-8");
  EXPECT_EQ(got[0].accept, "application/json");
  EXPECT_EQ(got[0].user_agent, "OlvexCallwarden/1.0 (Windows NT x64)");
  EXPECT_EQ(got[0].authorization, "");
}

TEST_F(ServiceTransport, sends_the_token_copied_when_the_request_started) {
  strcpy(g_app.auth_token, "ocp_test_token_123");
  ASSERT_NE(start_service_request(REQUEST_APP_STATUS, nullptr, nullptr), 0);
  // A token replaced meanwhile must not leak into the request already started.
  strcpy(g_app.auth_token, "ocp_replaced");
  ASSERT_TRUE(wait_results(1, 30000));
  EXPECT_EQ(g_results[0]->kind, static_cast<uint32_t>(REQUEST_APP_STATUS));

  const std::vector<Received> got = wait_api_requests(log_start_, 1, 5000);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].body, "{\"action\":\"app_status\",\"device_label\":\"Test PC\"}");
  EXPECT_EQ(got[0].authorization, "Bearer ocp_test_token_123");
  EXPECT_EQ(got[0].content_type, "application/json; charset=utf-8");
}

TEST_F(ServiceTransport, verify_pin_sends_challenge_then_code_and_cuts_texts_at_whole_characters) {
  const std::string challenge = std::string(6497, 'c') + "\xe2\x82\xac"; // 6500 bytes
  ASSERT_NE(start_service_request(REQUEST_VERIFY_PIN, challenge.c_str(), "123456"), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  const std::vector<Received> got = wait_api_requests(log_start_, 1, 5000);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].body, "{\"action\":\"verify_pin\",\"challenge_id\":\"" + std::string(6497, 'c') +
                             "\",\"pin_code\":\"123456\"}");
}

TEST_F(ServiceTransport, answer_of_32767_bytes_is_read_whole_and_a_longer_one_cut) {
  // The score's last digit is the answer's last byte, so a lost byte shows in it.
  const std::string tail = "\"risk_score\":12345";
  const std::string whole = std::string(32767 - tail.size(), ' ') + tail;
  const std::string longer = std::string(32768 - tail.size(), ' ') + tail;
  ASSERT_EQ(whole.size(), 32767u);

  can_answer(200, whole);
  ASSERT_NE(start_service_request(REQUEST_CHECK_SCAM, "whole", nullptr), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  EXPECT_EQ(g_results[0]->risk_score, 12345);

  can_answer(200, longer);
  ASSERT_NE(start_service_request(REQUEST_CHECK_SCAM, "longer", nullptr), 0);
  ASSERT_TRUE(wait_results(2, 30000));
  EXPECT_EQ(g_results[1]->risk_score, 1234);
  EXPECT_EQ(g_results[1]->http_status, 200);
}

TEST_F(ServiceTransport, empty_answer_gives_the_unreachable_text_with_its_status) {
  can_answer(200, "");
  ASSERT_NE(start_service_request(REQUEST_SEND_PIN, "07700900123", nullptr), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  EXPECT_EQ(g_results[0]->http_status, 200);
  EXPECT_EQ(g_results[0]->ok, 0);
  EXPECT_STREQ(g_results[0]->error, kUnreachable);
}

TEST_F(ServiceTransport, error_page_that_is_not_json_leaves_the_handler_its_default) {
  can_answer(500, "<html><body><h1>500 Internal Server Error</h1></body></html>");
  ASSERT_NE(start_service_request(REQUEST_VERIFY_OVERRIDE_PIN, "1234", nullptr), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  EXPECT_EQ(g_results[0]->kind, static_cast<uint32_t>(REQUEST_VERIFY_OVERRIDE_PIN));
  EXPECT_EQ(g_results[0]->http_status, 500);
  EXPECT_EQ(g_results[0]->ok, 0);
  EXPECT_STREQ(g_results[0]->error, "");
}

TEST_F(ServiceTransport, host_that_does_not_resolve_gives_the_unreachable_text) {
  // Bounded well above the 6000 ms resolution timeout: a hang fails the test.
  run_worker_to(REQUEST_CHECK_SCAM, "hello", L"no-such-host.invalid");
  ASSERT_TRUE(wait_results(1, 10000));
  EXPECT_EQ(g_results[0]->http_status, 0);
  EXPECT_EQ(g_results[0]->ok, 0);
  EXPECT_STREQ(g_results[0]->error, kUnreachable);
}

TEST_F(ServiceTransport, certificate_from_an_untrusted_authority_is_refused) {
  run_worker_to(REQUEST_CHECK_SCAM, "hello",
                L"untrusted-api." CALLWARDEN_WIDEN(CALLWARDEN_VENDOR_DOMAIN));
  ASSERT_TRUE(wait_results(1, 30000));
  EXPECT_EQ(g_results[0]->http_status, 0);
  EXPECT_EQ(g_results[0]->ok, 0);
  EXPECT_STREQ(g_results[0]->error, kUnreachable);
}

TEST_F(ServiceTransport, twenty_requests_started_at_once_all_arrive_once_each) {
  const int kCount = 20;
  for (int i = 0; i < kCount; i++) {
    const std::string text = "message " + std::to_string(i);
    ASSERT_NE(start_service_request(REQUEST_CHECK_SCAM, text.c_str(), nullptr), 0);
  }
  ASSERT_TRUE(wait_results(kCount, 120000)) << "results so far: " << g_results.size();
  pump_for(300); // nothing more may come
  ASSERT_EQ(g_results.size(), static_cast<size_t>(kCount));
  const std::set<ServiceResult*> distinct(g_results.begin(), g_results.end());
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kCount));
  for (const ServiceResult* r : g_results) {
    EXPECT_EQ(r->kind, static_cast<uint32_t>(REQUEST_CHECK_SCAM));
    EXPECT_NE(r->http_status, 0);
  }

  const std::vector<Received> got = wait_api_requests(log_start_, kCount, 5000);
  std::set<std::string> bodies;
  for (const Received& r : got)
    bodies.insert(r.body);
  EXPECT_EQ(bodies.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; i++) {
    const std::string body = "{\"action\":\"check_scam\",\"text\":\"message " + std::to_string(i) +
                             "\",\"device_label\":\"Test PC\"}";
    EXPECT_EQ(bodies.count(body), 1u) << body;
  }
}

TEST_F(ServiceTransport, blocked_tool_report_is_sent_but_never_posted) {
  ASSERT_NE(start_service_request(REQUEST_REPORT_BLOCKED_TOOL, "AnyDesk.exe", nullptr), 0);
  const std::vector<Received> got = wait_api_requests(log_start_, 1, 30000);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].body, "{\"action\":\"report_blocked_tool\",\"tool_name\":\"AnyDesk.exe\","
                         "\"device_label\":\"Test PC\"}");
  // A later request's result arriving shows the report's worker had time to finish.
  ASSERT_NE(start_service_request(REQUEST_APP_STATUS, nullptr, nullptr), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  pump_for(500);
  ASSERT_EQ(g_results.size(), 1u);
  EXPECT_EQ(g_results[0]->kind, static_cast<uint32_t>(REQUEST_APP_STATUS));
}

TEST_F(ServiceTransport, result_for_a_destroyed_window_is_not_delivered_anywhere) {
  HWND gone = make_result_window();
  ASSERT_NE(gone, nullptr);
  g_app.main_window = gone;
  can_answer(200, "{\"ok\":true}");
  ASSERT_NE(start_service_request(REQUEST_CHECK_SCAM, "late", nullptr), 0);
  DestroyWindow(gone);
  g_app.main_window = window_;
  ASSERT_EQ(wait_api_requests(log_start_, 1, 30000).size(), 1u);
  ASSERT_NE(start_service_request(REQUEST_APP_STATUS, nullptr, nullptr), 0);
  ASSERT_TRUE(wait_results(1, 30000));
  pump_for(500);
  ASSERT_EQ(g_results.size(), 1u);
  EXPECT_EQ(g_results[0]->kind, static_cast<uint32_t>(REQUEST_APP_STATUS));
}
