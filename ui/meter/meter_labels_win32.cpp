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

// The labels as the resource has them; their places and fonts are the layout's
// (ui/dpi_layout.h). Label1 takes the mouse; Label2 and Label3 let it through to the window.
struct LabelResource {
  int id;
  const wchar_t* caption;
  DWORD style;
};
constexpr LabelResource kLabels[] = {
    {IDC_LABEL1, L"0 KB", SS_NOTIFY},
    {IDC_LABEL2, L"1,000.20 MB", 0},
    {IDC_LABEL3, L"00:00", 0},
};

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

MeterLayout Win32MeterWindow::Layout() const {
  return MeterLayoutAt(dpi_, look_);
}

HFONT Win32MeterWindow::CreateLabel1Font(int points) const {
  return CreateLabelFont(-FontPixels(points, dpi_), FW_BOLD, true, ANSI_CHARSET, L"Arial");
}

HFONT Win32MeterWindow::CreateSmallFont() const {
  return CreateLabelFont(-Layout().smallFontPixels, FW_NORMAL, false, DEFAULT_CHARSET,
                         L"MS Sans Serif");
}

void Win32MeterWindow::CreateLabels() {
  label1Font_ = CreateLabel1Font(look_.label1Points);
  smallFont_ = CreateSmallFont();
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    const LabelResource& label = kLabels[index];
    labels_[index] = CreateWindowExW(
        0, WC_STATICW, label.caption, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | label.style, 0, 0, 0,
        0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.id)),
        GetModuleHandleW(nullptr), nullptr);
    if (labels_[index] == nullptr) throw std::runtime_error("Cannot create the meter labels");
    HFONT font = index == 0 ? label1Font_ : smallFont_;
    SendMessageW(labels_[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  PlaceLabels();
  SetWindowLongPtrW(labels_[0], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Subclass(labels_[0], kLabel1Subclass, &Label1Proc);
}

void Win32MeterWindow::PlaceLabels() {
  const MeterLayout layout = Layout();
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    const LayoutRect& at = layout.labels[index];
    SetWindowPos(labels_[index], nullptr, at.left, at.top, at.width, at.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The fonts are made first: where one fails, the meter stays as it was.
void Win32MeterWindow::ChangeLabelsDpi(int dpi) {
  const int old = dpi_;
  dpi_ = dpi;
  HFONT label1Font = nullptr;
  HFONT smallFont = nullptr;
  try {
    label1Font = CreateLabel1Font(look_.label1Points);
    smallFont = CreateSmallFont();
  } catch (...) {
    if (label1Font != nullptr) DeleteObject(label1Font);
    dpi_ = old;
    throw;
  }
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    HFONT font = index == 0 ? label1Font : smallFont;
    SendMessageW(labels_[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  DeleteObject(label1Font_);
  DeleteObject(smallFont_);
  label1Font_ = label1Font;
  smallFont_ = smallFont;
  PlaceLabels();
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
  look_.label1Points = points;
  Repaint();
}

void Win32MeterWindow::SetLabelsColor(std::int32_t color) {
  textColor_ = static_cast<COLORREF>(color);
  Repaint();
}

void Win32MeterWindow::SetLabelTops(int label2Top, int label3Top) {
  look_.label2Top = label2Top;
  look_.label3Top = label3Top;
  PlaceLabels();
  Repaint();
}

}  // namespace pelliton
