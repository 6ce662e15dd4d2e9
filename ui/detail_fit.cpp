#include "ui/detail_fit.h"

#include <cstring>
#include <cwchar>

namespace {

const wchar_t kEllipsis[] = L"\u2026";

void copy_cut(wchar_t* out, size_t capacity, const wchar_t* text, size_t units) {
  if (capacity == 0) return;
  size_t n = 0;
  for (; n < units && n + 1 < capacity && text[n] != L'\0'; n++)
    out[n] = text[n];
  out[n] = L'\0';
}

bool starts_with(const wchar_t* text, const wchar_t* head) {
  return wcsncmp(text, head, wcslen(head)) == 0;
}

bool fits(MeasureWrapped measure, void* context, int font, const wchar_t* text, size_t units,
          int box_height) {
  const int height = measure(context, font, text, units);
  return height >= 0 && height <= box_height;
}

bool is_blank(wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n' || c == L'\t'; }

} // namespace

bool join_reason_lines(const wchar_t* text, wchar_t* out, size_t capacity) {
  if (capacity == 0) return false;
  size_t n = 0;
  bool joined = false;
  for (size_t i = 0; text[i] != L'\0' && n + 1 < capacity;) {
    // A reason's line break and dash become a bullet on the line before it.
    if (i > 0 && text[i] == L'\r' && text[i + 1] == L'\n' && starts_with(text + i + 2, L"- ")) {
      for (const wchar_t* gap = L"  \u2022 "; *gap != L'\0' && n + 1 < capacity; gap++)
        out[n++] = *gap;
      i += 4;
      joined = true;
      continue;
    }
    out[n++] = text[i++];
  }
  out[n] = L'\0';
  return joined;
}

void fit_detail(const wchar_t* text, int font_count, int box_height, MeasureWrapped measure,
                void* context, DetailFit* out) {
  out->font = 0;
  out->cut = 0;
  copy_cut(out->text, DETAIL_FIT_CAPACITY, text, DETAIL_FIT_CAPACITY - 1);
  wchar_t joined[DETAIL_FIT_CAPACITY];
  const bool can_join = join_reason_lines(out->text, joined, DETAIL_FIT_CAPACITY);
  int last_font = -1;
  for (int font = 0; font < font_count; font++) {
    if (measure(context, font, L"", 0) < 0) continue; // a font that could not be made
    last_font = font;
    if (fits(measure, context, font, out->text, wcslen(out->text), box_height)) {
      out->font = font;
      return;
    }
    if (can_join && fits(measure, context, font, joined, wcslen(joined), box_height)) {
      out->font = font;
      copy_cut(out->text, DETAIL_FIT_CAPACITY, joined, DETAIL_FIT_CAPACITY - 1);
      return;
    }
  }
  if (last_font < 0) return; // nothing to measure with: draw it as it is
  // The last resort: as many whole words as fit, then an ellipsis. Binary search over the
  // word ends, since each measure wraps the whole text again.
  const wchar_t* source = can_join ? joined : out->text;
  wchar_t trial[DETAIL_FIT_CAPACITY];
  size_t ends[DETAIL_FIT_CAPACITY];
  size_t count = 0;
  const size_t length = wcslen(source);
  for (size_t i = 1; i <= length && count < DETAIL_FIT_CAPACITY; i++) {
    if (!is_blank(source[i - 1]) && (i == length || is_blank(source[i]))) ends[count++] = i;
  }
  size_t best = 0; // a count of words; 0 leaves the ellipsis alone
  size_t low = 1;
  size_t high = count;
  while (low <= high) {
    const size_t mid = low + (high - low) / 2;
    copy_cut(trial, DETAIL_FIT_CAPACITY - 1, source, ends[mid - 1]);
    wcscat(trial, kEllipsis);
    if (fits(measure, context, last_font, trial, wcslen(trial), box_height)) {
      best = mid;
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  out->font = last_font;
  out->cut = 1;
  copy_cut(out->text, DETAIL_FIT_CAPACITY - 1, source, best > 0 ? ends[best - 1] : 0);
  wcscat(out->text, kEllipsis);
}
