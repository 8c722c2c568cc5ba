#include "store/settings_store.h"

#include <string>

namespace pelliton {

namespace {
std::string Quoted(std::string_view prefix, std::string_view name) {
  std::string message(prefix);
  message += '\'';
  message += name;
  message += '\'';
  return message;
}
}  // namespace

RegistryError RegistryError::FailedToSetData(std::string_view name) {
  return RegistryError(Quoted("Failed to set data for ", name));
}

RegistryError RegistryError::InvalidDataType(std::string_view name) {
  return RegistryError(Quoted("Invalid data type for ", name));
}

RegistryError RegistryError::FailedToDelete(std::string_view name) {
  return RegistryError(Quoted("Failed to delete ", name));
}

}  // namespace pelliton
