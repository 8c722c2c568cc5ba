#pragma once

#include "store/settings_store.h"

namespace pelliton {

// The settings store on the registry under HKEY_CURRENT_USER: REG_SZ values in the system
// code page (UTF-16 through the wide calls), every call opening and closing its own key handle. A
// text is stored up to its first NUL; DeleteRegistry takes any subkeys along and ignores an empty
// path (the root).
class RegistryStore : public SettingsStore {
 public:
  void WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                     std::string_view value) override;
  std::string ReadRegistry(RootKey root, std::string_view key, std::string_view name) override;
  void WriteRegistryWide(RootKey root, std::string_view key, std::string_view name,
                         std::u16string_view value) override;
  std::u16string ReadRegistryWide(RootKey root, std::string_view key,
                                  std::string_view name) override;
  void DeleteRegistry(RootKey root, std::string_view key) override;
  void DeleteValue(RootKey root, std::string_view key, std::string_view name) override;
  bool KeyExists(RootKey root, std::string_view key) override;
  void StopWriting() override { writing_ = false; }

 private:
  bool writing_ = true;
};

}  // namespace pelliton
