#include "metering/sources/connection_set.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool SameWithoutSuffix(std::string_view a, std::string_view b) {
  return WithoutInstanceSuffix(a) == WithoutInstanceSuffix(b);
}

// One pass of the matching after another; a row once taken, or one whose hardware address
// is taken, is out of every later pass.
class Matcher {
 public:
  Matcher(const std::vector<ConnectionId>& set, const std::vector<SourceReading>& rows)
      : set_(set), rows_(rows), found_(set.size()), taken_(rows.size(), false) {}

  template <class Pick>
  void Pass(Pick pick) {
    for (std::size_t c = 0; c < set_.size(); ++c) {
      if (found_[c]) continue;
      if (const std::optional<std::size_t> row = pick(set_[c])) Take(c, *row);
    }
  }

  // The first free row that `fits`, in table order; with `up`, the first that is up as well.
  template <class Fits>
  std::optional<std::size_t> First(Fits fits, bool up = false) const {
    for (std::size_t r = 0; r < rows_.size(); ++r)
      if (Free(r) && fits(rows_[r].id) && (!up || rows_[r].connected)) return r;
    return std::nullopt;
  }

  // Whether a free row that is up and no filter row shares the hardware address of row `r`,
  // which is down: a device plugged in again under another name, its old row still listed.
  bool UpTwinOf(std::size_t r) const {
    const ConnectionId& id = rows_[r].id;
    if (rows_[r].connected || !HasHardwareAddress(id)) return false;
    return First(
               [&](const ConnectionId& other) {
                 return other.hardwareAddress == id.hardwareAddress &&
                        !IsFilterRow(other.description);
               },
               true)
        .has_value();
  }

  std::vector<std::optional<std::size_t>> Found() const { return found_; }

 private:
  bool Free(std::size_t r) const {
    const ConnectionId& id = rows_[r].id;
    return !taken_[r] && !(HasHardwareAddress(id) && addresses_.count(id.hardwareAddress));
  }

  void Take(std::size_t c, std::size_t r) {
    found_[c] = r;
    taken_[r] = true;
    if (HasHardwareAddress(rows_[r].id)) addresses_.insert(rows_[r].id.hardwareAddress);
  }

  const std::vector<ConnectionId>& set_;
  const std::vector<SourceReading>& rows_;
  std::vector<std::optional<std::size_t>> found_;
  std::vector<bool> taken_;
  std::set<std::string> addresses_;
};

// Of the free rows with the connection's hardware address: the one with its description,
// then without the suffix, then one that is no filter row, each first among the rows that are
// up; then the first.
std::optional<std::size_t> ByHardwareAddress(const Matcher& m, const ConnectionId& wanted) {
  if (!HasHardwareAddress(wanted)) return std::nullopt;
  const auto sameAddress = [&](const ConnectionId& id) {
    return id.hardwareAddress == wanted.hardwareAddress;
  };
  const auto and_ = [&](auto also) {
    return [&, also](const ConnectionId& id) { return sameAddress(id) && also(id); };
  };
  for (const bool up : {true, false}) {
    if (auto r = m.First(
            and_([&](const ConnectionId& id) { return id.description == wanted.description; }), up))
      return r;
    if (auto r = m.First(and_([&](const ConnectionId& id) {
                           return SameWithoutSuffix(id.description, wanted.description);
                         }),
                         up))
      return r;
    if (auto r =
            m.First(and_([](const ConnectionId& id) { return !IsFilterRow(id.description); }), up))
      return r;
  }
  return m.First(sameAddress);
}

// "<length>:<bytes>": any bytes at all, told apart by their count.
void AppendField(std::string& text, std::string_view field) {
  text += std::to_string(field.size());
  text += ':';
  text += field;
}

std::optional<std::string> TakeField(std::string_view& text, std::size_t longest) {
  std::size_t length = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (error != std::errc() || stop == text.data() || !IsDigit(text.front())) return std::nullopt;
  const auto digits = static_cast<std::size_t>(stop - text.data());
  if (digits > 5 || length > longest || digits >= text.size() || text[digits] != ':')
    return std::nullopt;
  text.remove_prefix(digits + 1);
  if (text.size() < length) return std::nullopt;
  std::string field(text.substr(0, length));
  text.remove_prefix(length);
  return field;
}

