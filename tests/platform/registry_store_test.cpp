#include "platform/registry_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/registry_fixture.h"

namespace pelliton {
namespace {

using testing::RegistryTest;

constexpr auto kUser = RootKey::CurrentUser;

// Little-endian UTF-16 bytes, as the registry keeps strings.
std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string ErrorOf(RegistryStore& store, const std::string& key, const char* name) {
  try {
    store.ReadRegistry(kUser, key, name);
  } catch (const RegistryError& error) {
    return error.what();
  }
  return "no error";
}

// The handle value the process gets next. Freed slots are handed out again first, so it
// changes only while some handle stays open. (Handle counts are always 0 under Wine.)
HANDLE NextHandle() {
  const HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(probe);
  return probe;
}

class RegistryStoreTest : public RegistryTest {
 protected:
  RegistryStore store;
};

TEST_F(RegistryStoreTest, ReadsBackWhatWasWritten) {
  std::vector<std::string> texts{"12345",
                                 "",
                                 " padded ",
                                 "Fast Ethernet Adapter",
                                 std::string(492, '?'),
                                 std::string(1 << 20, 'x')};
  CPINFO codePage{};
  if (GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize == 1) texts.push_back("caf\xE9");
  for (const auto& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    store.WriteRegistry(kUser, Key(), "Value", text);
    EXPECT_EQ(store.ReadRegistry(kUser, Key(), "Value"), text);
  }
}

TEST_F(RegistryStoreTest, StoresTextUpToAnEmbeddedNul) {
  store.WriteRegistry(kUser, Key(), "Value", std::string("abc\0def", 7));
  EXPECT_EQ(store.ReadRegistry(kUser, Key(), "Value"), "abc");
  EXPECT_EQ(RawWide(Key(), L"Value"), Utf16Bytes(std::u16string(u"abc\0", 4)));
}

TEST_F(RegistryStoreTest, WritingTwiceReplaces) {
  store.WriteRegistry(kUser, Key(), "TotalData", "4294967295");
  store.WriteRegistry(kUser, Key(), "TotalData", "7");
  EXPECT_EQ(store.ReadRegistry(kUser, Key(), "TotalData"), "7");
  EXPECT_EQ(RawWide(Key(), L"TotalData"), Utf16Bytes(std::u16string(u"7\0", 2)));
}

TEST_F(RegistryStoreTest, FirstWriteCreatesMissingParents) {
  ASSERT_FALSE(KeyExists(Key()));
  store.WriteRegistry(kUser, Key("Zorvane\\Pelliton"), "Top", "10");
  EXPECT_TRUE(KeyExists(Key("Zorvane")));
  EXPECT_EQ(store.ReadRegistry(kUser, Key("Zorvane\\Pelliton"), "Top"), "10");
}

TEST_F(RegistryStoreTest, MissingKeyOrValueReadsEmpty) {
  EXPECT_EQ(store.ReadRegistry(kUser, Key("Missing"), "Top"), "");
  EXPECT_FALSE(KeyExists(Key("Missing")));  // reading never creates
  store.WriteRegistry(kUser, Key(), "Top", "1");
  EXPECT_EQ(store.ReadRegistry(kUser, Key(), "Left"), "");
}

// Values as other programs may leave them.
struct ForeignValue {
  const char* label;
  DWORD type;
  std::string bytes;
  std::optional<std::string> text;  // none: the read raises "Invalid data type"
};

TEST_F(RegistryStoreTest, ReadsForeignValuesSafely) {
  const std::string megabyte(1 << 20, 'm');
  const ForeignValue cases[] = {
      {"number", REG_DWORD, std::string("\x2a\0\0\0", 4), std::nullopt},
      {"qword", REG_QWORD, std::string(8, '\1'), std::nullopt},
      {"binary", REG_BINARY, "\x01\x02\x03", std::nullopt},
      {"multi string", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"a\0b\0\0", 5)), std::nullopt},
      {"empty binary", REG_BINARY, "", ""},
      {"empty string", REG_SZ, "", ""},
      {"only a NUL", REG_SZ, std::string(2, '\0'), ""},
      {"no terminating NUL", REG_SZ, Utf16Bytes(u"abc"), "abc"},
      {"odd byte count", REG_SZ, Utf16Bytes(u"abc").substr(0, 5), "ab"},
      {"text after a NUL", REG_SZ, Utf16Bytes(std::u16string(u"abc\0def\0", 8)), "abc"},
      {"not expanded", REG_EXPAND_SZ, Utf16Bytes(std::u16string(u"%PATH%\0", 7)), "%PATH%"},
      {"a megabyte", REG_SZ, Utf16Bytes(std::u16string(megabyte.begin(), megabyte.end())),
       megabyte},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetRaw(Key(), L"Foreign", c.type, c.bytes);
    if (c.text) {
      EXPECT_EQ(store.ReadRegistry(kUser, Key(), "Foreign"), *c.text);
    } else {
      EXPECT_EQ(ErrorOf(store, Key(), "Foreign"), "Invalid data type for 'Foreign'");
    }
  }
}

TEST_F(RegistryStoreTest, ValueThatCannotBeSetRaises) {
  // One character over the documented limit of a value name: the key opens, the set fails.
  const std::string name(16384, 'v');
  try {
    store.WriteRegistry(kUser, Key(), name, "1");
    ADD_FAILURE() << "no error";
  } catch (const RegistryError& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to set data for '" + name + "'");
  }
  EXPECT_FALSE(ValueExists(Key(), name.c_str()));
}

