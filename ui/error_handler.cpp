#include "ui/error_handler.h"

#include <new>

namespace pelliton {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

std::string ExceptionMessage(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return "Out of memory";
  return error.what();
}

}  // namespace pelliton
