#include "tests/e2e/acceptance_screen.h"

#include <vector>

namespace {

// A 32-bit top-down bitmap of the box's size and a DC holding it.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ kept = nullptr;
  unsigned* pixels = nullptr;
  int width = 0;
  int height = 0;

  bool open(int w, int h) {
    width = w;
    height = h;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (dc == nullptr || bitmap == nullptr) return false;
    pixels = static_cast<unsigned*>(bits);
    kept = SelectObject(dc, bitmap);
    return true;
  }

  ~Canvas() {
    if (dc && kept) SelectObject(dc, kept);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
};

bool copy_from_screen(HWND main_window, const RECT& box, Canvas* out) {
  POINT origin = {box.left, box.top};
  if (!ClientToScreen(main_window, &origin)) return false;
  HDC screen = GetDC(nullptr);
  const BOOL ok =
      BitBlt(out->dc, 0, 0, out->width, out->height, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  return ok != FALSE;
}

// The text as the window draws it: the same font request, a transparent background over
// the card's fill, and DT_NOPREFIX as every painted text has.
bool draw_expected(const PaintedText& place, const std::wstring& text, Canvas* out) {
  HBRUSH fill = CreateSolidBrush(place.fill);
  RECT all = {0, 0, out->width, out->height};
  FillRect(out->dc, &all, fill);
  DeleteObject(fill);
  HFONT font = CreateFontW(-place.font_px, 0, 0, 0, place.font_weight, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
  if (font == nullptr) return false;
  HGDIOBJ old_font = SelectObject(out->dc, font);
  SetBkMode(out->dc, TRANSPARENT);
  SetTextColor(out->dc, place.colour);
  DrawTextW(out->dc, text.c_str(), -1, &all, place.format | DT_NOPREFIX);
  SelectObject(out->dc, old_font);
  DeleteObject(font);
  GdiFlush();
  return true;
}

BOOL CALLBACK collect_visible_child(HWND child, LPARAM context) {
  std::vector<HWND>* found = reinterpret_cast<std::vector<HWND>*>(context);
  if (IsWindowVisible(child)) found->push_back(child);
  return TRUE;
}

struct WindowsAbove {
  HWND main_window;
  bool reached;
  std::vector<HWND> found;
};

// EnumWindows goes from the top of the Z order down: everything before the main window lies
// over it (a message box, a notification balloon).
BOOL CALLBACK collect_window_above(HWND window, LPARAM context) {
  WindowsAbove* above = reinterpret_cast<WindowsAbove*>(context);
  if (window == above->main_window) {
    above->reached = true;
    return FALSE;
  }
  if (IsWindowVisible(window)) above->found.push_back(window);
  return TRUE;
}

// The visible controls of the window and the windows over it.
std::vector<HWND> windows_over(HWND main_window) {
  std::vector<HWND> over;
  EnumChildWindows(main_window, collect_visible_child, reinterpret_cast<LPARAM>(&over));
  WindowsAbove above = {main_window, false, {}};
  EnumWindows(collect_window_above, reinterpret_cast<LPARAM>(&above));
  if (above.reached) over.insert(over.end(), above.found.begin(), above.found.end());
  return over;
}

// Whether each pixel of the box is hidden from the person by a visible control or by a
// window over the main window, row by row.
std::vector<bool> covered_by_windows(HWND main_window, const RECT& box) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  std::vector<bool> covered(static_cast<size_t>(width) * height, false);
  for (HWND child : windows_over(main_window)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, main_window, reinterpret_cast<POINT*>(&r), 2);
    for (int y = r.top > box.top ? r.top : box.top; y < r.bottom && y < box.bottom; y++) {
      for (int x = r.left > box.left ? r.left : box.left; x < r.right && x < box.right; x++)
        covered[static_cast<size_t>(y - box.top) * width + (x - box.left)] = true;
    }
  }
  return covered;
}

} // namespace

long painted_text_difference(HWND main_window, const PaintedText& place, const std::wstring& text) {
  const int width = place.box.right - place.box.left;
  const int height = place.box.bottom - place.box.top;
  if (width <= 0 || height <= 0) return -1;
  Canvas seen;
  Canvas expected;
  if (!seen.open(width, height) || !expected.open(width, height)) return -1;
  if (!copy_from_screen(main_window, place.box, &seen)) return -1;
  if (!draw_expected(place, text, &expected)) return -1;
  const std::vector<bool> covered = covered_by_windows(main_window, place.box);
  const unsigned fill =
      (GetRValue(place.fill) << 16) | (GetGValue(place.fill) << 8) | GetBValue(place.fill);
  long differing = 0;
  long ink_seen = 0;
  for (int i = 0; i < width * height; i++) {
    if (covered[static_cast<size_t>(i)]) continue;
    if ((seen.pixels[i] & 0xFFFFFF) != (expected.pixels[i] & 0xFFFFFF)) differing++;
    if ((expected.pixels[i] & 0xFFFFFF) != fill) ink_seen++;
  }
  // A text hidden everywhere cannot be read, so it does not count as shown.
  return ink_seen == 0 ? -1 : differing;
}

bool wait_painted_text(HWND main_window, const PaintedText& place, const std::wstring& text,
                       DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (painted_text_difference(main_window, place, text) == 0) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

int painted_number(HWND main_window, const PaintedText& place, const std::wstring& head,
                   const std::wstring& tail, int first, int last) {
  for (int n = first; n <= last; n++) {
    if (painted_text_difference(main_window, place, head + std::to_wstring(n) + tail) == 0) {
      return n;
    }
  }
  return -1;
}

long covered_pixels(HWND main_window, const RECT& box) {
  if (box.right <= box.left || box.bottom <= box.top) return 0;
  long n = 0;
  for (bool covered : covered_by_windows(main_window, box))
    n += covered ? 1 : 0;
  return n;
}
