// Fuzzes the stored forms of the metered set and of the further connections' readings:
// any text reads as a set within the bounds or as none, and what is written reads back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "metering/sources/connection_set.h"
#include "metering/sources/readings.h"

namespace {

using namespace pelliton;

void Check(bool invariant) {
  if (!invariant) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto set = ParseNetworkSet(text)) {
    Check(!set->empty() && set->size() <= kMostConnections);
    for (const ConnectionId& id : *set)
      Check(id.description.size() <= 256 && id.hardwareAddress.size() <= 23);
    Check(ParseNetworkSet(FormatNetworkSet(*set)) == set);
  }
  const auto others = ParseOtherReadings(text);
  Check(ParseOtherReadings(FormatOtherReadings(others)).size() == others.size());
  return 0;
}
