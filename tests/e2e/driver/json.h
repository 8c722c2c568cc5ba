#pragma once

// Just enough JSON output for the driver's answers: UTF-8 text from wide strings, numbers,
// booleans, arrays and objects assembled from already-encoded members.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace driver {

inline std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

inline std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

inline std::string Quote(std::wstring_view text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      wsprintfA(buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

inline std::string Num(long long n) {
  return std::to_string(n);
}
inline std::string Bool(bool b) {
  return b ? "true" : "false";
}

inline std::string Array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i)
    out += (i ? "," : "") + items[i];
  return out + "]";
}

// An object whose members are added as already-encoded JSON values.
class Object {
 public:
  Object& Add(std::string_view key, const std::string& value) {
    body_ += body_.empty() ? "" : ",";
    body_.append("\"").append(key).append("\":").append(value);
    return *this;
  }
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

inline std::string Rect(const RECT& r) {
  return Object()
      .Add("left", Num(r.left))
      .Add("top", Num(r.top))
      .Add("right", Num(r.right))
      .Add("bottom", Num(r.bottom))
      .Str();
}

}  // namespace driver
