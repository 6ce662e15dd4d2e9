#include "service/service_request.h"

#include <cstring>

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length a lead byte announces; 0 for a byte that cannot start a character.
size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

void copy_whole(char* out, size_t capacity, const char* text) {
  if (text == nullptr) text = "";
  const size_t length = utf8_whole_prefix_length(text, capacity - 1);
  memcpy(out, text, length);
  out[length] = '\0';
}

} // namespace

size_t utf8_whole_prefix_length(const char* text, size_t limit) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t length = 0;
  while (length < limit && bytes[length] != 0)
    length++;
  if (length < limit || bytes[limit] == 0) return length;
  // The byte at `limit` is dropped. Only a continuation byte there can mean the
  // kept part ends inside a character.
  if (!is_continuation(bytes[limit])) return limit;
  size_t start = limit;
  for (int back = 0; back < 3 && start > 0; back++) {
    start--;
    if (!is_continuation(bytes[start])) {
      if (start + sequence_length(bytes[start]) > limit) return start;
      return limit;
    }
  }
  return limit;
}

void prepare_service_request(ServiceRequest* request, RequestKind kind, void* reply_window,
                             const char* text, const char* extra, const char* device_label,
                             const char* auth_token) {
  request->kind = kind;
  request->reply_window = reply_window;
  copy_whole(request->text, sizeof(request->text), text);
  copy_whole(request->extra, sizeof(request->extra), extra);
  copy_whole(request->device_label, sizeof(request->device_label), device_label);
  copy_whole(request->auth_token, sizeof(request->auth_token), auth_token);
}
