#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "metering/sources/router_source.h"

namespace pelliton {

// The household's router over UPnP, read on a worker thread of its own: the library's calls
// block (a search 1 to 2 s, a request up to its 5 s timeout) and the user-interface thread
// never waits for them. The worker starts at the first call; it searches when asked and
// while the followed router is not found, and polls the followed one every 2 s. It talks
// only to routers on this PC's own subnets. On destruction it is told to stop and left to
// end by itself (the process may end first).
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
