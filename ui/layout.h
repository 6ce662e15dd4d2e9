#pragma once
// Where the controls sit and where the cards are painted, for a client width in pixels and
// the screen DPI. Every length is a 96 DPI figure scaled on its own; a position made of
// several terms is the sum of the scaled terms, so at most DPIs other than 96 and 192 it
// can differ by a pixel from the scaled total (98 DPI: 20 + 12 gives 32, not 33).

struct ControlPlace {
  int x;
  int y;
  int width;
  int height;
};

struct ControlLayout {
  ControlPlace identifier_edit;
  ControlPlace pin_button;
  ControlPlace get_button;
  ControlPlace override_button;
  ControlPlace pause_button;
  ControlPlace message_edit;
  ControlPlace paste_check_button;
  ControlPlace check_button;
  ControlPlace clean_popups_button;
  ControlPlace startup_checkbox;
};

// Widths that depend on the client width never come out below 0 (a minimised window has a
// client width of 0); x positions measured back from the right edge may be negative.
ControlLayout control_layout(int client_width, unsigned dpi);

// Left, top, right, bottom; right and bottom are exclusive, as in GDI.
struct PaintBox {
  int left;
  int top;
  int right;
  int bottom;
};

struct PaintLayout {
  PaintBox header_band;
  PaintBox title;
  PaintBox credit_line;
  PaintBox account_card; // holds the row of controls while one of them shows
  PaintBox account_line; // above that row, across the card; alone in a short card otherwise
  PaintBox protection_card;
  PaintBox protection_headline;
  PaintBox blocked_line;
  PaintBox checker_card;
  PaintBox checker_title;
  PaintBox verdict_card;
  PaintBox status_line;
  PaintBox detail_text;
  PaintBox bottom_card;
};

// `row_shown`: a control of the account card's row (the identifier edit, the PIN and the
// purchase buttons) shows, which is so unless the account is signed in and entitled.
PaintLayout paint_layout(int client_width, unsigned dpi, int row_shown);
