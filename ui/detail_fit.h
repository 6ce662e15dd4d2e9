#pragma once
// How the verdict's detail (headline, reasons, advice) is fitted into its fixed box: the
// text as it is in the card font; then on fewer lines; then in smaller fonts; and only when
// nothing else fits, cut at a word with an ellipsis. No platform calls: the paint hands in a
// measure of the wrapped text's height, so every step can be checked with a made-up font.
#include <cstddef>

#define DETAIL_FIT_CAPACITY 1402 // the detail (1400 units) plus an ellipsis

// The text on fewer lines: each reason line ("- " after a line break) joins the line before
// it behind a bullet, so the headline and the reasons make one paragraph; the advice keeps its
// own. Cut to capacity - 1 units and terminated. Returns true when it joined anything.
bool join_reason_lines(const wchar_t* text, wchar_t* out, size_t capacity);

// Height in pixels of `units` units of `text` wrapped in the box's width in font `font`
// (0 = the card font, then each smaller one), or a negative number when that font is missing
// or the text does not fit the width.
typedef int (*MeasureWrapped)(void* context, int font, const wchar_t* text, size_t units);

struct DetailFit {
  int font;                          // which font to draw with
  wchar_t text[DETAIL_FIT_CAPACITY]; // what to draw
  int cut;                           // set when text had to be dropped (ends in an ellipsis)
};

// Picks the first of: each font from 0 to font_count - 1, first with the text as it is and
// then joined, that fits `box_height`. Failing all, the joined text in the last font that
// measures, cut after the last whole word that still fits with "\u2026" after it.
void fit_detail(const wchar_t* text, int font_count, int box_height, MeasureWrapped measure,
                void* context, DetailFit* out);
