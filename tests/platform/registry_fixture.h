#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace pelliton::testing {

inline constexpr const char* kTestRoot = "Software\\PellitonTest";

// A throwaway key under HKCU\Software\PellitonTest, unique to the running test and process,
// deleted with everything below it afterwards. Raw registry calls arrange and inspect what
// the store under test cannot or should not do itself.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = std::string(kTestRoot) + "\\" + info->test_suite_name() + "." + info->name() + "." +
            std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());  // leftovers of a crashed run
  }

  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot);  // only once no other test uses it
  }

  std::string Key(std::string_view relative = {}) const {
    return relative.empty() ? base_ : base_ + "\\" + std::string(relative);
  }

  static bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // Stores raw bytes of any type, as another program could.
  static void SetRaw(const std::string& path, const wchar_t* name, DWORD type,
                     std::string_view bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const LONG result =
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS);
  }

  // The stored bytes of a value as the system keeps them (UTF-16 for strings); empty when
  // the value does not exist.
  static std::string RawWide(const std::string& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return {};
    }
    DWORD size = 0;
    std::string bytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      bytes.resize(size);
      RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size);
      bytes.resize(size);
    }
    RegCloseKey(key);
    return bytes;
  }

  static bool ValueExists(const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    const bool exists =
        RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
  }

 private:
  std::string base_;
};

}  // namespace pelliton::testing
