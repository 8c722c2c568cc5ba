#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dpi_layout.h"
#include "ui/meter/tray_icon_win32.h"
#include "ui/meter_window.h"

namespace pelliton {

// What the meter window reports to the behaviour behind it. Each call runs guarded: an
// exception ends the event and is shown in the error box.
class MeterEvents {
 public:
  virtual ~MeterEvents() = default;
  virtual void FormActivate() = 0;  // once, at the first activation
  virtual void StartUpEnded() = 0;  // right after it, its error box closed
  virtual void Timer1Timer() = 0;
  virtual void Label1MouseDown(MouseButton button, std::int32_t x, std::int32_t y) = 0;
  virtual void Label1MouseMove(bool leftHeld, std::int32_t x, std::int32_t y) = 0;
  virtual void Label1MouseUp(MouseButton button, std::int32_t x, std::int32_t y) = 0;
  virtual void MenuCommand(MenuItem item) = 0;
};

// The floating meter: a borderless layered popup owned by the application window, painted
// with per-pixel alpha, with three labels that hold its texts, the popup menu and the
// sampling timer. Layout numbers are pixels at 96 DPI and scaled by the DPI of the monitor it
// is on, laid out again when it moves to a monitor of another DPI; screen positions are plain
// pixels.
class Win32MeterWindow final : public MeterWindow {
 public:
  // Creates the window hidden, as the resource describes it, laid out for `dpi`. Closing
  // it by the system (logoff, WM_CLOSE) tells `app` to terminate.
  Win32MeterWindow(HWND owner, Application& app, int dpi = SystemDpi());
  ~Win32MeterWindow() override;
  Win32MeterWindow(const Win32MeterWindow&) = delete;
  Win32MeterWindow& operator=(const Win32MeterWindow&) = delete;

  // Pixels per inch of the screen, as the system reports it to this process.
  static int SystemDpi();

  HWND Handle() const { return window_; }
  HMENU PopupMenu1() const { return menu_; }
  HWND Hint() const { return hint_; }
  // The box where a label's text takes the mouse (its text's box, padded), client pixels.
  RECT HitBox(int index) const { return hitBoxes_[static_cast<std::size_t>(index)]; }
  // The picture as the window shows it: premultiplied BGRA rows of the client area.
  std::vector<std::uint32_t> Picture() const;
  int Dpi() const { return dpi_; }

  void SetEvents(MeterEvents* events) { events_ = events; }
  // Shows the window in the foreground and posts its first activation, which adds the icon
  // in the notification area.
  void ShowAndActivate();
  // Tests only: how many times the picture has been made and shown.
  int RepaintsForTesting() const { return repaints_; }
  // Tests only: a shorter tick than the 2000 ms of Timer1.
  void SetTimer1IntervalForTesting(UINT milliseconds) { timerInterval_ = milliseconds; }

  void SetLabel1(std::string_view text) override;
  void SetLabel2(std::string_view text) override;
  void SetLabel3(std::string_view text) override;
  void SetTimer1Enabled(bool enabled) override;
  // Shown through a posted message, so never inside the tick, and one box at a time.
  void PostNotice(std::string_view text) override;
  // A balloon from the icon; the information box when the icon is not shown.
  void PostWarning(std::string_view title, std::string_view text) override;

  void SetLabelsVisible(bool visible) override;
  void SetLabel1FontSize(std::uint8_t points) override;
  void SetLabelsColor(std::int32_t color) override;
  void SetLabelTops(int label2Top, int label3Top) override;
  std::string Label1Text() const override;

  bool MenuChecked(MenuItem item) const override;
  void SetMenuChecked(MenuItem item, bool checked) override;
  void OpenPopupMenu(ScreenPoint at) override;

