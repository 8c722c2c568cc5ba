#include "ui/meter/modal_scope_win32.h"

#include "ui/error_handler_win32.h"

namespace pelliton {

MeterModalScope::MeterModalScope(HWND meter) : meter_(meter) {
  if (active_ != nullptr || meter_ == nullptr || !IsWindowEnabled(meter_)) return;
  if (GetCapture() != nullptr && GetAncestor(GetCapture(), GA_ROOT) == meter_) ReleaseCapture();
  EnableWindow(meter_, FALSE);
  holding_ = true;
  active_ = this;
  hook_ = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
}

MeterModalScope::~MeterModalScope() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  Release();
  if (active_ == this) active_ = nullptr;
}

void MeterModalScope::Release() {
  if (!holding_) return;
  holding_ = false;
  if (IsWindow(meter_)) EnableWindow(meter_, TRUE);
}

// The dialog is the first window of the dialog class made in the scope; a message box that
// the dialog opens comes later and is not it.
LRESULT CALLBACK MeterModalScope::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  MeterModalScope* scope = active_;
  const auto window = reinterpret_cast<HWND>(wParam);
  if (scope != nullptr) {
    if (code == HCBT_CREATEWND && scope->dialog_ == nullptr && IsDialogWindow(window)) {
      scope->dialog_ = window;
    } else if (code == HCBT_DESTROYWND && window == scope->dialog_) {
      scope->Release();
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace pelliton
