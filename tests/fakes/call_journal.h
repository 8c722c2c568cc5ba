#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pelliton::testing {

// Where fakes note the calls whose order across fakes matters, once a test gives them lines.
struct CallJournal {
  std::vector<std::string>* lines = nullptr;
  void Note(std::string call) {
    if (lines != nullptr) lines->push_back(std::move(call));
  }
};

}  // namespace pelliton::testing
