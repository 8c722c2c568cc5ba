#include "ui/dialogs/usage_chart_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "ui/ansi_text_win32.h"
#include "ui/dialogs/dialog_support_win32.h"
#include "ui/error_handler_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kClass[] = L"PellitonUsageChart";
// The widest axis label the charts expect; the axis keeps this much room on the left.
constexpr wchar_t kWidestLabel[] = L"8,888.88 MB";

using Chart = UsageChart;

Chart* Of(HWND window) {
  return reinterpret_cast<Chart*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

SIZE Extent(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// A GDI object selected into a DC for the scope, then deleted.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_, old_;
};

void Fill(HDC dc, RECT rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void Text(HDC dc, const std::wstring& text, RECT rect, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            format | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// Where the bars stand: room on the left for the axis labels, above for the legend and below
// for the slot labels.
ChartRect PlotArea(HDC dc, RECT client, const ChartLook& look) {
  const int text = Extent(dc, L"0").cy;
  const int left = Extent(dc, kWidestLabel).cx + Scaled(8, look.dpi);
  const int top = text / 2 + (look.main ? text + Scaled(6, look.dpi) : 0);
  return {left, top, client.right - left - Scaled(8, look.dpi),
          client.bottom - top - text - Scaled(6, look.dpi)};
}

int LegendEntry(HDC dc, int x, int y, COLORREF colour, const wchar_t* name, int box) {
  Fill(dc, {x, y, x + box, y + box}, colour);
  const std::wstring text = name;
  Text(dc, text, {x + box + box / 2, y - 1, x + box * 20, y + box}, DT_LEFT | DT_VCENTER);
  return x + box + box / 2 + Extent(dc, text).cx + box;
}

void DrawLegend(HDC dc, const ChartInput& input, int dpi) {
  const int box = Scaled(9, dpi);
  const int y = Scaled(3, dpi);
  int x = Scaled(8, dpi) + Extent(dc, kWidestLabel).cx;
  x = LegendEntry(dc, x, y, kDownloadColor, L"Download", box);
  x = LegendEntry(dc, x, y, kUploadColor, L"Upload", box);
  const bool corrected = std::any_of(input.slots.begin(), input.slots.end(), [](const auto& slot) {
    return slot && slot->correctionKB != 0;
  });
  if (corrected) x = LegendEntry(dc, x, y, kCorrectionColor, L"Correction", box);
  const bool offPeak = std::any_of(input.slots.begin(), input.slots.end(), [](const auto& slot) {
    return slot && slot->offPeakKB != 0;
  });
  if (offPeak) x = LegendEntry(dc, x, y, kOffPeakColor, L"Off-peak", box);
  if (input.pacePerSlotKB > 0) {
    Selected pen(dc, CreatePen(PS_SOLID, Scaled(2, dpi), kPaceColor));
    Line(dc, x, y + box / 2, x + box * 2, y + box / 2);
    Text(dc, L"Even pace of the allowance", {x + box * 3, y - 1, x + box * 40, y + box},
         DT_LEFT | DT_VCENTER);
  }
}

void DrawAxis(HDC dc, const ChartLayout& layout, ChartRect area, int dpi) {
  Selected pen(dc, CreatePen(PS_DOT, 1, GetSysColor(COLOR_GRAYTEXT)));
  for (const AxisTick& tick : layout.ticks) {
    if (tick.y != area.Bottom()) Line(dc, area.left, tick.y, area.Right(), tick.y);
    Text(dc, WidenAnsi(tick.label),
         {0, tick.y - Scaled(8, dpi), area.left - Scaled(4, dpi), tick.y + Scaled(8, dpi)},
         DT_RIGHT | DT_VCENTER);
  }
}

// The slots of the off-peak hours, tinted behind their bars.
void DrawOffPeakSlots(HDC dc, const std::vector<bool>& offPeak, ChartRect area) {
  const std::size_t slots = offPeak.size();
  for (std::size_t i = 0; i < slots; ++i) {
    if (!offPeak[i]) continue;
    const auto width = static_cast<std::size_t>(area.width);
    Fill(dc, {area.left + static_cast<int>(i * width / slots), area.top,
              area.left + static_cast<int>((i + 1) * width / slots), area.Bottom()},
         kOffPeakHoursColor);
  }
}

void DrawBars(HDC dc, const ChartLayout& layout, ChartRect area, std::optional<std::size_t> chosen,
              std::size_t slots, bool focused) {
  if (chosen && slots > 0) {  // the chosen slot's column, behind its bar
    const int left =
        area.left + static_cast<int>(*chosen * static_cast<std::size_t>(area.width) / slots);
    const int right =
        area.left + static_cast<int>((*chosen + 1) * static_cast<std::size_t>(area.width) / slots);
    RECT column{left, area.top, right, area.Bottom()};
    Fill(dc, column, GetSysColor(COLOR_BTNFACE));
    if (focused) DrawFocusRect(dc, &column);
  }
  for (const ChartBar& bar : layout.bars) {
    const int right = bar.left + bar.width;
    Fill(dc, {bar.left, bar.downTop, right, bar.bottom}, kDownloadColor);
    Fill(dc, {bar.left, bar.upTop, right, bar.downTop}, kUploadColor);
    Fill(dc, {bar.left, bar.top, right, bar.upTop}, kCorrectionColor);
    Fill(dc, {bar.left, bar.offPeakTop, right, bar.bottom}, kOffPeakColor);
  }
}

void Draw(HWND window, HDC dc, RECT client, const Chart& chart) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  const std::optional<ChartInput> input = chart.owner->Input(window);
  if (!input) return;
  SelectObject(dc, chart.look.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const int dpi = chart.look.dpi;
  const ChartRect area = PlotArea(dc, client, chart.look);
  if (area.width <= 0 || area.height <= 0) return;
  const ChartSpacing spacing{Scaled(28, dpi), Extent(dc, L"00").cx + Scaled(6, dpi)};
  const ChartLayout layout = LayoutChart(*input, area, spacing, chart.look.separators);
  if (chart.look.main) DrawLegend(dc, *input, dpi);
  DrawOffPeakSlots(dc, input->offPeakSlots, area);
  DrawAxis(dc, layout, area, dpi);
  DrawBars(dc, layout, area, chart.owner->Chosen(window), input->slots.size(),
           GetFocus() == window);
  {
    Selected pen(dc, CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT)));
    Line(dc, area.left, area.Bottom(), area.Right(), area.Bottom());
  }
  if (layout.paceY) {
    Selected pen(dc, CreatePen(PS_SOLID, Scaled(2, dpi), kPaceColor));
    Line(dc, area.left, *layout.paceY, area.Right(), *layout.paceY);
  }
  const int below = area.Bottom() + Scaled(3, dpi);
  for (const SlotLabel& label : layout.labels)
    Text(dc, WidenAnsi(label.text), {label.centre - 40, below, label.centre + 40, below + 20},
         DT_CENTER);
}

// Drawn whole into a bitmap, then copied in one go.
void Paint(HWND window, const Chart& chart) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    Draw(window, memory, client, chart);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  EndPaint(window, &paint);
}

