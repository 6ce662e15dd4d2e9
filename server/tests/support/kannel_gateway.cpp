#include "support/kannel_gateway.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string read_file(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string env_value(const std::string& env, const std::string& name) {
  std::istringstream lines(env);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, name.size() + 1, name + "=") == 0) return line.substr(name.size() + 1);
  }
  return std::string();
}

} // namespace

int KannelGateway::run(const char* verb) const {
  const std::string command =
      std::string("bash '") + LS_KANNEL_SCRIPT + "' " + verb + " '" + dir_.path + "/kannel'";
  return std::system(command.c_str()) == 0 ? 1 : 0;
}

int KannelGateway::start(std::string* error) {
  if (!run("start")) {
    *error = "Kannel did not start: it needs Debian's kannel and kannel-extras (scripts/test "
             "installs them); see " +
             dir_.path + "/kannel/*.log";
    return 0;
  }
  started_ = true;
  const std::string env = read_file(dir_.path + "/kannel/kannel.env");
  sendsms_url_ = env_value(env, "KANNEL_SENDSMS_URL");
  texts_file_ = env_value(env, "KANNEL_TEXTS_FILE");
  return !sendsms_url_.empty() && !texts_file_.empty();
}

void KannelGateway::stop() {
  if (started_) run("stop");
  started_ = false;
}

void KannelGateway::stop_smsbox() { run("stop-smsbox"); }

int KannelGateway::start_smsbox() { return run("start-smsbox"); }

std::string KannelGateway::password() const { return read_file(dir_.path + "/kannel/password"); }

std::vector<ReceivedText> KannelGateway::texts() const {
  std::vector<ReceivedText> out;
  std::istringstream lines(read_file(texts_file_));
  std::string line;
  // "... DEBUG: Got message 1: <Olvex 447700900123 text 123456 is your ...>"
  while (std::getline(lines, line)) {
    size_t got = line.find("Got message ");
    size_t open = got == std::string::npos ? got : line.find(": <", got);
    if (open == std::string::npos || line.back() != '>') continue;
    std::istringstream words(line.substr(open + 3, line.size() - open - 4));
    ReceivedText text;
    std::string type;
    words >> text.from >> text.to >> type;
    std::getline(words, text.text);
    if (!text.text.empty() && text.text[0] == ' ') text.text.erase(0, 1);
    out.push_back(text);
  }
  return out;
}

int KannelGateway::wait_for_text(const std::string& to, const std::string& containing,
                                 double seconds, ReceivedText* out) const {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    for (const ReceivedText& text : texts()) {
      if (text.to == to && text.text.find(containing) != std::string::npos) {
        if (out) *out = text;
        return 1;
      }
    }
    if (std::chrono::steady_clock::now() > until) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string code_in_text(const std::string& text) {
  if (text.size() < 6) return std::string();
  for (size_t i = 0; i < 6; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::string();
  }
  return text.substr(0, 6);
}
