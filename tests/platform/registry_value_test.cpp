#include "platform/registry_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace pelliton {
namespace {

// One state of a value that another program keeps changing.
struct Stage {
  DWORD type = REG_SZ;
  std::string bytes;
  bool missing = false;
  std::size_t reportedSize = 0;  // non-zero: a size query reports this instead
};

Stage Value(DWORD type, std::string bytes, std::size_t reportedSize = 0) {
  return Stage{type, std::move(bytes), false, reportedSize};
}
Stage Missing() {
  return Stage{REG_NONE, {}, true, 0};
}

// RegQueryValueExA for one value that moves to the next stage after every call. A read that
// fits fills the rest of the buffer with garbage, which a reader must never take as text.
class ChangingValue {
 public:
  explicit ChangingValue(std::vector<Stage> stages) : stages_(std::move(stages)) {}

  LONG operator()(DWORD* type, BYTE* data, DWORD* size) {
    const Stage& stage = stages_[std::min(calls_++, stages_.size() - 1)];
    if (stage.missing) return ERROR_FILE_NOT_FOUND;
    *type = stage.type;
    const auto needed = static_cast<DWORD>(stage.bytes.size());
    if (data == nullptr) {
      *size = stage.reportedSize != 0 ? static_cast<DWORD>(stage.reportedSize) : needed;
      return ERROR_SUCCESS;
    }
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memset(data, 'Z', *size);
    std::memcpy(data, stage.bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
  }

  std::size_t Calls() const { return calls_; }

 private:
  std::vector<Stage> stages_;
  std::size_t calls_ = 0;
};

struct Case {
  const char* label;
  std::vector<Stage> stages;
  std::optional<std::string> text;  // none: "Invalid data type"
};

std::string Read(ChangingValue& value) {
  try {
    return ReadStringValue(value, "Value");
  } catch (const RegistryError& error) {
    return std::string("raised ") + error.what();
  }
}

TEST(ReadStringValue, FollowsAValueThatChangesUnderneath) {
  const std::string nul(1, '\0');
  const Case cases[] = {
      {"steady", {Value(REG_SZ, "abc" + nul)}, "abc"},
      {"grows after the size query",
       {Value(REG_SZ, "ab" + nul), Value(REG_SZ, "abcdefgh" + nul)},
       "abcdefgh"},
      {"grows twice",
       {Value(REG_SZ, "a" + nul), Value(REG_SZ, "abc" + nul), Value(REG_SZ, "abcdefgh" + nul)},
       "abcdefgh"},
      {"shrinks without its NUL", {Value(REG_SZ, "abcdefgh" + nul), Value(REG_SZ, "abc")}, "abc"},
      {"vanishes after the size query", {Value(REG_SZ, "abc" + nul), Missing()}, ""},
      {"missing", {Missing()}, ""},
      {"empty", {Value(REG_SZ, "")}, ""},
      {"size overstated", {Value(REG_SZ, "ab", 64)}, "ab"},
      {"turns into a number",
       {Value(REG_SZ, "abcd" + nul), Value(REG_DWORD, "abcd")},
       std::nullopt},
      {"turns into a string", {Value(REG_BINARY, "abcd"), Value(REG_EXPAND_SZ, "ab" + nul)}, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ChangingValue value(c.stages);
    EXPECT_EQ(Read(value), c.text ? *c.text : "raised Invalid data type for 'Value'");
  }
}

TEST(ReadStringValue, GivesUpOnAValueThatKeepsGrowing) {
  std::vector<Stage> stages;
  for (std::size_t length = 1; length < 64; ++length) {
    stages.push_back(Value(REG_SZ, std::string(length, 'g')));
  }
  ChangingValue value(stages);
  EXPECT_EQ(Read(value), "");
  EXPECT_EQ(value.Calls(), 1u + kRegistryReadAttempts);
}

}  // namespace
}  // namespace pelliton
