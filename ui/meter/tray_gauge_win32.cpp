// The notification-area icon's picture, drawn pixel by pixel into a 32-bit bitmap with
// alpha, and a mask for systems that draw icons without it.
#include "ui/meter/tray_gauge_win32.h"

#include <cstdint>
#include <vector>

#include "ui/meter/dib_win32.h"

namespace pelliton {

namespace {

constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kFrame = 0xFF303030;
constexpr std::uint32_t kEmpty = 0x80000000;  // the gauge's unused part: dimmed ground
constexpr std::uint32_t kFull = 0xFFE02828;
constexpr std::uint32_t kWarning = 0xFFF0A020;  // amber

// 0x00BBGGRR to an opaque pixel of the bitmap (0xAARRGGBB).
std::uint32_t Opaque(std::int32_t color) {
  const auto value = static_cast<std::uint32_t>(color);
  return 0xFF000000u | (value & 0xFFu) << 16 | (value & 0xFF00u) | (value >> 16 & 0xFFu);
}

class Canvas {
 public:
  explicit Canvas(int size) : size_(size), pixels_(static_cast<std::size_t>(size * size), kClear) {}
  void Fill(int left, int top, int right, int bottom, std::uint32_t pixel) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) At(x, y) = pixel;
  }
  std::uint32_t& At(int x, int y) { return pixels_[static_cast<std::size_t>(y * size_ + x)]; }
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

 private:
  int size_;
  std::vector<std::uint32_t> pixels_;
};

// A battery-like bar standing in the middle: frame, dimmed inside, filled from the bottom.
void DrawGauge(Canvas& canvas, const TrayPicture& picture, int size) {
  const int left = size / 5;
  const int right = size - size / 5;
  canvas.Fill(left, 0, right, size, kFrame);
  const int innerBottom = size - 1;
  const int innerTop = innerBottom - TrayGaugeRows(size);
  canvas.Fill(left + 1, innerTop, right - 1, innerBottom, kEmpty);
  const std::uint32_t fill = picture.level == GaugeLevel::Whole     ? kFull
                             : picture.level == GaugeLevel::Warning ? kWarning
                                                                    : Opaque(picture.color);
  canvas.Fill(left + 1, innerBottom - picture.filledRows, right - 1, innerBottom, fill);
}

// A disc with a dark rim, which shows on a light and on a dark taskbar.
void DrawMark(Canvas& canvas, const TrayPicture& picture, int size) {
  const int twice = size;  // coordinates doubled, so that the centre lies between pixels
  const int outer = size * 4 / 5;
  const int inner = outer - 2;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int dx = 2 * x + 1 - twice;
      const int dy = 2 * y + 1 - twice;
      const int distance = dx * dx + dy * dy;
      if (distance <= inner * inner) {
        canvas.At(x, y) = Opaque(picture.color);
      } else if (distance <= outer * outer) {
        canvas.At(x, y) = kFrame;
      }
    }
  }
}

HBITMAP ColourBitmap(const std::vector<std::uint32_t>& pixels, int size) {
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownDib(size, size, 32, &bits);
  if (bitmap != nullptr) {
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) out[i] = pixels[i];
  }
  return bitmap;
}

// Set bits where the picture is clear; rows padded to 16 bits.
HBITMAP MaskBitmap(const std::vector<std::uint32_t>& pixels, int size) {
  const int rowBytes = (size + 15) / 16 * 2;
  std::vector<BYTE> mask(static_cast<std::size_t>(rowBytes * size), 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if ((pixels[static_cast<std::size_t>(y * size + x)] >> 24) != 0) continue;
      mask[static_cast<std::size_t>(y * rowBytes + x / 8)] |= static_cast<BYTE>(0x80u >> (x % 8));
    }
  }
  return CreateBitmap(size, size, 1, 1, mask.data());
}

}  // namespace

int TrayGaugeRows(int size) {
  return size - 2;
}

HICON DrawTrayIcon(const TrayPicture& picture, int size) {
  Canvas canvas(size);
  if (picture.gauge) {
    DrawGauge(canvas, picture, size);
  } else {
    DrawMark(canvas, picture, size);
  }
  HBITMAP colour = ColourBitmap(canvas.Pixels(), size);
  HBITMAP mask = MaskBitmap(canvas.Pixels(), size);
  HICON icon = nullptr;
  if (colour != nullptr && mask != nullptr) {
    ICONINFO info{TRUE, 0, 0, mask, colour};
    icon = CreateIconIndirect(&info);
  }
  if (colour != nullptr) DeleteObject(colour);
  if (mask != nullptr) DeleteObject(mask);
  return icon;
}

}  // namespace pelliton
