#pragma once
// The window's fixed colours. Painted areas never take system or theme colours.
#include <cstdint>

// 0x00BBGGRR, the layout of a Windows COLORREF, so a Colour goes to GDI unchanged.
typedef uint32_t Colour;

constexpr Colour rgb(unsigned red, unsigned green, unsigned blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

constexpr Colour COLOUR_HEADER_BAND = rgb(11, 87, 208);
constexpr Colour COLOUR_HEADER_TITLE = rgb(255, 255, 255);
constexpr Colour COLOUR_HEADER_CREDIT = rgb(219, 234, 254);
constexpr Colour COLOUR_CARD_FILL = rgb(255, 255, 255);
constexpr Colour COLOUR_CARD_BORDER = rgb(218, 220, 224);
constexpr Colour COLOUR_ACCOUNT_TEXT = rgb(31, 41, 55);
constexpr Colour COLOUR_BLOCKED_TEXT = rgb(55, 65, 81);
constexpr Colour COLOUR_CHECKER_TITLE = rgb(17, 24, 39);
constexpr Colour COLOUR_DETAIL_TEXT = rgb(31, 41, 55);
// The start-up checkbox paints itself on white with this text colour.
constexpr Colour COLOUR_STATIC_TEXT = rgb(31, 41, 55);
constexpr Colour COLOUR_STATIC_BACK = rgb(255, 255, 255);
