#include "ui/dialogs/bit_button_win32.h"

#include <array>
#include <optional>
#include <string>

#include "ui/subclass_win32.h"

namespace pelliton {

namespace {

constexpr const wchar_t* kSubclass = L"PellitonBitButtonProc";
constexpr int kGlyphSize = 16;  // at 96 DPI, like the caption spacing below
constexpr int kGlyphSpacing = 4;
constexpr COLORREF kCheckColor = RGB(0, 160, 0);
constexpr COLORREF kCrossColor = RGB(200, 0, 0);
constexpr COLORREF kDoorColor = RGB(128, 128, 0);

// What a bit button keeps in its GWLP_USERDATA: the glyph + 1 in the low byte (0: not a
// bit button), the default mark in bit 8 and the DPI from bit 16 on.
struct ButtonData {
  ButtonGlyph glyph;
  bool isDefault;
  int dpi;
};

void SetData(HWND button, ButtonData data) {
  const LONG_PTR packed = (static_cast<LONG_PTR>(data.glyph) + 1) |
                          (data.isDefault ? LONG_PTR{0x100} : LONG_PTR{0}) |
                          (static_cast<LONG_PTR>(data.dpi) << 16);
  SetWindowLongPtrW(button, GWLP_USERDATA, packed);
}

std::optional<ButtonData> DataOf(HWND button) {
  const LONG_PTR packed = GetWindowLongPtrW(button, GWLP_USERDATA);
  if ((packed & 0xFF) == 0) return std::nullopt;
  return ButtonData{static_cast<ButtonGlyph>((packed & 0xFF) - 1), (packed & 0x100) != 0,
                    static_cast<int>(packed >> 16)};
}

LRESULT CALLBACK BitButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      const bool isDefault = DataOf(button).value_or(ButtonData{}).isDefault;
      return DLGC_BUTTON | (isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE:
      // The dialog manager moves the default between push buttons with BM_SETSTYLE; taking
      // that style would end the owner drawing, so only the mark is kept.
      if (auto data = DataOf(button)) {
        data->isDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        SetData(button, *data);
        if (lParam != 0) InvalidateRect(button, nullptr, FALSE);
      }
      return 0;
  }
  return CallPrevious(button, kSubclass, message, wParam, lParam);
}

void DrawStrokes(HDC dc, const POINT* points, const DWORD* counts, DWORD runs, COLORREF color,
                 int width) {
  HPEN pen = CreatePen(PS_SOLID, width, color);
  if (pen == nullptr) return;
  HGDIOBJ old = SelectObject(dc, pen);
  PolyPolyline(dc, points, counts, runs);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The glyph in a kGlyphSize square at `origin`, scaled to `dpi`.
void DrawGlyph(HDC dc, ButtonGlyph glyph, POINT origin, int dpi, COLORREF color) {
  const auto at = [&](int x, int y) {
    return POINT{origin.x + Scaled(x, dpi), origin.y + Scaled(y, dpi)};
  };
  const int width = Scaled(2, dpi);
  if (glyph == ButtonGlyph::Ok) {
    const std::array<POINT, 3> check{at(2, 8), at(6, 12), at(14, 3)};
    const DWORD counts[] = {3};
    DrawStrokes(dc, check.data(), counts, 1, color, width);
  } else if (glyph == ButtonGlyph::Cancel) {
    const std::array<POINT, 4> cross{at(3, 3), at(13, 13), at(13, 3), at(3, 13)};
    const DWORD counts[] = {2, 2};
    DrawStrokes(dc, cross.data(), counts, 2, color, width);
  } else {
    // The door frame open on the right, the arrow's shaft and its head leaving through it.
    const std::array<POINT, 11> door{at(9, 5),  at(9, 1),  at(2, 1),  at(2, 15),
                                     at(9, 15), at(9, 11), at(6, 8),  at(15, 8),
                                     at(12, 5), at(15, 8), at(12, 11)};
    const DWORD counts[] = {6, 2, 3};
    DrawStrokes(dc, door.data(), counts, 3, color, width);
  }
}

COLORREF GlyphColor(ButtonGlyph glyph) {
  switch (glyph) {
    case ButtonGlyph::Ok:
      return kCheckColor;
    case ButtonGlyph::Cancel:
      return kCrossColor;
    default:
      return kDoorColor;
  }
}

std::wstring CaptionOf(HWND button) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(button, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Glyph and caption side by side, centred in `face`, the access key underlined; embossed grey
// when disabled.
void DrawContent(HDC dc, HWND button, const RECT& face, ButtonGlyph glyph, int dpi, bool disabled) {
  const std::wstring caption = CaptionOf(button);
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  // Measured as drawn: an ampersand marks the access key and takes no room of its own.
  RECT measured{};
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
            DT_SINGLELINE | DT_CALCRECT);
  const SIZE text{measured.right - measured.left, measured.bottom - measured.top};

  const int glyphSize = Scaled(kGlyphSize, dpi);
  const int total = glyphSize + Scaled(kGlyphSpacing, dpi) + text.cx;
  const int left = face.left + (face.right - face.left - total) / 2;
  const int middle = (face.top + face.bottom) / 2;
  const POINT glyphAt{left, middle - glyphSize / 2};
  RECT textRect{left + total - text.cx, face.top, face.right, face.bottom};

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const auto paint = [&](int offset, COLORREF glyphColor, COLORREF textColor) {
    DrawGlyph(dc, glyph, POINT{glyphAt.x + offset, glyphAt.y + offset}, dpi, glyphColor);
    RECT at = textRect;
    OffsetRect(&at, offset, offset);
    SetTextColor(dc, textColor);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &at,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  };
  if (disabled) {
    paint(1, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNHIGHLIGHT));
    paint(0, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
  } else {
    paint(0, GlyphColor(glyph), GetSysColor(COLOR_BTNTEXT));
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

}  // namespace

HWND CreateBitButton(HWND dialog, int id, const wchar_t* caption, ButtonGlyph glyph,
                     LayoutRect at96, int dpi, HFONT font, DWORD style) {
  HWND button =
      CreateChild(dialog, L"BUTTON", caption, BS_OWNERDRAW | style, 0, id, at96, dpi, font);
  SetData(button, ButtonData{glyph, false, dpi});
  Subclass(button, kSubclass, &BitButtonProc);
  return button;
}

void SetBitButtonDpi(HWND button, int dpi) {
  if (GetPropW(button, kSubclass) == nullptr) return;  // another window's data is its own
  if (std::optional<ButtonData> data = DataOf(button)) {
    data->dpi = dpi;
    SetData(button, *data);
  }
}

bool DrawBitButton(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON) return false;
  const std::optional<ButtonData> data = DataOf(item.hwndItem);
  if (!data) return false;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;

  RECT face = item.rcItem;
  if (data->isDefault) {
    FrameRect(item.hDC, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&face, -1, -1);
  }
  DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  RECT content = face;
  if (pressed) OffsetRect(&content, 1, 1);
  DrawContent(item.hDC, item.hwndItem, content, data->glyph, data->dpi, disabled);
  if (focused) {
    RECT focus = face;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
  return true;
}

}  // namespace pelliton