  std::int32_t Left() const override;
  std::int32_t Top() const override;
  std::int32_t Width() const override;
  std::int32_t Height() const override;
  void SetLeft(std::int32_t left) override;
  void SetTop(std::int32_t top) override;
  void SetTopmost(bool topmost) override;
  void BringToTop() override;
  void HideTaskbarButton() override;
  void SetMeterShown(bool shown) override;
  void ShowTrayStatus(const TrayStatus& status) override;
  std::optional<std::int32_t> ExecuteColorDialog1(std::int32_t initial) override;
  void ShellOpen(std::string_view target) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static constexpr const wchar_t* kLabel1Subclass = L"PellitonLabel1Proc";
  static LRESULT CALLBACK Label1Proc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);
  void Create(HWND owner);
  void Release() noexcept;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimer1();
  LRESULT OnLabel1Message(UINT message, WPARAM wParam, LPARAM lParam);
  void ShowForAMoment();
  void EndShowing();
  void ShowNotices();
  template <class Call>
  void Notify(Call&& call) {
    if (events_ != nullptr) call(*events_);
  }

  // Labels (meter_labels_win32.cpp).
  void CreateLabels();
  std::wstring LabelCaption(std::size_t index) const;
  void SetLabelText(int index, std::string_view text);
  HFONT CreateLabel1Font(int points) const;
  HFONT CreateSmallFont() const;
  MeterLayout Layout() const;
  void PlaceLabels();
  void ChangeLabelsDpi(int dpi);
  // WM_DPICHANGED: the form at the new DPI, at the place the system suggests.
  void ChangeDpi(int dpi, const RECT* suggested);

  // The picture (meter_paint_win32.cpp). A label counts as shown by its own style, also
  // while the window is hidden.
  static bool Shown(HWND label) { return (GetWindowLongPtrW(label, GWL_STYLE) & WS_VISIBLE) != 0; }
  RECT LabelRect(std::size_t index) const;
  void DrawMask(HDC mask) const;
  std::array<RECT, 3> Render(HDC dc, std::uint32_t* bits, SIZE size) const;
  SIZE ClientSize() const;
  void Repaint();

  // Menu (meter_menu_win32.cpp).
  void CreatePopupMenu1();
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  void OnContextMenu(LPARAM lParam);

  // The notification-area icon (meter_tray_win32.cpp).
  void AddTrayIcon();
  void AddTrayIconAfterShow();
  void OnTrayMessage(LPARAM lParam);
  void RefitTrayIcon();
  void ApplyMeterShown();
  // Without its icon the meter stays shown, as the only way in; a meter hidden from start-up
  // on is hidden before its icon comes.
  bool MeterVisible() const { return meterWanted_ || (!tray_.Shown() && !trayPending_); }
  UINT ShowFlag() const { return MeterVisible() ? SWP_SHOWWINDOW : 0; }

  // Mouse (meter_mouse_win32.cpp).
  void CreateDragCursor();
  void CreateHint();
  void PutHintAway();
  bool OnSetCursor(LPARAM lParam) const;
  bool ForwardToLabel1(UINT message, WPARAM wParam, LPARAM lParam);

  Application& app_;
  MeterEvents* events_ = nullptr;
  HWND window_ = nullptr;
  std::array<HWND, 3> labels_{};
  std::array<RECT, 3> hitBoxes_{};  // where each text takes the mouse, in client pixels
  int repaints_ = 0;
  HWND hint_ = nullptr;
  bool hintTried_ = false;  // the hint is made on the first move over Label1 after a press
  HMENU menu_ = nullptr;
  HFONT label1Font_ = nullptr;
  HFONT smallFont_ = nullptr;
  HCURSOR dragCursor_ = nullptr;
  COLORREF textColor_ = RGB(0, 255, 0);
  int dpi_ = 96;
  MeterLook look_;  // what the options made of the form
  bool activated_ = false;
  bool tickOrItsErrorUp_ = false;  // a tick runs, or the error box of its failure is up
  UINT timerInterval_ = 2000;
  std::deque<std::wstring> notices_;  // waiting to be shown, oldest first
  bool noticeUp_ = false;
  TrayIcon tray_;
  TrayStatus trayStatus_;
  bool meterWanted_ = true;  // "Show Meter"
  bool trayPending_ = true;  // the icon is added after the start-up
};

}  // namespace pelliton
