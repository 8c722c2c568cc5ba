#include "metering/sources/router_source.h"

namespace pelliton {

std::string RouterLine(const RouterSighting& router) {
  return "Router: " + router.name + " (" + router.address + ")";
}

}  // namespace pelliton
