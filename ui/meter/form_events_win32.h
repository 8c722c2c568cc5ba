#pragma once

#include "ui/meter/meter_window_win32.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

// Binds the meter window's events to the form's handlers.
class FormEvents final : public MeterEvents {
 public:
  explicit FormEvents(TPellitonForm& form) : form_(form) {}

  void FormActivate() override { form_.FormActivate(); }
  void StartUpEnded() override { form_.StartUpEnded(); }
  void Timer1Timer() override { form_.Timer1Timer(); }
  void Label1MouseDown(MouseButton button, std::int32_t x, std::int32_t y) override {
    form_.Label1MouseDown(button, x, y);
  }
  void Label1MouseMove(bool leftHeld, std::int32_t x, std::int32_t y) override {
    form_.Label1MouseMove(leftHeld, x, y);
  }
  void Label1MouseUp(MouseButton button, std::int32_t x, std::int32_t y) override {
    form_.Label1MouseUp(button, x, y);
  }
  void MenuCommand(MenuItem item) override { form_.MenuCommand(item); }

 private:
  TPellitonForm& form_;
};

}  // namespace pelliton
