// PopupMenu1: plain items in the order of MenuItem, each with the command id it has always had.
#include "ui/meter/meter_window_win32.h"

#include <windowsx.h>

#include <iterator>
#include <optional>
#include <stdexcept>

#include "ui/ids.h"

namespace pelliton {

namespace {

struct MenuResource {
  UINT id;
  const wchar_t* caption;
};

constexpr MenuResource kMenu[] = {
    {IDM_SHUFFLE, L"Shuffle"},
    {IDM_FREEZE, L"Freeze"},
    {IDM_USAGE_STATISTICS, L"Monthly Statistics"},
    {IDM_CYCLE_DATE, L"Change Cycle Date"},
    {IDM_CLOCK_COLOR, L"Change The Color"},
    {IDM_DISPLAY_FONT_SIZE, L"Change The Size"},
    {IDM_CHANGE_NETWORK, L"Change Network"},
    {IDM_STAY_ON_TOP, L"Stay On Top"},
    {IDM_EXIT_MENU, L"Exit This Menu"},
    {IDM_REMOVE_PROGRAM, L"Remove This Program"},
    {IDM_WEB_SITE, L"" PELLITON_WEB_SITE},
    {IDM_ABOUT, L"About"},
    {IDM_DATA_CAP, L"Monthly Data Cap"},
    {IDM_USAGE_HISTORY, L"Usage History"},
    {IDM_METERED_CONNECTIONS, L"Metered Connections..."},
    {IDM_PLAN_HOURS, L"Plan Hours..."},
    {IDM_SHOW_METER, L"Show Meter"},
};
static_assert(std::size(kMenu) == static_cast<std::size_t>(MenuItem::ShowMeter1) + 1);

UINT CommandId(MenuItem item) {
  return kMenu[static_cast<std::size_t>(item)].id;
}

// The item of a command id; nothing for an id that is no item's.
std::optional<MenuItem> ItemOf(UINT id) {
  for (std::size_t index = 0; index < std::size(kMenu); ++index)
    if (kMenu[index].id == id) return static_cast<MenuItem>(index);
  return std::nullopt;
}

}  // namespace

void Win32MeterWindow::CreatePopupMenu1() {
  menu_ = CreatePopupMenu();
  if (menu_ == nullptr) throw std::runtime_error("Cannot create the popup menu");
  for (const MenuResource& entry : kMenu)
    AppendMenuW(menu_, MF_STRING, entry.id, entry.caption);
  SetMenuChecked(MenuItem::StayOnTop1, true);
  SetMenuChecked(MenuItem::ShowMeter1, true);
  SetMenuDefaultItem(menu_, IDM_WEB_SITE, FALSE);
}

bool Win32MeterWindow::MenuChecked(MenuItem item) const {
  return (GetMenuState(menu_, CommandId(item), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void Win32MeterWindow::SetMenuChecked(MenuItem item, bool checked) {
  CheckMenuItem(menu_, CommandId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// The window must be in the foreground for the menu to close when the user clicks
// elsewhere, and the posted message lets it close at once when chosen again. Label1's hint
// is put away first: it would cover the menu's first items.
void Win32MeterWindow::OpenPopupMenu(ScreenPoint at) {
  PutHintAway();
  SetForegroundWindow(window_);
  TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window_,
                 nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
}

// Menu commands come with notification code 0 and no control handle.
bool Win32MeterWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  const std::optional<MenuItem> item = ItemOf(LOWORD(wParam));
  if (HIWORD(wParam) != 0 || lParam != 0 || !item) return false;
  Notify([item = *item](MeterEvents& events) { events.MenuCommand(item); });
  return true;
}

// A right click on Label2 or Label3 reaches the window; from the keyboard (-1) the menu
// opens where a right press on Label1 would open it.
void Win32MeterWindow::OnContextMenu(LPARAM lParam) {
  ScreenPoint at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (lParam == -1) at = {Left(), Top() + 30};
  OpenPopupMenu(at);
}

}  // namespace pelliton
