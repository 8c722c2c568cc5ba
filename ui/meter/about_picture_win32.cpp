#include "ui/meter/about_picture_win32.h"

#include "ui/ids.h"
#include "ui/meter/dib_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kFace[] = L"Tahoma";
constexpr COLORREF kBandText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kNameText = RGB(0x1E, 0x4D, 0x78);
constexpr COLORREF kLineText = RGB(0x20, 0x20, 0x20);
constexpr wchar_t kAddress[] = L"" PELLITON_WEB_SITE;
constexpr int kBandMargin = 3;

struct Line {
  const wchar_t* text;
  int top;
  bool heading;
};

// The maker's address is made up.
constexpr Line kLines[] = {
    {L"Pelliton", 10, true},
    {L"Version 1.0", 32, false},
    {L"\u00A9 2026 Zorvane", 46, false},
    {L"17 Quillon Lane", 64, false},
    {L"Harrowmere HM4 2ZQ", 77, false},
};

HFONT PictureFont(int height, int weight, int angle) {
  return CreateFontW(-height, 0, angle, angle, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, kFace);
}

// The largest font, 10 pixels at most, in which the address fits along the band.
HFONT BandFont(HDC dc) {
  for (int height = 10; height > 6; --height) {
    HFONT font = PictureFont(height, FW_NORMAL, 900);
    if (font == nullptr) return nullptr;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, kAddress, lstrlenW(kAddress), &size);
    SelectObject(dc, old);
    if (size.cx <= kAboutPictureHeight - 2 * kBandMargin) return font;
    DeleteObject(font);
  }
  return PictureFont(7, FW_NORMAL, 900);
}

// Text in `font` at (x, y), the font deleted afterwards.
void Write(HDC dc, HFONT font, int x, int y, const wchar_t* text, COLORREF color) {
  if (font == nullptr) return;
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, color);
  TextOutW(dc, x, y, text, lstrlenW(text));
  SelectObject(dc, old);
  DeleteObject(font);
}

void Paint(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  RECT all{0, 0, kAboutPictureWidth, kAboutPictureHeight};
  HBRUSH paper = CreateSolidBrush(kAboutPaperColor);
  FillRect(dc, &all, paper);
  DeleteObject(paper);
  RECT band{0, 0, kAboutBandWidth, kAboutPictureHeight};
  HBRUSH bandBrush = CreateSolidBrush(kAboutBandColor);
  FillRect(dc, &band, bandBrush);
  DeleteObject(bandBrush);

  // Upwards from the bottom of the band, as large as the band's length allows.
  Write(dc, BandFont(dc), 3, kAboutPictureHeight - kBandMargin, kAddress, kBandText);
  for (const Line& line : kLines) {
    Write(dc, PictureFont(line.heading ? 17 : 10, line.heading ? FW_BOLD : FW_NORMAL, 0),
          kAboutBandWidth + 8, line.top, line.text, line.heading ? kNameText : kLineText);
  }
}

}  // namespace

HBITMAP DrawAboutPicture() {
  void* bits = nullptr;
  HBITMAP picture = CreateTopDownDib(kAboutPictureWidth, kAboutPictureHeight, 24, &bits);
  if (picture == nullptr) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) {
    DeleteObject(picture);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(dc, picture);
  Paint(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  return picture;
}

}  // namespace pelliton
