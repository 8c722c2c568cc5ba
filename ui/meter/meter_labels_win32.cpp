// The three labels: owner-drawn statics that paint nothing, so that other programs read their
// text with WM_GETTEXT and Label1 takes the mouse, while the window's picture shows the texts
// (meter_paint_win32.cpp).
#include "ui/meter/meter_window_win32.h"

#include <commctrl.h>

#include <stdexcept>

#include "ui/ansi_text_win32.h"
#include "ui/ids.h"
#include "ui/subclass_win32.h"

namespace pelliton {

namespace {

struct LabelResource {
  int id;
  int left, top, width, height;
  const wchar_t* caption;
  DWORD style;
};

// Label1 takes the mouse; Label2 and Label3 let it through to the window.
constexpr LabelResource kLabels[] = {
    {IDC_LABEL1, 0, 0, 177, 38, L"0 KB", SS_NOTIFY},
    {IDC_LABEL2, 181, 5, 60, 16, L"1,000.20 MB", 0},
    {IDC_LABEL3, 181, 22, 60, 16, L"00:00", 0},
};
constexpr int kSmallLabelsLeft = 181;
constexpr int kLabel1ResourcePoints = 16;
constexpr int kWindowFontPoints = 8;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Non-antialiased: the texts look as crisp as they always have.
HFONT CreateLabelFont(int height, int weight, bool italic, BYTE charset, const wchar_t* face) {
  HFONT font = CreateFontW(height, 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE, charset,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
  if (font == nullptr) throw std::runtime_error("Cannot create the label font");
  return font;
}

}  // namespace

int Win32MeterWindow::Scale(int pixels) const {
  return MulDiv(pixels, dpi_, 96);
}

HFONT Win32MeterWindow::CreateLabel1Font(int points) const {
  return CreateLabelFont(-MulDiv(points, dpi_, 72), FW_BOLD, true, ANSI_CHARSET, L"Arial");
}

void Win32MeterWindow::CreateLabels() {
  label1Font_ = CreateLabel1Font(kLabel1ResourcePoints);
  smallFont_ = CreateLabelFont(-MulDiv(kWindowFontPoints, dpi_, 72), FW_NORMAL, false,
                               DEFAULT_CHARSET, L"MS Sans Serif");
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    const LabelResource& label = kLabels[index];
    labels_[index] = CreateWindowExW(
        0, WC_STATICW, label.caption, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | label.style,
        Scale(label.left), Scale(label.top), Scale(label.width), Scale(label.height), window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.id)), GetModuleHandleW(nullptr),
        nullptr);
    if (labels_[index] == nullptr) throw std::runtime_error("Cannot create the meter labels");
    HFONT font = index == 0 ? label1Font_ : smallFont_;
    SendMessageW(labels_[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SetWindowLongPtrW(labels_[0], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Subclass(labels_[0], kLabel1Subclass, &Label1Proc);
}

std::wstring Win32MeterWindow::LabelCaption(std::size_t index) const {
  return WindowText(labels_[index]);
}

void Win32MeterWindow::SetLabelText(int index, std::string_view text) {
  HWND label = labels_[static_cast<std::size_t>(index)];
  const std::wstring wide = WidenAnsi(text);
  if (wide == WindowText(label)) return;
  SetWindowTextW(label, wide.c_str());
  Repaint();
}

void Win32MeterWindow::SetLabel1(std::string_view text) {
  SetLabelText(0, text);
}
void Win32MeterWindow::SetLabel2(std::string_view text) {
  SetLabelText(1, text);
}
void Win32MeterWindow::SetLabel3(std::string_view text) {
  SetLabelText(2, text);
}

std::string Win32MeterWindow::Label1Text() const {
  return NarrowAnsi(WindowText(labels_[0]));
}

void Win32MeterWindow::SetLabelsVisible(bool visible) {
  for (HWND label : labels_)
    ShowWindow(label, visible ? SW_SHOW : SW_HIDE);
  Repaint();
}

void Win32MeterWindow::SetLabel1FontSize(std::uint8_t points) {
  HFONT font = CreateLabel1Font(points);
  SendMessageW(labels_[0], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  DeleteObject(label1Font_);
  label1Font_ = font;
  Repaint();
}

void Win32MeterWindow::SetLabelsColor(std::int32_t color) {
  textColor_ = static_cast<COLORREF>(color);
  Repaint();
}

void Win32MeterWindow::SetLabelTops(int label2Top, int label3Top) {
  const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(labels_[1], nullptr, Scale(kSmallLabelsLeft), Scale(label2Top), 0, 0, flags);
  SetWindowPos(labels_[2], nullptr, Scale(kSmallLabelsLeft), Scale(label3Top), 0, 0, flags);
  Repaint();
}

}  // namespace pelliton
