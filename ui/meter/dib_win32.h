#pragma once

#include <windows.h>

namespace pelliton {

// A bitmap of the given size whose rows run from the top down, its bits at `*bits`, for a
// picture the program draws itself. Null when the system has no room.
inline HBITMAP CreateTopDownDib(int width, int height, WORD bitCount, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace pelliton
