#include "ui/dialogs/usage_export_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <stdexcept>

#include "ui/ansi_text_win32.h"
#include "ui/system_function_win32.h"

namespace pelliton {

namespace {

using GetSaveFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

constexpr DWORD kLongestPath = 32768;

// The system's own text for error `code`, without its line end.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : NarrowAnsi(text);
}

[[noreturn]] void Fail(const std::wstring& path) {
  const DWORD code = GetLastError();
  throw std::runtime_error("Cannot write '" + NarrowAnsi(path) + "': " + SystemMessage(code));
}

// A handle closed with the object.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Writes `file`, reporting a failure under the name the user gave, `path`.
void WriteAll(const std::wstring& file, const std::wstring& path, std::string_view bytes) {
  FileHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.Get() == INVALID_HANDLE_VALUE) Fail(path);
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!WriteFile(handle.Get(), bytes.data(), chunk, &written, nullptr) || written == 0)
      Fail(path);
    bytes.remove_prefix(written);
  }
  if (!FlushFileBuffers(handle.Get()) || !handle.Close()) Fail(path);
}

}  // namespace

std::wstring AskExportFileName(HWND owner) {
  std::wstring name(kLongestPath, L'\0');
  name.replace(0, 9, L"usage.csv");
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kLongestPath;
  dialog.lpstrDefExt = L"csv";
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  static const auto getSaveFileName =
      SystemFunction<GetSaveFileNameFunction>(L"comdlg32.dll", "GetSaveFileNameW");
  if (getSaveFileName == nullptr) throw std::runtime_error("The Save As dialog is not available");
  if (!getSaveFileName(&dialog)) return {};
  name.resize(name.find(L'\0'));
  return name;
}

std::wstring CompanionFileName(std::wstring_view path, std::wstring_view suffix) {
  const std::size_t folder = path.find_last_of(L"\\/");
  const std::size_t dot = path.rfind(L'.');
  const bool hasExtension =
      dot != std::wstring_view::npos && (folder == std::wstring_view::npos || dot > folder);
  const std::size_t stem = hasExtension ? dot : path.size();
  return std::wstring(path.substr(0, stem)) + std::wstring(suffix) +
         std::wstring(path.substr(stem));
}

void ReplaceFile(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = path + L".partial";
  try {
    WriteAll(temporary, path, bytes);
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      Fail(path);
    }
  } catch (...) {
    DeleteFileW(temporary.c_str());
    throw;
  }
}

}  // namespace pelliton