TEST_F(RegistryStoreTest, KeyThatCannotBeCreatedSkipsTheWrite) {
  const std::string uncreatable[] = {
      Key(std::string(300, 'k') + "\\Pelliton"),  // component over 255 characters
      "\\" + Key("Pelliton"),                     // a path may not start at a backslash
  };
  for (const auto& key : uncreatable) {
    SCOPED_TRACE(key.substr(0, 60));
    EXPECT_NO_THROW(store.WriteRegistry(kUser, key, "Top", "1"));
    EXPECT_EQ(store.ReadRegistry(kUser, key, "Top"), "");
    EXPECT_FALSE(KeyExists(Key()));
  }
}

TEST_F(RegistryStoreTest, DeleteRemovesTheKeyAndKeepsItsParent) {
  const std::string settings = Key("Zorvane\\Pelliton");
  store.WriteRegistry(kUser, settings, "TotalData", "12");
  store.WriteRegistry(kUser, settings, "AllData", "?? ???, ????");
  SetRaw(settings + "\\Extra", L"Stray", REG_SZ, Utf16Bytes(u"x"));

  EXPECT_TRUE(store.KeyExists(kUser, settings));
  store.DeleteRegistry(kUser, settings);

  EXPECT_FALSE(KeyExists(settings));
  EXPECT_FALSE(store.KeyExists(kUser, settings));
  EXPECT_TRUE(KeyExists(Key("Zorvane")));
  EXPECT_TRUE(store.KeyExists(kUser, Key("Zorvane")));
  EXPECT_EQ(store.ReadRegistry(kUser, settings, "TotalData"), "");
}

TEST_F(RegistryStoreTest, DeleteOfNothingIsSilent) {
  store.WriteRegistry(kUser, Key(), "Keep", "1");
  // The empty path would be the root itself: deleting it must not touch anything.
  for (const auto& key : {Key("Missing\\Pelliton"), std::string(), std::string("\\\\")}) {
    SCOPED_TRACE(key);
    EXPECT_NO_THROW(store.DeleteRegistry(kUser, key));
    EXPECT_EQ(store.ReadRegistry(kUser, Key(), "Keep"), "1");
  }
}

TEST_F(RegistryStoreTest, DeleteValueRemovesOnlyThatValue) {
  const std::string run = Key("Run");
  store.WriteRegistry(kUser, run, "Zorvane Pelliton", "Z:\\work\\Pelliton.exe");
  store.WriteRegistry(kUser, run, "Other", "x");

  store.DeleteValue(kUser, run, "Zorvane Pelliton");
  EXPECT_FALSE(ValueExists(run, "Zorvane Pelliton"));
  EXPECT_EQ(store.ReadRegistry(kUser, run, "Other"), "x");

  EXPECT_NO_THROW(store.DeleteValue(kUser, run, "Zorvane Pelliton"));
  EXPECT_NO_THROW(store.DeleteValue(kUser, Key("Missing"), "Zorvane Pelliton"));
  EXPECT_FALSE(KeyExists(Key("Missing")));
}

TEST_F(RegistryStoreTest, AfterStopWritingNothingCreatesTheKeyAgain) {
  const std::string settings = Key("Zorvane\\Pelliton");
  const std::string run = Key("Run");
  store.WriteRegistry(kUser, settings, "Top", "1");
  store.WriteRegistry(kUser, run, "Zorvane Pelliton", "Z:\\Pelliton.exe");

  store.StopWriting();
  store.DeleteValue(kUser, run, "Zorvane Pelliton");
  store.DeleteRegistry(kUser, settings);
  EXPECT_NO_THROW(store.WriteRegistry(kUser, settings, "Top", "2"));
  EXPECT_NO_THROW(store.WriteRegistry(kUser, run, "Zorvane Pelliton", "x"));

  EXPECT_FALSE(KeyExists(settings));
  EXPECT_FALSE(ValueExists(run, "Zorvane Pelliton"));
  EXPECT_TRUE(KeyExists(Key("Zorvane")));
}

TEST_F(RegistryStoreTest, KeepsNoHandleOpenOnAnyPath) {
  SetRaw(Key(), L"Dword", REG_DWORD, std::string(4, '\0'));
  const auto everyPath = [&] {
    store.WriteRegistry(kUser, Key("Sub"), "Value", "1");
    store.ReadRegistry(kUser, Key("Sub"), "Value");
    store.ReadRegistry(kUser, Key("Sub"), "Missing");
    store.ReadRegistry(kUser, Key("Missing"), "Value");
    EXPECT_THROW(store.ReadRegistry(kUser, Key(), "Dword"), RegistryError);
    EXPECT_THROW(store.WriteRegistry(kUser, Key(), std::string(16384, 'v'), "1"), RegistryError);
    store.DeleteValue(kUser, Key("Sub"), "Value");
    store.DeleteRegistry(kUser, Key("Sub"));
  };
  everyPath();  // first use may allocate handles of the system's own
  const HANDLE before = NextHandle();
  for (int i = 0; i < 10; ++i)
    everyPath();
  EXPECT_EQ(NextHandle(), before);
}

}  // namespace
}  // namespace pelliton