void Click(HWND window, const Chart& chart, int x) {
  SetFocus(window);
  const std::optional<ChartInput> input = chart.owner->Input(window);
  if (!input) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, chart.look.font);
  RECT client{};
  GetClientRect(window, &client);
  const ChartRect area = PlotArea(dc, client, chart.look);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  if (const std::optional<std::size_t> slot = SlotAt(area, input->slots.size(), x))
    chart.owner->ClickedSlot(*slot);
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Chart* chart = Of(window);
  if (chart == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  bool handled = true;
  Guarded([&] {
    switch (message) {
      case WM_ERASEBKGND:
        result = 1;
        break;
      case WM_PAINT:
        Paint(window, *chart);
        break;
      case WM_GETDLGCODE:
        result = chart->look.main ? DLGC_WANTARROWS : 0;
        break;
      case WM_LBUTTONDOWN:
        if (chart->look.main) Click(window, *chart, GET_X_LPARAM(lParam));
        break;
      case WM_KEYDOWN:
        chart->owner->PressedKey(wParam);
        break;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        handled = false;
        break;
      default:
        handled = false;
    }
  });
  return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

void RegisterChartClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ChartProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  if (!registered) throw std::runtime_error("Error creating window");
}

}  // namespace

HWND CreateUsageChart(HWND parent, int id, UsageChart& chart) {
  RegisterChartClass();
  const DWORD style = WS_CHILD | WS_VISIBLE | (chart.look.main ? WS_TABSTOP : 0);
  HWND window = CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), &chart);
  if (window == nullptr) throw std::runtime_error("Error creating window");
  return window;
}

}  // namespace pelliton
