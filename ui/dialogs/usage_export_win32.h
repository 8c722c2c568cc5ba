#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pelliton {

// The file name the user gives in the system's Save As dialog for a CSV export, owned by
// `owner`; empty when cancelled.
std::wstring AskExportFileName(HWND owner);

// "usage.csv" with "-hours" gives "usage-hours.csv": the name of a companion file beside it.
std::wstring CompanionFileName(std::wstring_view path, std::wstring_view suffix);

// Writes `bytes` to `path` through a temporary file beside it that then takes its place, so
// that no half-written file is ever left under the name. Throws with the system's message.
void ReplaceFile(const std::wstring& path, std::string_view bytes);

}  // namespace pelliton
