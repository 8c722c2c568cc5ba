#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/ids.h"
#include "ui/meter/application_win32.h"
#include "ui/meter/meter_window_win32.h"
#include "ui/meter_win32/win32_test_support.h"

namespace pelliton::testing {

inline const char* ButtonName(MouseButton button) {
  switch (button) {
    case MouseButton::Left:
      return "left";
    case MouseButton::Right:
      return "right";
    case MouseButton::Middle:
      return "middle";
  }
  return "?";
}

// Records the window's events as text; `action` runs inside each one (to throw, for one).
class RecordingEvents : public MeterEvents {
 public:
  void FormActivate() override { Record("activate"); }
  void StartUpEnded() override {}
  void Timer1Timer() override { Record("timer"); }
  void Label1MouseDown(MouseButton button, std::int32_t x, std::int32_t y) override {
    Record(std::string("down ") + ButtonName(button) + " " + Point(x, y));
  }
  void Label1MouseMove(bool leftHeld, std::int32_t x, std::int32_t y) override {
    Record(std::string("move ") + (leftHeld ? "held " : "free ") + Point(x, y));
  }
  void Label1MouseUp(MouseButton button, std::int32_t x, std::int32_t y) override {
    Record(std::string("up ") + ButtonName(button) + " " + Point(x, y));
  }
  void MenuCommand(MenuItem item) override {
    Record("menu " + std::to_string(static_cast<int>(item)));
  }

  std::vector<std::string> calls;
  std::function<void()> action;

 private:
  static std::string Point(std::int32_t x, std::int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
  }
  void Record(std::string call) {
    calls.push_back(std::move(call));
    if (action) action();
  }
};

// A hidden meter window owned by a real application window, reporting to a recorder.
class MeterWindowTest : public ::testing::Test {
 protected:
  explicit MeterWindowTest(int dpi = Win32MeterWindow::SystemDpi())
      : meter(app.Handle(), app, dpi) {
    meter.SetEvents(&events);
  }

  HWND Window() const { return meter.Handle(); }
  HWND Label(int id) const { return GetDlgItem(meter.Handle(), id); }
  // A label's rectangle in the window's client coordinates.
  RECT LabelRect(int id) const {
    RECT rect{};
    GetWindowRect(Label(id), &rect);
    MapWindowPoints(nullptr, meter.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  LRESULT SendToLabel1(UINT message, WPARAM wParam, int x, int y) {
    return SendMessageW(Label(IDC_LABEL1), message, wParam, MAKELPARAM(x, y));
  }

  Win32Application app;
  Win32MeterWindow meter;
  RecordingEvents events;
};

}  // namespace pelliton::testing
