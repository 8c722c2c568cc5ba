#include "platform/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/registry_value.h"
#include "platform/system_locale.h"

namespace pelliton {

namespace {

// The current user's root is the only one there is.
HKEY RootHandle(RootKey) {
  return HKEY_CURRENT_USER;
}

// An open key, closed on every path out of the operation that opened it.
class OpenKey {
 public:
  OpenKey() = default;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (handle_ != nullptr) RegCloseKey(handle_);
  }

  bool Open(RootKey root, const std::string& path, REGSAM access) {
    return Open(RootHandle(root), path.c_str(), access);
  }
  bool Open(HKEY parent, const char* path, REGSAM access) {
    return RegOpenKeyExA(parent, path, 0, access, &handle_) == ERROR_SUCCESS;
  }
  bool Create(RootKey root, const std::string& path, REGSAM access) {
    return RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, &handle_, nullptr) == ERROR_SUCCESS;
  }
  HKEY Get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

bool DeleteKeyTree(HKEY parent, const char* path);

// Deletes every subkey of the key, each with everything below it; one that will not go is
// stepped over, and the rest still go.
void DeleteSubkeys(HKEY parent, const char* path) {
  OpenKey key;
  if (!key.Open(parent, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) return;
  char name[256];  // a key name has at most 255 characters
  DWORD length = sizeof name;
  DWORD index = 0;
  while (RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS) {
    if (!DeleteKeyTree(key.Get(), name)) ++index;
    length = sizeof name;
  }
}

// Deletes the key with everything below it, deepest keys first: a key that still has
// subkeys cannot be deleted.
bool DeleteKeyTree(HKEY parent, const char* path) {
  DeleteSubkeys(parent, path);
  return RegDeleteKeyA(parent, path) == ERROR_SUCCESS;
}

// A value name in the system code page, for the wide calls.
std::wstring WideName(std::string_view name) {
  const std::u16string wide = WidenFromCodePage(CP_ACP, name);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

void RegistryStore::WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                                  std::string_view value) {
  if (!writing_) return;
  OpenKey handle;
  if (!handle.Create(root, std::string(key), KEY_WRITE)) return;

  // A REG_SZ ends at its first NUL: store exactly what a reader will get back.
  const std::string text(value.substr(0, value.find('\0')));
  if (text.size() >= std::numeric_limits<DWORD>::max()) {
    throw RegistryError::FailedToSetData(name);
  }
  const std::string valueName(name);
  const LONG result = RegSetValueExA(handle.Get(), valueName.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>(text.size() + 1));
  if (result != ERROR_SUCCESS) throw RegistryError::FailedToSetData(name);
}

std::string RegistryStore::ReadRegistry(RootKey root, std::string_view key, std::string_view name) {
  OpenKey handle;
  if (!handle.Open(root, std::string(key), KEY_READ)) return {};
  const std::string valueName(name);
  return ReadStringValue(
      [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExA(handle.Get(), valueName.c_str(), nullptr, type, data, size);
      },
      name);
}

void RegistryStore::WriteRegistryWide(RootKey root, std::string_view key, std::string_view name,
                                      std::u16string_view value) {
  if (!writing_) return;
  OpenKey handle;
  if (!handle.Create(root, std::string(key), KEY_WRITE)) return;

  const std::wstring text(value.begin(), std::find(value.begin(), value.end(), u'\0'));
  if (text.size() >= std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) {
    throw RegistryError::FailedToSetData(name);
  }
  const LONG result = RegSetValueExW(handle.Get(), WideName(name).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) throw RegistryError::FailedToSetData(name);
}

std::u16string RegistryStore::ReadRegistryWide(RootKey root, std::string_view key,
                                               std::string_view name) {
  OpenKey handle;
  if (!handle.Open(root, std::string(key), KEY_READ)) return {};
  const std::wstring valueName = WideName(name);
  const std::wstring text = ReadStringValue<wchar_t>(
      [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, type, data, size);
      },
      name);
  return std::u16string(text.begin(), text.end());
}

void RegistryStore::DeleteRegistry(RootKey root, std::string_view key) {
  // An empty path names the root itself, whose whole content a tree delete would take.
  if (key.find_first_not_of('\\') == std::string_view::npos) return;
  const std::string path(key);
  DeleteKeyTree(RootHandle(root), path.c_str());
}

void RegistryStore::DeleteValue(RootKey root, std::string_view key, std::string_view name) {
  OpenKey handle;
  if (!handle.Open(root, std::string(key), KEY_ALL_ACCESS)) return;
  const std::string valueName(name);
  RegDeleteValueA(handle.Get(), valueName.c_str());
}

bool RegistryStore::KeyExists(RootKey root, std::string_view key) {
  const std::string path(key);
  HKEY handle = nullptr;
  const LONG result = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ, &handle);
  if (result == ERROR_SUCCESS) RegCloseKey(handle);
  return result != ERROR_FILE_NOT_FOUND;  // one that cannot be opened is there all the same
}

}  // namespace pelliton
