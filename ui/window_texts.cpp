#include "ui/window_texts.h"

namespace {

const wchar_t BLOCKED_LINE_PREFIX[] =
    L"Automatically blocks AnyDesk, TeamViewer, UltraViewer, Supremo, ScreenConnect & "
    L"QuickAssist cold-callers.  (Blocked: ";

// Appends while there is room for the terminator; `used` tracks the units written.
void append(wchar_t* out, size_t capacity, size_t* used, const wchar_t* text) {
  for (size_t i = 0; text[i] != L'\0' && *used + 1 < capacity; i++)
    out[(*used)++] = text[i];
}

} // namespace

void format_blocked_line(wchar_t* out, size_t capacity, int blocked_count) {
  if (out == nullptr || capacity == 0) return;
  for (size_t i = 0; i < capacity; i++)
    out[i] = L'\0';

  // Digits are produced from the magnitude as unsigned, so INT_MIN needs no special case.
  wchar_t number[16];
  size_t n = sizeof(number) / sizeof(number[0]);
  number[--n] = L'\0';
  unsigned magnitude = blocked_count < 0 ? 0u - static_cast<unsigned>(blocked_count)
                                         : static_cast<unsigned>(blocked_count);
  do {
    number[--n] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (blocked_count < 0) number[--n] = L'-';

  size_t used = 0;
  append(out, capacity, &used, BLOCKED_LINE_PREFIX);
  append(out, capacity, &used, number + n);
  append(out, capacity, &used, L")");
}