// The new set in memory: a connection of the old set counts on as it did (found in the new
// one by the matching rules), any other counts from its binding.
void AdoptSet(MeterState& state, const std::vector<ConnectionId>& set) {
  const std::vector<ConnectionId> old = MeteredConnections(state);
  const std::vector<LinkState> oldLinks = Links(state);
  std::vector<SourceReading> chosen(set.size());
  for (std::size_t i = 0; i < set.size(); ++i)
    chosen[i].id = set[i];
  const auto kept = MatchConnections(old, chosen);
  std::vector<LinkState> links(set.size(), LinkState{.fresh = true});
  for (std::size_t o = 0; o < old.size(); ++o)
    if (kept[o]) links[*kept[o]] = oldLinks[o];
  state.NetworkType = set.front().description;
  state.Connections = set;
  state.SetUnsaved = false;
  if (!links.front().bound) state.AdapterRow = kUnlocatedRow;
  SetLinks(state, links);
}

constexpr std::size_t kLongestDescription = 256;
constexpr std::size_t kLongestAddress = 23;  // eight bytes: "00-11-22-33-44-55-66-77"
constexpr std::size_t kLongestIdentity = 64;

}  // namespace

std::string_view WithoutInstanceSuffix(std::string_view description) {
  std::size_t digits = 0;
  while (digits < description.size() && IsDigit(description[description.size() - 1 - digits]))
    ++digits;
  const std::size_t hash = description.size() - digits;
  if (digits == 0 || hash < 2 || description.substr(hash - 2, 2) != " #") return description;
  return description.substr(0, hash - 2);
}

bool IsFilterRow(std::string_view description) {
  constexpr std::string_view kEnd = "-0000";
  if (!description.ends_with(kEnd)) return false;
  const std::string_view rest = description.substr(0, description.size() - kEnd.size());
  const std::size_t dash = rest.rfind('-');
  return dash != std::string_view::npos && dash + 1 < rest.size() && dash > 0;
}

bool HasHardwareAddress(const ConnectionId& id) {
  return std::any_of(id.hardwareAddress.begin(), id.hardwareAddress.end(),
                     [](char c) { return c != '0' && c != '-'; });
}

std::vector<std::optional<std::size_t>> MatchConnections(const std::vector<ConnectionId>& set,
                                                         const std::vector<SourceReading>& rows) {
  Matcher m(set, rows);
  // A row that is down yields to one that is up with its hardware address.
  m.Pass([&](const ConnectionId& wanted) -> std::optional<std::size_t> {
    if (wanted.identity.empty()) return std::nullopt;
    const auto r = m.First([&](const ConnectionId& id) { return id.identity == wanted.identity; });
    return r && m.UpTwinOf(*r) ? std::nullopt : r;
  });
  m.Pass([&](const ConnectionId& wanted) { return ByHardwareAddress(m, wanted); });
  m.Pass([&](const ConnectionId& wanted) {
    return m.First([&](const ConnectionId& id) { return id.description == wanted.description; });
  });
  m.Pass([&](const ConnectionId& wanted) {
    return m.First([&](const ConnectionId& id) {
      return SameWithoutSuffix(id.description, wanted.description);
    });
  });
  return m.Found();
}

std::vector<std::size_t> SameTrafficRows(const std::vector<SourceReading>& rows) {
  std::vector<std::size_t> standIn(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    standIn[r] = r;
    if (!HasHardwareAddress(rows[r].id)) continue;
    std::optional<std::size_t> first, plain;
    for (std::size_t o = 0; o < rows.size(); ++o) {
      if (rows[o].id.hardwareAddress != rows[r].id.hardwareAddress) continue;
      if (!first) first = o;
      if (!plain && !IsFilterRow(rows[o].id.description)) plain = o;
    }
    standIn[r] = plain ? *plain : *first;
  }
  return standIn;
}

std::string FormatNetworkSet(const std::vector<ConnectionId>& set) {
  std::string text;
  for (const ConnectionId& id : set) {
    if (!text.empty()) text += ';';
    AppendField(text, id.description);
    text += ',';
    AppendField(text, id.hardwareAddress);
    text += ',';
    AppendField(text, id.identity);
  }
  return text;
}

