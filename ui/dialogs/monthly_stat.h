#pragma once

namespace pelliton {}  // namespace pelliton
