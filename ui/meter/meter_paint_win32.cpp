// The meter's picture: per-pixel alpha through UpdateLayeredWindow. The texts are opaque;
// the box each text's ink spans, padded by 2 pixels, holds pixels of alpha 1/255, too faint
// to see but hit by the mouse; everything else is alpha 0, neither seen nor hit, so presses there
// go to whatever lies below. The label windows hold the texts (WM_GETTEXT) and take the mouse; they
// paint nothing themselves.
#include "ui/meter/meter_window_win32.h"

#include <cstdint>
#include <stdexcept>

namespace pelliton {

namespace {

constexpr std::uint32_t kHitPixel = 0x01010101;  // premultiplied black at alpha 1
// Each label's text goes into the mask in a channel of its own, to tell its ink apart.
constexpr COLORREF kMaskColors[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
constexpr std::uint32_t kMaskBits[] = {0xFF0000, 0x00FF00, 0x0000FF};

// A top-down 32-bit DIB selected into a memory DC; cleared to zero at creation.
class Canvas {
 public:
  Canvas(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ == nullptr || bitmap_ == nullptr) {
      Free();
      throw std::runtime_error("Cannot create the meter's picture");
    }
    bits_ = static_cast<std::uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() { Free(); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  std::uint32_t* Bits() const { return bits_; }

 private:
  void Free() noexcept {
    if (old_ != nullptr) SelectObject(dc_, old_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

void Extend(RECT& box, int x, int y) {
  const RECT dot{x, y, x + 1, y + 1};
  UnionRect(&box, &box, &dot);
}

std::uint32_t OpaquePixel(COLORREF color) {
  return 0xFF000000u | static_cast<std::uint32_t>(GetRValue(color)) << 16 |
         static_cast<std::uint32_t>(GetGValue(color)) << 8 | GetBValue(color);
}

}  // namespace

RECT Win32MeterWindow::LabelRect(std::size_t index) const {
  RECT rect{};
  GetWindowRect(labels_[index], &rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Draws the shown labels' texts into the mask, aligned and clipped in their labels.
void Win32MeterWindow::DrawMask(HDC mask) const {
  SetBkMode(mask, TRANSPARENT);
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    if (!Shown(labels_[index])) continue;
    const std::wstring text = LabelCaption(index);
    RECT rect = LabelRect(index);
    const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP | (index == 0 ? DT_RIGHT : DT_LEFT);
    const HGDIOBJ old = SelectObject(mask, index == 0 ? label1Font_ : smallFont_);
    SetTextColor(mask, kMaskColors[index]);
    DrawTextW(mask, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SelectObject(mask, old);
  }
}

// The picture into `bits`, the DIB selected into `dc`, of the client area's size: each
// label's ink in its own mask channel first, then the colours. Returns the hit boxes: the
// bounds of each text's ink, padded.
std::array<RECT, 3> Win32MeterWindow::Render(HDC dc, std::uint32_t* bits, SIZE size) const {
  DrawMask(dc);
  GdiFlush();
  std::array<RECT, 3> boxes{};
  const RECT client{0, 0, size.cx, size.cy};
  const auto at = [&](int x, int y) -> std::uint32_t& { return bits[y * size.cx + x]; };
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      const std::uint32_t mask = at(x, y) & 0xFFFFFF;
      for (std::size_t index = 0; index < boxes.size(); ++index)
        if ((mask & kMaskBits[index]) != 0) Extend(boxes[index], x, y);
    }
  }
  for (RECT& box : boxes) {
    if (IsRectEmpty(&box)) continue;
    InflateRect(&box, Layout().hitPadding, Layout().hitPadding);
    IntersectRect(&box, &box, &client);
  }
  const std::uint32_t text = OpaquePixel(textColor_);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      std::uint32_t& pixel = at(x, y);
      const POINT point{x, y};
      const bool hit =
          PtInRect(&boxes[0], point) || PtInRect(&boxes[1], point) || PtInRect(&boxes[2], point);
      pixel = (pixel & 0xFFFFFF) != 0 ? text : hit ? kHitPixel : 0;
    }
  }
  return boxes;
}

SIZE Win32MeterWindow::ClientSize() const {
  RECT client{};
  GetClientRect(window_, &client);
  return {client.right, client.bottom};
}

void Win32MeterWindow::Repaint() {
  SIZE size = ClientSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  Canvas canvas(size.cx, size.cy);
  hitBoxes_ = Render(canvas.Dc(), canvas.Bits(), size);
  ++repaints_;
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(window_, nullptr, nullptr, &size, canvas.Dc(), &origin, 0, &blend, ULW_ALPHA);
}

std::vector<std::uint32_t> Win32MeterWindow::Picture() const {
  const SIZE size = ClientSize();
  Canvas canvas(size.cx, size.cy);
  Render(canvas.Dc(), canvas.Bits(), size);
  return {canvas.Bits(), canvas.Bits() + size.cx * size.cy};
}

}  // namespace pelliton
