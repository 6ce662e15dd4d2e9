#pragma once
// Reads what the window painted as a person reads it. The cards' texts are not controls, so
// a text is compared pixel for pixel with the same text drawn here in the window's font,
// colour and box: equal pixels mean the person sees exactly that text.
#include <windows.h>

#include <string>

struct PaintedText {
  RECT box;        // in the main window's client coordinates
  int font_px;     // Segoe UI height in pixels at 96 DPI, as the window makes its fonts
  int font_weight; // 400 regular, 600 semi-bold, 700 bold
  COLORREF colour;
  COLORREF fill; // the card behind the text
  UINT format;   // the DrawTextW flags the window paints this text with
};

// How many pixels of the box differ from `text` drawn there; -1 when either could not be read
// or no pixel of the text is in sight. Pixels under a visible control or under another window
// (a message box over the card) are left out: the person sees that there, not the card
// (covered_pixels counts them).
long painted_text_difference(HWND main_window, const PaintedText& place, const std::wstring& text);

// How many pixels of the box a visible control of the window, or a window over it, covers.
long covered_pixels(HWND main_window, const RECT& box);

// Polls until the box shows exactly `text`, or the timeout.
bool wait_painted_text(HWND main_window, const PaintedText& place, const std::wstring& text,
                       DWORD timeout_ms);

// The first of `first`..`last` whose "`head`N`tail`" the box shows, or -1: for a line that
// carries a number the test cannot know in advance (a risk score).
int painted_number(HWND main_window, const PaintedText& place, const std::wstring& head,
                   const std::wstring& tail, int first, int last);
