#include "ui/error_handler_win32.h"

#include <cwchar>
#include <string>

#include "ui/error_handler.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

HWND errorBoxOwner = nullptr;

std::wstring WidenAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

void ShowText(const std::string& message) noexcept {
  try {
    const std::wstring text = WidenAnsi(ErrorBoxText(message));
    HWND owner = MessageBoxOwner(IsWindow(errorBoxOwner) ? errorBoxOwner : GetActiveWindow());
    const UINT modality = owner != nullptr ? 0u : static_cast<UINT>(MB_TASKMODAL);
    MessageBoxW(owner, text.c_str(), PELLITON_TITLE, MB_OK | MB_ICONERROR | modality);
  } catch (...) {
    MessageBoxW(nullptr, L"Out of memory.", PELLITON_TITLE, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
}

}  // namespace

void SetErrorBoxOwner(HWND window) {
  errorBoxOwner = window;
}

HWND MessageBoxOwner(HWND fallback) {
  HWND active = GetActiveWindow();
  if (active != nullptr && IsWindowVisible(active) && IsWindowEnabled(active) &&
      IsDialogWindow(active)) {
    return active;
  }
  return fallback != nullptr && IsWindow(fallback) ? fallback : nullptr;
}

bool IsDialogWindow(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) > 0 && std::wcscmp(name, L"#32770") == 0;
}

void ShowErrorBox(const std::exception& error) {
  std::string message;
  try {
    message = ExceptionMessage(error);
  } catch (...) {
    message = "Out of memory";
  }
  ShowText(message);
}

void ShowErrorBox() {
  ShowText("Unknown error");
}

}  // namespace pelliton
