#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pelliton {

// Every call passes the current user's root; the operations take it all the same.
enum class RootKey { CurrentUser };

// A failure of the store itself: "Failed to set data for '<name>'",
// "Invalid data type for '<name>'", "Failed to delete '<name>'".
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  static RegistryError FailedToSetData(std::string_view name);
  static RegistryError InvalidDataType(std::string_view name);
  static RegistryError FailedToDelete(std::string_view name);
};

// The per-user store of named string values (8-bit text in the system code page). Each call
// opens, performs its one operation and closes; nothing stays open between calls.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Creates the key and its missing parents. A key that cannot be opened skips the write
  // silently; a value that cannot be set raises RegistryError::FailedToSetData.
  virtual void WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                             std::string_view value) = 0;
  // Empty text for a missing key, a missing value or an empty value; the text up to the
  // first NUL otherwise. A value that is not a string raises RegistryError::InvalidDataType.
  virtual std::string ReadRegistry(RootKey root, std::string_view key, std::string_view name) = 0;
  // The same for text that the system code page may not hold (the executable's path): UTF-16,
  // stored as the same string type.
  virtual void WriteRegistryWide(RootKey root, std::string_view key, std::string_view name,
                                 std::u16string_view value) = 0;
  virtual std::u16string ReadRegistryWide(RootKey root, std::string_view key,
                                          std::string_view name) = 0;
  // Deletes the last component of `key` with its values; parents stay. Never reports.
  virtual void DeleteRegistry(RootKey root, std::string_view key) = 0;
  // Deletes one value of an existing key (the autostart entry). Never reports.
  virtual void DeleteValue(RootKey root, std::string_view key, std::string_view name) = 0;
  // Whether `key` is there, also when it cannot be opened.
  virtual bool KeyExists(RootKey root, std::string_view key) = 0;
  // For good: every later write is skipped silently, as for a key that cannot be opened,
  // so that nothing creates the settings key again after a removal. Deletions still work.
  virtual void StopWriting() = 0;
};

}  // namespace pelliton
