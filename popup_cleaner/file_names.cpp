#include "popup_cleaner/file_names.h"

#include <cwchar>

bool join_file_name(wchar_t* out, size_t capacity, const wchar_t* head, const wchar_t* tail) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = L'\0';
  if (head == nullptr || tail == nullptr) return false;
  const size_t head_length = wcslen(head);
  const size_t tail_length = wcslen(tail);
  if (head_length + tail_length + 1 > capacity) return false;
  wmemcpy(out, head, head_length);
  wmemcpy(out + head_length, tail, tail_length + 1);
  return true;
}
