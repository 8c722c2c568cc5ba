#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_journal.h"
#include "store/settings_store.h"

namespace pelliton::testing {

// An in-memory store that records every write in order and can be told to fail.
class FakeStore : public SettingsStore {
 public:
  struct Write {
    std::string key, name, value;
    bool operator==(const Write&) const = default;
  };

  void WriteRegistry(RootKey, std::string_view key, std::string_view name,
                     std::string_view value) override {
    if (lockedKeys.count(std::string(key)) || writingStopped) return;  // silent
    if (failingWrites.count(std::string(name))) throw RegistryError::FailedToSetData(name);
    values[{std::string(key), std::string(name)}] = std::string(value);
    writes.push_back({std::string(key), std::string(name), std::string(value)});
    journal.Note("store " + std::string(name) + "=" + std::string(value));
  }

  std::string ReadRegistry(RootKey, std::string_view key, std::string_view name) override {
    ++reads;
    readNames.push_back(std::string(name));
    if (wrongType.count(std::string(name))) throw RegistryError::InvalidDataType(name);
    auto it = values.find({std::string(key), std::string(name)});
    return it == values.end() ? std::string() : it->second;
  }

  // Wide text is kept beside a stand-in of question marks, as an 8-bit read may see it.
  void WriteRegistryWide(RootKey root, std::string_view key, std::string_view name,
                         std::u16string_view value) override {
    const std::size_t before = writes.size();
    WriteRegistry(root, key, name, std::string(value.size(), '?'));
    if (writes.size() > before) wideValues[{std::string(key), std::string(name)}] = value;
  }

  std::u16string ReadRegistryWide(RootKey root, std::string_view key,
                                  std::string_view name) override {
    if (ReadRegistry(root, key, name).empty()) return {};
    const auto wide = wideValues.find({std::string(key), std::string(name)});
    return wide == wideValues.end() ? std::u16string() : wide->second;
  }

  void DeleteRegistry(RootKey, std::string_view key) override {
    deletedKeys.push_back(std::string(key));
    journal.Note("delete key " + std::string(key));
    if (undeletable.count(std::string(key))) return;
    std::erase_if(values, [&](const auto& kv) { return kv.first.first == key; });
  }

  void DeleteValue(RootKey, std::string_view key, std::string_view name) override {
    journal.Note("delete value " + std::string(name));
    if (undeletable.count(std::string(name))) return;
    values.erase({std::string(key), std::string(name)});
  }

  // A key exists while it holds a value.
  bool KeyExists(RootKey, std::string_view key) override {
    return std::any_of(values.begin(), values.end(),
                       [&](const auto& kv) { return kv.first.first == key; });
  }

  void StopWriting() override {
    writingStopped = true;
    journal.Note("stop writing");
  }

  // Convenience for the settings key.
  void Set(std::string_view name, std::string_view value,
           std::string_view key = "Software\\Zorvane\\Pelliton") {
    values[{std::string(key), std::string(name)}] = std::string(value);
  }
  std::string Get(std::string_view name,
                  std::string_view key = "Software\\Zorvane\\Pelliton") const {
    auto it = values.find({std::string(key), std::string(name)});
    return it == values.end() ? std::string() : it->second;
  }
  bool Has(std::string_view name, std::string_view key = "Software\\Zorvane\\Pelliton") const {
    return values.count({std::string(key), std::string(name)}) != 0;
  }
  // Names written, in order.
  std::vector<std::string> WrittenNames() const {
    std::vector<std::string> names;
    for (const auto& w : writes)
      names.push_back(w.name);
    return names;
  }

  std::map<std::pair<std::string, std::string>, std::string> values;
  std::map<std::pair<std::string, std::string>, std::u16string> wideValues;
  std::vector<Write> writes;
  std::vector<std::string> deletedKeys;
  std::set<std::string> failingWrites;  // value names whose write raises
  std::set<std::string> wrongType;      // value names that read as a non-string type
  std::set<std::string> lockedKeys;     // keys that cannot be opened for writing
  std::set<std::string> undeletable;    // keys and value names whose deletion does nothing
  bool writingStopped = false;
  CallJournal journal;  // writes and deletions, in order
  int reads = 0;
  std::vector<std::string> readNames;  // value names read, in order
};

}  // namespace pelliton::testing
