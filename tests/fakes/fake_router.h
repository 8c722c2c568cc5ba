#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metering/sources/router_source.h"

namespace pelliton::testing {

// The household's router as the worker would have it: what the search found, and the latest
// reading of the followed one.
struct FakeRouter : RouterSource {
  std::vector<RouterSighting> Found() override { return found; }
  void Follow(const std::string& udn) override { followed = udn; }
  std::optional<RouterSighting> Latest() override { return latest; }
  // A reading of "uuid:1" in KB of 1024 octets.
  void Answer(std::uint64_t downKB, std::uint64_t upKB, std::uint64_t uptime, bool up = true) {
    latest = RouterSighting{"uuid:1", "Home", "192.168.77.1",
                            up,       0,      RouterSample{downKB * 1024, upKB * 1024, uptime, up},
                            0,        at += 2000};
  }
  std::vector<RouterSighting> found;
  std::string followed;
  std::optional<RouterSighting> latest;
  std::uint32_t at = 0;  // when the latest reading was taken, 2 s apart
};

}  // namespace pelliton::testing
