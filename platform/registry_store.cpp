#include "platform/registry_store.h"

#include <windows.h>

#include <limits>
#include <string>

#include "platform/registry_value.h"

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
    return RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, &handle_) == ERROR_SUCCESS;
  }
  bool Create(RootKey root, const std::string& path, REGSAM access) {
    return RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, &handle_, nullptr) == ERROR_SUCCESS;
  }
  HKEY Get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

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

void RegistryStore::DeleteRegistry(RootKey root, std::string_view key) {
  // An empty path names the root itself, whose whole content a tree delete would take.
  if (key.find_first_not_of('\\') == std::string_view::npos) return;
  const std::string path(key);
  RegDeleteTreeA(RootHandle(root), path.c_str());
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
