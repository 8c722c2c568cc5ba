#pragma once

#include <windows.h>

namespace pelliton {

// Image1 of the About box: 150 x 100 pixels, 24 bits each. A coloured band 18 pixels wide
// down the left edge carries the web site address upwards; to its right stand the product
// name, its version, the year with the maker's name and the maker's postal address.
inline constexpr int kAboutPictureWidth = 150;
inline constexpr int kAboutPictureHeight = 100;
inline constexpr int kAboutBandWidth = 18;
inline constexpr COLORREF kAboutBandColor = RGB(0x1E, 0x4D, 0x78);
inline constexpr COLORREF kAboutPaperColor = RGB(0xFB, 0xF6, 0xE4);

// The picture as a DIB section; the caller deletes it. Null when the system has no room.
HBITMAP DrawAboutPicture();

}  // namespace pelliton
