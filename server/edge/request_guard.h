#pragma once
// What the edge decides from a request's head alone, before any body is read: whether the
// request may go on, and if not, its answer and whether the connection must then close
// because bytes the client sent were never read (otherwise they would be taken for a second
// request on the same connection). Platform-free, so the fuzzer runs it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<std::string, std::string>> HeadFields;

struct GuardVerdict {
  int status = 0;        // 0: go on; otherwise the answer's status
  const char* text = ""; // the refusal in plain words
  bool close = false;    // close the connection after answering
};

// Whether the head announces a body: a Content-Length above 0 or any Transfer-Encoding.
bool head_announces_body(const HeadFields& fields);

// `max_body` is the largest body the service reads.
GuardVerdict guard_request_head(const std::string& method, const HeadFields& fields,
                                uint64_t max_body);
