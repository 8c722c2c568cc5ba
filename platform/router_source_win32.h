#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "metering/sources/router_source.h"

namespace pelliton {

// The household's router over UPnP, read on two worker threads of their own: a search blocks
// 1 to 2 s and each device then has 3 s at most (8 s a search), a poll 3 s at most, and the
// user-interface thread never waits for them. The searcher searches when asked and while the
// followed router is not found; the poller polls the followed one every 2 s, and no search
// holds it up. They talk only to numeric addresses on this PC's own subnets, never loopback,
// each URL checked before anything is sent to it. On destruction they are told to stop and
// left to end by themselves (the process may end first).
class Win32RouterSource : public RouterSource {
 public:
  Win32RouterSource();
  ~Win32RouterSource() override;
  Win32RouterSource(const Win32RouterSource&) = delete;
  Win32RouterSource& operator=(const Win32RouterSource&) = delete;

  std::vector<RouterSighting> Found() override;
  void Follow(const std::string& udn) override;
  std::optional<RouterSighting> Latest() override;

  struct Shared;  // what the two threads share, under its mutex

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace pelliton
