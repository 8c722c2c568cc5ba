#include "ui/meter/tray_icon_win32.h"

#include <shellapi.h>

#include <algorithm>

#include "ui/dpi_win32.h"

namespace pelliton {

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kBalloonMs = 30000;  // Windows 2000 and XP keep it up 10 to 30 s
using NotifyIconFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

std::uint32_t NowMs() {
  return GetTickCount();
}

}  // namespace

TrayIcon::~TrayIcon() {
  Remove();
  if (shell_ != nullptr) FreeLibrary(shell_);
}

// The notification area is on the taskbar; without one, at the system's DPI.
int TrayIcon::Size() {
  if (size_ == 0) size_ = SmallIconSizeForDpi(WindowDpi(FindWindowW(L"Shell_TrayWnd", nullptr)));
  return size_;
}

bool TrayIcon::Refit() {
  const int before = size_;
  size_ = 0;
  return Size() != before;
}

bool TrayIcon::Add(HWND window, UINT message) {
  window_ = window;
  message_ = message;
  if (icon_ == nullptr && picture_) {
    icon_ = DrawTrayIcon(*picture_, Size());
    drawn_ = Size();
  }
  // A shell that still has it (the message also comes when only the screen changed) refuses
  // a second add, and takes it as a change.
  constexpr UINT kAll = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  shown_ = Notify(NIM_ADD, kAll) || Notify(NIM_MODIFY, kAll);
  return shown_;
}

void TrayIcon::Update(const std::wstring& tip, const TrayPicture& picture) {
  UINT changed = 0;
  tip_ = tip;
  if (!picture_ || picture != *picture_ || drawn_ != Size()) {
    HICON icon = DrawTrayIcon(picture, Size());
    if (icon != nullptr) {  // otherwise the old picture stays and is tried again next time
      if (icon_ != nullptr) DestroyIcon(icon_);
      icon_ = icon;
      drawn_ = Size();
      picture_ = picture;
      changed |= NIF_ICON;
    }
  }
  const bool watched = calls_.TipWatched(NowMs());
  if (tip_ != shellTip_ && (changed != 0 || watched)) changed |= NIF_TIP;
  if (shown_ && changed != 0) Notify(NIM_MODIFY, changed);
}

void TrayIcon::MouseOn() {
  calls_.MouseOn(NowMs());
  if (shown_ && tip_ != shellTip_) Notify(NIM_MODIFY, NIF_TIP);
}

void TrayIcon::ReleaseIdleShell() noexcept {
  if (calls_.ReleaseDue(NowMs()) && shell_ != nullptr) {
    FreeLibrary(shell_);
    shell_ = nullptr;
  }
}

void TrayIcon::Remove() noexcept {
  if (shown_) Notify(NIM_DELETE, 0);
  shown_ = false;
  shellTip_.clear();
  if (icon_ != nullptr) DestroyIcon(icon_);
  icon_ = nullptr;
  picture_.reset();
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  return shown_ && Notify(NIM_MODIFY, NIF_INFO, title, text);
}

// The structure as Windows 2000 and later know it: a 128-character tip, a balloon of 255
// characters under a title of 63 with the system's warning icon, no icon of its own.
bool TrayIcon::Notify(DWORD action, UINT flags, const std::wstring& title,
                      const std::wstring& text) {
  if (window_ == nullptr) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = message_;
  data.hIcon = icon_;
  const std::size_t length = std::min(tip_.size(), std::size(data.szTip) - 1);
  std::copy_n(tip_.begin(), length, data.szTip);
  if ((flags & NIF_INFO) != 0) {
    std::copy_n(text.begin(), std::min(text.size(), std::size(data.szInfo) - 1), data.szInfo);
    std::copy_n(title.begin(), std::min(title.size(), std::size(data.szInfoTitle) - 1),
                data.szInfoTitle);
    data.uTimeout = kBalloonMs;
    data.dwInfoFlags = NIIF_WARNING;
  }
  if (!CallShell(action, data)) return false;
  if ((flags & NIF_TIP) != 0) shellTip_ = tip_;
  return true;
}

// Nothing of the icon lives in the library: the shell keeps the icon, and the icon's
// messages come to the window. So it may go between calls.
bool TrayIcon::CallShell(DWORD action, NOTIFYICONDATAW& data) {
  if (shell_ == nullptr) shell_ = LoadLibraryW(L"shell32.dll");
  if (shell_ == nullptr) return false;
  calls_.Called(NowMs());
  const auto notify = reinterpret_cast<NotifyIconFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell_, "Shell_NotifyIconW")));
  return notify != nullptr && notify(action, &data) != FALSE;
}

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace pelliton
