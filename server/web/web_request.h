#pragma once
// One request to the web site and its answer, apart from HTTP: what the route table and the
// pages work with, and what the tests call directly.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct WebRequest {
  std::string method;
  std::string path;
  std::string query; // without the '?'
  std::string content_type;
  std::string cookie_header;
  std::string body;
  std::string client; // the client's address, for the limits per network
  int64_t now = 0;
};

struct WebAnswer {
  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers; // Set-Cookie, Location, ...
};

const size_t kMaxFormBytes = 16 * 1024;