std::optional<std::vector<ConnectionId>> ParseNetworkSet(std::string_view text) {
  if (text.empty() || text.size() > kLongestNetworkSet) return std::nullopt;
  std::vector<ConnectionId> set;
  while (true) {
    auto description = TakeField(text, kLongestDescription);
    if (!description || !text.starts_with(',')) return std::nullopt;
    text.remove_prefix(1);
    auto address = TakeField(text, kLongestAddress);
    if (!address || !text.starts_with(',')) return std::nullopt;
    text.remove_prefix(1);
    auto identity = TakeField(text, kLongestIdentity);
    if (!identity || set.size() == kMostConnections) return std::nullopt;
    set.push_back({std::move(*description), std::move(*address), std::move(*identity)});
    if (text.empty()) return set;
    if (!text.starts_with(';')) return std::nullopt;
    text.remove_prefix(1);
  }
}

std::vector<ConnectionId> LoadNetworkSet(SettingsStore& store, const std::string& networkType) {
  std::optional<std::vector<ConnectionId>> set;
  try {
    set = ParseNetworkSet(ReadValueText(store, stored::NetworkSet));
  } catch (const RegistryError&) {
    // A value of another type reads as no set.
  }
  // A set whose first description is not "NetworkType" holds: a write of "NetworkType" that
  // failed, or a kill between the two writes, after a connection was found under a new name.
  if (!set) return {ConnectionId{networkType, {}, {}}};
  return *set;
}

std::vector<ConnectionId> MeteredConnections(const MeterState& state) {
  const auto& set = state.Connections;
  if (set.empty() || set.front().description != state.NetworkType)
    return {ConnectionId{state.NetworkType, {}, {}}};
  return set;
}

std::vector<SourceReading> ReadConnections(InterfaceTable& table) {
  return InterfaceRowSource(table).Read();
}

std::vector<SourceReading> ListConnections(InterfaceTable& table) {
  return ReadConnections(table);
}

void ChooseConnections(MeterState& state, SettingsStore& store,
                       const std::vector<ConnectionId>& set) {
  if (set.empty()) return;
  const std::string text = FormatNetworkSet(set);
  if (!ParseNetworkSet(text)) throw RangeError();  // more than the stored form holds
  // What a failed write leaves is put back, so that the store holds what the meter counts.
  std::optional<std::string> before;
  try {
    before = ReadValueText(store, stored::NetworkType);
  } catch (const RegistryError&) {
  }
  WriteValueText(store, stored::NetworkType, set.front().description);
  try {
    WriteValueText(store, stored::NetworkSet, text);
  } catch (const RegistryError&) {
    try {
      if (before) WriteValueText(store, stored::NetworkType, *before);
    } catch (const RegistryError&) {
    }
    throw;
  }
  AdoptSet(state, set);
}

void MeterNetworkTypeAlone(MeterState& state, SettingsStore& store) {
  store.DeleteValue(RootKey::CurrentUser, stored::NetworkSet.key, stored::NetworkSet.name);
  state.Connections.clear();
  state.OtherLinks.clear();
  state.AdapterFresh = false;
}

std::vector<LinkState> Links(const MeterState& state) {
  std::vector<LinkState> links{{.bound = state.AdapterBound,
                                .row = state.AdapterRow,
                                .prevDownKB = state.PrevDownKB,
                                .prevUpKB = state.PrevUpKB,
                                .has64 = state.Has64,
                                .index64 = state.Index64,
                                .prevDownKB64 = state.PrevDownKB64,
                                .prevUpKB64 = state.PrevUpKB64,
                                .fresh = state.AdapterFresh,
                                .held = state.AdapterHeld,
                                .paused = state.AdapterPaused}};
  const std::size_t count = MeteredConnections(state).size();
  links.insert(links.end(), state.OtherLinks.begin(), state.OtherLinks.end());
  links.resize(count);
  return links;
}

void SetLinks(MeterState& state, const std::vector<LinkState>& links) {
  const LinkState& first = links.front();
  state.AdapterBound = first.bound;
  if (first.bound) state.AdapterRow = first.row;
  state.PrevDownKB = first.prevDownKB;
  state.PrevUpKB = first.prevUpKB;
  state.Has64 = first.has64;
  state.Index64 = first.index64;
  state.PrevDownKB64 = first.prevDownKB64;
  state.PrevUpKB64 = first.prevUpKB64;
  state.AdapterFresh = first.fresh;
  state.AdapterHeld = first.held;
  state.AdapterPaused = first.paused;
  state.OtherLinks.assign(links.begin() + 1, links.end());
}

void UnbindAll(MeterState& state) {
  state.AdapterBound = false;
  for (LinkState& link : state.OtherLinks)
    link.bound = false;
}

}  // namespace pelliton
